#pragma once
// Raw registry values under HKCU, written and read past the adapters under test, for the Wine
// tests that set up what a program reads and look at what it leaves behind.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "host.h"

namespace qv::test {

// Sets one value, making its key; false when that failed.
inline bool SetRegValue(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, size_t bytes) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != 0)
        return false;
    LSTATUS r = RegSetValueExW(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes));
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

inline bool SetRegString(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
    return SetRegValue(key, name, REG_SZ, data.c_str(), (data.size() + 1) * sizeof(wchar_t));
}

// A REG_MULTI_SZ; no items makes the empty list.
inline bool SetRegMulti(const std::wstring& key, const std::wstring& name, const std::vector<std::wstring>& items) {
    std::wstring data;
    for (auto& i : items) data += i + L'\0';
    data += L'\0';
    return SetRegValue(key, name, REG_MULTI_SZ, data.data(), data.size() * sizeof(wchar_t));
}

inline bool SetRegDword(const std::wstring& key, const std::wstring& name, DWORD value) {
    return SetRegValue(key, name, REG_DWORD, &value, sizeof value);
}

inline bool RegKeyExists(const std::wstring& key) {
    bool existed = false;
    ReadRawValues(key, &existed);
    return existed;
}

// All values of a key as name -> text for REG_SZ, "<type n>" for the others.
inline std::map<std::wstring, std::wstring> RegStrings(const std::wstring& key) {
    std::map<std::wstring, std::wstring> r;
    for (const auto& [name, v] : ReadRawValues(key)) {
        std::wstring text(reinterpret_cast<const wchar_t*>(v.bytes.data()), v.bytes.size() / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        r[name] = v.type == REG_SZ ? text : L"<type " + std::to_wstring(v.type) + L">";
    }
    return r;
}

}  // namespace qv::test
