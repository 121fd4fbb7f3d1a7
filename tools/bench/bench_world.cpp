#include "bench_world.h"

#include <tlhelp32.h>

#include <cstdio>

#include "fileinfo/win32/summary_writer.h"

namespace qv::bench {

namespace {

constexpr const wchar_t* kSettingsKey = L"Software\\ExcelStandIn";
constexpr const wchar_t* kOptionsKey = L"Software\\Microsoft\\Office\\11.0\\Excel\\Options";
constexpr const wchar_t* kManagerKey = L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager";

void ClearValues(const std::wstring& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ | KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    for (;;) {
        wchar_t name[16384];
        DWORD len = 16384;
        if (RegEnumValueW(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (RegDeleteValueW(k, name) != ERROR_SUCCESS) break;
    }
    RegCloseKey(k);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

SavedValues::SavedValues(std::wstring key) : key_(std::move(key)) {
    HKEY k = nullptr;
    existed_ = RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
    if (!existed_) return;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD len = 16384, type = 0, size = 0;
        if (RegEnumValueW(k, i, name, &len, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        Raw raw{type, std::vector<BYTE>(size)};
        len = 16384;
        RegEnumValueW(k, i, name, &len, nullptr, &type, raw.bytes.data(), &size);
        raw.bytes.resize(size);
        values_[std::wstring(name, len)] = std::move(raw);
    }
    RegCloseKey(k);
}

SavedValues::~SavedValues() {
    if (!existed_) {
        RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str());
        return;
    }
    ClearValues(key_);
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    for (const auto& [name, v] : values_)
        RegSetValueExW(k, name.c_str(), 0, v.type, v.bytes.data(), static_cast<DWORD>(v.bytes.size()));
    RegCloseKey(k);
}

const char* NameOf(Layout layout) {
    return layout == Layout::UserFolder ? "user add-in folder" : "Add-in Manager values";
}

World::World(const std::wstring& root, int addins, Layout layout)
    : root_(root), user_(root + L"\\user"), lib_(root + L"\\lib"), own_(root + L"\\tools"), settings_(kSettingsKey),
      options_(kOptionsKey), manager_(kManagerKey) {
    RemoveTree(root_);
    CreateDirectoryW(root_.c_str(), nullptr);
    CreateDirectoryW(user_.c_str(), nullptr);
    CreateDirectoryW(lib_.c_str(), nullptr);
    CreateDirectoryW(own_.c_str(), nullptr);
    ClearValues(kOptionsKey);
    ClearValues(kManagerKey);
    const std::wstring& folder = layout == Layout::UserFolder ? user_ : own_;
    HKEY manager = nullptr;
    if (layout == Layout::AddinManager)
        RegCreateKeyExW(HKEY_CURRENT_USER, kManagerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &manager, nullptr);
    for (int i = 0; i < addins; ++i) {
        wchar_t n[16];
        std::swprintf(n, 16, L"%04d", i);
        const std::wstring path = folder + L"\\tool" + n + L".xla";
        win32::WriteXlaFixture(path, std::wstring(L"Bench Tool ") + n, L"Quorvel Bench");
        // Switched off outside the default folders: the full path as the name, empty data.
        if (manager) RegSetValueExW(manager, path.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    }
    if (manager) RegCloseKey(manager);
    Set(L"Version", L"11.0");
    Set(L"UserLibraryPath", user_ + L"\\");
    Set(L"LibraryPath", lib_);
    for (const wchar_t* name : {L"BusyMilliseconds", L"ExitDelayMilliseconds", L"Languages", L"CallLog"}) Set(name, std::nullopt);
}

World::~World() {
    // Each stand-in writes its list as it ends: let them end before the registry is put back.
    WaitForNoStandIn(30000);
    RemoveTree(root_);
}

void World::Set(const wchar_t* name, const std::optional<std::wstring>& value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    if (value)
        RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                       static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(k, name);
    RegCloseKey(k);
}

bool WaitForNoStandIn(DWORD ms) {
    for (DWORD waited = 0;; waited += 20) {
        bool any = false;
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snap != INVALID_HANDLE_VALUE) {
            PROCESSENTRY32W e{};
            e.dwSize = sizeof e;
            for (BOOL ok = Process32FirstW(snap, &e); ok && !any; ok = Process32NextW(snap, &e))
                any = lstrcmpiW(e.szExeFile, L"excel-standin.exe") == 0;
            CloseHandle(snap);
        }
        if (!any) return true;
        if (waited >= ms) return false;
        Sleep(20);
    }
}

}  // namespace qv::bench
