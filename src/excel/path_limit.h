#pragma once
// Excel's limit on the full name of a workbook it opens: Workbooks.Open and AddIns.Add fail for
// a longer one. Excel counts UTF-16 units, so a character outside the Basic Multilingual Plane
// (an emoji in a folder name) counts two.
#include <cstddef>
#include <string>

namespace qv::excel {

inline constexpr std::size_t kMaxFullName = 218;

// UTF-16 units of `text`, also where wchar_t holds a character outside the BMP whole. A
// template, so that the branch for the other width is never compiled.
template <class Char>
std::size_t Utf16Length(const std::basic_string<Char>& text) {
    if constexpr (sizeof(Char) == 2) {
        return text.size();
    } else {
        std::size_t n = 0;
        for (Char ch : text) n += static_cast<unsigned long>(ch) > 0xFFFFul ? 2 : 1;
        return n;
    }
}

inline bool CanOpenFullName(const std::wstring& fullName) { return Utf16Length(fullName) <= kMaxFullName; }

}  // namespace qv::excel
