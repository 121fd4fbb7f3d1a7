#pragma once
// The title in a "\005SummaryInformation" property-set stream, read from its bytes. Reading the
// bytes ourselves keeps the text in the set's own code page: Wine's IPropertyStorage converts
// VT_LPSTR text to the process's ANSI code page, and drops what that code page cannot hold.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::standin {

struct EncodedText {
    int codePage = 0;    // PID_CODEPAGE of the set (0 when it has none)
    bool utf16 = false;  // UTF-16LE text (VT_LPWSTR, or VT_LPSTR in a code page 1200 set)
    std::string bytes;   // the text without its terminating NULs
};

// Nullopt when the stream is not a summary property set or has no title.
std::optional<EncodedText> SummaryTitle(const std::vector<std::uint8_t>& stream);

}  // namespace qv::standin
