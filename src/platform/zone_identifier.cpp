#include "platform/zone_identifier.h"

#include <string_view>

namespace qv {

namespace {

// The stream's text as single bytes. A UTF-16 stream (byte order mark FF FE, or NULs between
// the bytes of ASCII text) keeps the low byte of each unit: the names and digits that matter are ASCII.
std::string AsBytes(const std::string& raw) {
    std::string_view s(raw);
    if (s.substr(0, 3) == "\xEF\xBB\xBF") return std::string(s.substr(3));
    const bool bom16 = s.substr(0, 2) == "\xFF\xFE";
    const bool nuls16 = !bom16 && s.size() >= 2 && s[0] != '\0' && s[1] == '\0';
    if (!bom16 && !nuls16) return std::string(s.substr(0, s.find('\0')));
    std::string out;
    for (size_t i = bom16 ? 2 : 0; i + 1 < s.size(); i += 2) {
        if (s[i] == '\0' && s[i + 1] == '\0') break;
        out += s[i + 1] == '\0' ? s[i] : '?';
    }
    return out;
}

std::string_view Trim(std::string_view s) {
    const char* blanks = " \t\r\v\f";
    auto b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

bool SameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Decimal digits only, no sign; a value too long to be a zone is no zone.
std::optional<int> Number(std::string_view s) {
    if (s.empty() || s.size() > 9) return std::nullopt;
    int n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

std::optional<int> ZoneIdOf(const std::string& raw) {
    const std::string text = AsBytes(raw);
    std::string_view rest(text);
    bool inZoneTransfer = false;
    while (!rest.empty()) {
        auto end = rest.find('\n');
        std::string_view line = Trim(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[') {
            auto close = line.find(']');
            inZoneTransfer = close != std::string_view::npos && SameNoCase(Trim(line.substr(1, close - 1)), "ZoneTransfer");
            continue;
        }
        if (!inZoneTransfer) continue;
        auto eq = line.find('=');
        if (eq == std::string_view::npos || !SameNoCase(Trim(line.substr(0, eq)), "ZoneId")) continue;
        if (auto n = Number(Trim(line.substr(eq + 1)))) return n;
    }
    return std::nullopt;
}

}  // namespace qv
