#include "com/platform.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/win32/handles.h"

namespace qv::standin::com {
namespace {

using qv::win32::UniqueHkey;

UniqueHkey Open(const std::wstring& key, REGSAM access) {
    UniqueHkey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, access, k.put()) != ERROR_SUCCESS) k.reset();
    return k;
}

std::wstring Text(const std::vector<wchar_t>& data, DWORD bytes) {
    std::wstring s(data.data(), bytes / sizeof(wchar_t));
    while (!s.empty() && s.back() == L'\0') s.pop_back();
    return s;
}

}  // namespace

bool HkcuRegistry::KeyExists(const std::wstring& key) { return static_cast<bool>(Open(key, KEY_READ)); }

std::vector<RegValue> HkcuRegistry::StringValues(const std::wstring& key) {
    std::vector<RegValue> values;
    UniqueHkey k = Open(key, KEY_READ);
    if (!k) return values;
    for (DWORD i = 0;; ++i) {
        std::vector<wchar_t> name(16384), data(32768);
        DWORD nameLen = static_cast<DWORD>(name.size()), type = 0, bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        LONG rc = RegEnumValueW(k.get(), i, name.data(), &nameLen, nullptr, &type,
                                reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) continue;
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        values.push_back({std::wstring(name.data(), nameLen), Text(data, bytes)});
    }
    return values;
}

std::optional<std::wstring> HkcuRegistry::GetString(const std::wstring& key, const std::wstring& name) {
    UniqueHkey k = Open(key, KEY_READ);
    if (!k) return std::nullopt;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1);
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return Text(data, bytes);
}

void HkcuRegistry::SetString(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
    UniqueHkey k;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr);
    if (rc == ERROR_SUCCESS)
        rc = RegSetValueExW(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (rc != ERROR_SUCCESS) throw Failure(L"レジストリの書き込み", key + L"\\" + name, rc);
}

RegResult HkcuRegistry::DeleteValue(const std::wstring& key, const std::wstring& name) {
    UniqueHkey k;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, k.put());
    if (rc == ERROR_FILE_NOT_FOUND) return RegResult::Absent;
    if (rc != ERROR_SUCCESS) return RegResult::Failed;
    rc = RegDeleteValueW(k.get(), name.c_str());
    if (rc == ERROR_FILE_NOT_FOUND) return RegResult::Absent;
    return rc == ERROR_SUCCESS ? RegResult::Ok : RegResult::Failed;
}

bool DiskFileSystem::FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES &&
           !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

bool DiskFileSystem::FolderExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> DiskFileSystem::ListFiles(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    qv::win32::UniqueFind find(FindFirstFileW((folder + L"\\" + pattern).c_str(), &fd));
    if (!find) return names;
    do {
        if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        names.push_back(fd.cFileName);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

void DiskFileSystem::CopyReplace(const std::wstring& src, const std::wstring& dst) {
    if (!CopyFileW(src.c_str(), dst.c_str(), FALSE))
        throw Failure(L"ファイルの複写", src + L" -> " + dst, static_cast<long>(GetLastError()));
}

void DiskFileSystem::Delete(const std::wstring& path) {
    if (!DeleteFileW(path.c_str())) throw Failure(L"ファイルの削除", path, static_cast<long>(GetLastError()));
}

int DiskDrives::DriveType(const std::wstring& root) { return static_cast<int>(GetDriveTypeW(root.c_str())); }

std::wstring CurrentUserName() {
    wchar_t name[256];
    DWORD n = 256;
    if (!GetUserNameW(name, &n)) return L"user";
    return name;
}

}  // namespace qv::standin::com
