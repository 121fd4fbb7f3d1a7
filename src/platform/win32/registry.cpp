#include <cstring>

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
UniqueHkey OpenKey(const std::wstring& key, REGSAM access, HKEY root = HKEY_CURRENT_USER) {
    UniqueHkey k;
    LSTATUS s = RegOpenKeyExW(root, key.c_str(), 0, access, k.put());
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

// Calls `each(name, type, data, bytes)` for every value of `key`, in enumeration order.
template <class Each>
void EachValue(const std::wstring& key, Each each) {
    UniqueHkey k = OpenKey(key, KEY_QUERY_VALUE);
    if (!k) return;
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
        each(std::wstring(name.data(), nameLen), type, data, dataLen);
    }
}

struct Raw {
    DWORD type = 0;
    std::vector<BYTE> data;  // with room for a closing null beyond `bytes`
    DWORD bytes = 0;
};

// A value of any type; nullopt when the key (an empty handle) or the value is absent.
std::optional<Raw> RawValue(const UniqueHkey& k, const std::wstring& name) {
    if (!k) return std::nullopt;
    for (;;) {
        Raw r;
        LSTATUS s = RegQueryValueExW(k.get(), name.c_str(), nullptr, &r.type, nullptr, &r.bytes);
        if (IsAbsent(s)) return std::nullopt;
        if (s != ERROR_SUCCESS) Fail(s);
        r.data.resize(r.bytes + sizeof(wchar_t));
        r.bytes = static_cast<DWORD>(r.data.size());
        s = RegQueryValueExW(k.get(), name.c_str(), nullptr, &r.type, r.data.data(), &r.bytes);
        if (s == ERROR_MORE_DATA) continue;  // changed in between
        if (IsAbsent(s)) return std::nullopt;
        if (s != ERROR_SUCCESS) Fail(s);
        return r;
    }
}

std::wstring Expanded(const std::wstring& text) {
    DWORD n = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (n == 0) return text;
    std::wstring out(n, L'\0');
    n = ExpandEnvironmentStringsW(text.c_str(), out.data(), n);
    if (n == 0 || n > out.size()) return text;
    out.resize(n - 1);
    return out;
}

// REG_SZ as stored, REG_EXPAND_SZ expanded; nullopt for other types.
std::optional<std::wstring> TextValue(const UniqueHkey& k, const std::wstring& name) {
    auto v = RawValue(k, name);
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return std::nullopt;
    std::wstring text = TextOf(v->data, v->bytes);
    return v->type == REG_EXPAND_SZ ? Expanded(text) : text;
}

}  // namespace

std::vector<RegValue> Win32Registry::StringValues(const std::wstring& key) {
    std::vector<RegValue> values;
    EachValue(key, [&](std::wstring name, DWORD type, const std::vector<BYTE>& data, DWORD bytes) {
        if (type == REG_SZ) values.push_back(RegValue{std::move(name), TextOf(data, bytes)});
    });
    return values;
}

std::vector<RegBinary> Win32Registry::BinaryValues(const std::wstring& key) {
    std::vector<RegBinary> values;
    EachValue(key, [&](std::wstring name, DWORD type, const std::vector<BYTE>& data, DWORD bytes) {
        if (type == REG_BINARY) values.push_back(RegBinary{std::move(name), {data.begin(), data.begin() + bytes}});
    });
    return values;
}

std::vector<std::wstring> Win32Registry::SubkeyNames(const std::wstring& key) {
    std::vector<std::wstring> names;
    UniqueHkey k = OpenKey(key, KEY_ENUMERATE_SUB_KEYS);
    if (!k) return names;
    wchar_t name[256];  // the longest key name the registry allows, and its null
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        LSTATUS s = RegEnumKeyExW(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (s == ERROR_NO_MORE_ITEMS) break;
        if (s != ERROR_SUCCESS) Fail(s);
        names.emplace_back(name, len);
    }
    return names;
}

std::optional<std::vector<std::uint8_t>> Win32Registry::GetBinary(const std::wstring& key, const std::wstring& name) {
    auto v = RawValue(OpenKey(key, KEY_QUERY_VALUE), name);
    if (!v || v->type != REG_BINARY) return std::nullopt;
    return std::vector<std::uint8_t>(v->data.begin(), v->data.begin() + v->bytes);
}

std::optional<std::uint32_t> Win32Registry::GetDword(const std::wstring& key, const std::wstring& name) {
    auto v = RawValue(OpenKey(key, KEY_QUERY_VALUE), name);
    if (!v || v->type != REG_DWORD || v->bytes != sizeof(DWORD)) return std::nullopt;
    std::uint32_t n = 0;
    memcpy(&n, v->data.data(), sizeof n);
    return n;
}

std::optional<std::wstring> Win32Registry::GetExpandedString(const std::wstring& key, const std::wstring& name) {
    return TextValue(OpenKey(key, KEY_QUERY_VALUE), name);
}

std::optional<std::wstring> Win32Registry::GetMachineString(MachineRoot root, const std::wstring& key,
                                                            const std::wstring& name, RegView view) {
    const REGSAM wow = view == RegView::Bits32 ? KEY_WOW64_32KEY : view == RegView::Bits64 ? KEY_WOW64_64KEY : 0;
    HKEY hive = root == MachineRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
    return TextValue(OpenKey(key, KEY_QUERY_VALUE | wow, hive), name);
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
