#include <climits>
#include <string>

#include "startup/startup.h"

namespace qv {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Whether the digits of a fraction (the text after the full stop) are above, at or below one half.
int CompareWithHalf(const std::wstring& fraction) {
    if (fraction.empty()) return -1;
    if (fraction[0] != L'5') return fraction[0] > L'5' ? 1 : -1;
    for (size_t i = 1; i < fraction.size(); ++i)
        if (fraction[i] != L'0') return 1;
    return 0;
}

}  // namespace

int ExcelMajorVersion(const std::wstring& text) {
    size_t i = 0;
    // The whole part; it saturates, since any version above 11 is handled alike.
    long long whole = 0;
    bool digits = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        digits = true;
        if (whole < INT_MAX) whole = whole * 10 + (text[i] - L'0');
    }
    std::wstring fraction;
    if (i < text.size() && text[i] == L'.') {
        for (++i; i < text.size() && IsDigit(text[i]); ++i) fraction += text[i];
        digits = digits || !fraction.empty();
    }
    if (!digits) return 0;
    // Rounding is decided on the digits themselves, so 10.5 and 11.5 never meet a binary fraction.
    int half = CompareWithHalf(fraction);
    if (half > 0 || (half == 0 && whole % 2 == 1)) ++whole;
    return whole > INT_MAX ? INT_MAX : static_cast<int>(whole);
}

}  // namespace qv
