#include "platform/error.h"
#include "platform/win32/platform.h"
#include "platform/texts.h"

namespace qv::win32 {

namespace {

bool IsAbsent(LSTATUS s) { return s == ERROR_FILE_NOT_FOUND || s == ERROR_PATH_NOT_FOUND; }

[[noreturn]] void Fail(LSTATUS s) {
    throw Failure(texts::kOpRegistry, SystemMessage(static_cast<DWORD>(s)), static_cast<long>(s));
}

// The key opened for `access`; an absent key gives an empty handle, any other failure throws.
UniqueHkey OpenKey(const std::wstring& key, REGSAM access) {
    UniqueHkey k;
    LSTATUS s = RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, access, k.put());
    if (s == ERROR_SUCCESS) return k;
    if (IsAbsent(s)) return UniqueHkey();
    Fail(s);
}

// REG_SZ data as text: the stored length, without the terminating null(s).
std::wstring TextOf(const std::vector<BYTE>& data, DWORD bytes) {
    std::wstring s(reinterpret_cast<const wchar_t*>(data.data()), bytes / sizeof(wchar_t));
    while (!s.empty() && s.back() == L'\0') s.pop_back();
    return s;
}

}  // namespace

std::vector<RegValue> Win32Registry::StringValues(const std::wstring& key) {
    std::vector<RegValue> values;
    UniqueHkey k = OpenKey(key, KEY_QUERY_VALUE);
    if (!k) return values;
    DWORD maxName = 0, maxData = 0;
    LSTATUS s = RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 &maxName, &maxData, nullptr, nullptr);
    if (s != ERROR_SUCCESS) Fail(s);
    std::vector<wchar_t> name(maxName + 1);
    std::vector<BYTE> data(maxData + sizeof(wchar_t));
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        DWORD dataLen = static_cast<DWORD>(data.size());
        DWORD type = 0;
        s = RegEnumValueW(k.get(), i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
        if (s == ERROR_NO_MORE_ITEMS) break;
        if (s == ERROR_MORE_DATA) {  // a value grew since the query: make room and ask again
            name.resize(name.size() * 2 + 256);
            data.resize(data.size() * 2 + 256);
            --i;
            continue;
        }
        if (s != ERROR_SUCCESS) Fail(s);
        if (type != REG_SZ) continue;
        values.push_back(RegValue{std::wstring(name.data(), nameLen), TextOf(data, dataLen)});
    }
    return values;
}

std::optional<std::wstring> Win32Registry::GetString(const std::wstring& key, const std::wstring& name) {
    UniqueHkey k = OpenKey(key, KEY_QUERY_VALUE);
    if (!k) return std::nullopt;
    for (;;) {
        DWORD type = 0, bytes = 0;
        LSTATUS s = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &bytes);
        if (IsAbsent(s)) return std::nullopt;
        if (s != ERROR_SUCCESS) Fail(s);
        if (type != REG_SZ) return std::nullopt;
        std::vector<BYTE> data(bytes + sizeof(wchar_t));
        DWORD got = static_cast<DWORD>(data.size());
        s = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, data.data(), &got);
        if (s == ERROR_MORE_DATA) continue;  // changed in between
        if (IsAbsent(s)) return std::nullopt;
        if (s != ERROR_SUCCESS) Fail(s);
        if (type != REG_SZ) return std::nullopt;
        return TextOf(data, got);
    }
}

void Win32Registry::SetString(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
    UniqueHkey k;
    LSTATUS s = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                nullptr, k.put(), nullptr);
    if (s != ERROR_SUCCESS) Fail(s);
    s = RegSetValueExW(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (s != ERROR_SUCCESS) Fail(s);
}

RegResult Win32Registry::DeleteValue(const std::wstring& key, const std::wstring& name) {
    UniqueHkey k;
    LSTATUS s = RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, k.put());
    if (IsAbsent(s)) return RegResult::Absent;
    if (s != ERROR_SUCCESS) return RegResult::Failed;
    s = RegDeleteValueW(k.get(), name.c_str());
    if (s == ERROR_SUCCESS) return RegResult::Ok;
    if (IsAbsent(s)) return RegResult::Absent;
    return RegResult::Failed;
}

}  // namespace qv::win32
