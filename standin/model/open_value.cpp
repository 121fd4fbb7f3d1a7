#include "model/open_value.h"

#include "platform/paths.h"

namespace qv::standin {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trim(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

}  // namespace

OpenValue ParseOpenValue(const std::wstring& data) {
    std::wstring rest = Trim(data);
    // Switches such as /R (read-only) come first.
    while (!rest.empty() && rest[0] == L'/') {
        size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end])) ++end;
        rest = Trim(rest.substr(end));
    }
    OpenValue v;
    if (!rest.empty() && rest[0] == L'"') {
        auto close = rest.find(L'"', 1);
        v.file = rest.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    } else {
        v.file = rest;
    }
    v.file = Trim(v.file);
    v.bare = !v.file.empty() && v.file.find(L'\\') == std::wstring::npos && v.file.find(L':') == std::wstring::npos;
    return v;
}

std::wstring FormatOpenValue(const std::wstring& fullPath, bool bare) {
    if (bare) return L"\"" + paths::FileNamePart(fullPath) + L"\"";
    return L"/R \"" + fullPath + L"\"";
}

std::optional<int> OpenValueIndex(const std::wstring& name) {
    std::wstring n = paths::FoldCase(name);
    if (n.rfind(L"open", 0) != 0) return std::nullopt;
    std::wstring digits = n.substr(4);
    if (digits.empty()) return 0;
    if (digits.size() > 6 || digits[0] == L'0') return std::nullopt;
    int index = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        index = index * 10 + (c - L'0');
    }
    return index;
}

std::wstring OpenValueName(int index) { return index == 0 ? L"OPEN" : L"OPEN" + std::to_wstring(index); }

}  // namespace qv::standin
