#pragma once
// The title and author in the bytes of an OLE compound document's "\005SummaryInformation"
// stream. Reading the bytes ourselves keeps 8-bit text in the property set's own code page:
// Wine's IPropertyStorage::ReadMultiple converts VT_LPSTR text to the ANSI code page and drops
// what that code page cannot hold, so a UTF-8 Japanese title would come back empty.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

inline constexpr unsigned kCodePageUnicode = 1200;

// A text property as stored, without its terminating NULs: UTF-16LE bytes (VT_LPWSTR, or
// VT_LPSTR in a code page 1200 set), otherwise 8-bit text in the set's code page. Empty when
// the set has no such property or it cannot be read whole.
struct StoredText {
    bool utf16 = false;
    std::string bytes;
};

struct SummaryProperties {
    unsigned codePage = 0;  // the set's PID_CODEPAGE; 0 when it declares none
    StoredText title;
    StoredText author;
};

// Malformed or truncated data gives empty texts for what cannot be read: a text is either
// whole or absent, and nothing is read past the end.
SummaryProperties ParseSummaryStream(std::string_view stream);

// 8-bit text in a code page as wide text; nullopt when this system cannot convert that code page.
using CodePageDecoder = std::function<std::optional<std::wstring>(std::string_view bytes, unsigned codePage)>;

// A stored text as wide text. A set without a code page is taken as Western (1252), the code
// page of the oldest writers; text in a code page `decode` cannot convert is kept as Latin-1
// rather than lost.
std::wstring DecodeStoredText(const StoredText& text, unsigned codePage, const CodePageDecoder& decode);

struct SummaryText {
    std::wstring title;
    std::wstring author;
};

SummaryText DecodeSummary(const SummaryProperties& properties, const CodePageDecoder& decode);

}  // namespace qv
