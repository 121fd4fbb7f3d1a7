#include "fileinfo/summary_stream.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace qv {

namespace {

// Property types and identifiers of the summary set, as stored in the stream.
constexpr std::uint32_t kTypeI2 = 2;       // VT_I2
constexpr std::uint32_t kTypeLpstr = 30;   // VT_LPSTR
constexpr std::uint32_t kTypeLpwstr = 31;  // VT_LPWSTR
constexpr std::uint32_t kPidCodePage = 1;
constexpr std::uint32_t kPidTitle = 2;
constexpr std::uint32_t kPidAuthor = 4;
constexpr unsigned kCodePageWestern = 1252;
// FMTID_SummaryInformation {F29F85E0-4FF9-1068-AB91-08002B27B3D9} in stream byte order.
constexpr unsigned char kSummaryFmtid[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                             0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

// Little-endian reads that fail instead of running past the end.
class Bytes {
public:
    explicit Bytes(std::string_view b) : b_(b) {}
    bool U16(size_t at, std::uint32_t& out) const {
        if (at > b_.size() || b_.size() - at < 2) return false;
        out = Byte(at) | (Byte(at + 1) << 8);
        return true;
    }
    bool U32(size_t at, std::uint32_t& out) const {
        if (at > b_.size() || b_.size() - at < 4) return false;
        out = Byte(at) | (Byte(at + 1) << 8) | (Byte(at + 2) << 16) | (Byte(at + 3) << 24);
        return true;
    }
    bool Slice(size_t at, size_t n, std::string_view& out) const {
        if (at > b_.size() || b_.size() - at < n) return false;
        out = b_.substr(at, n);
        return true;
    }

private:
    std::uint32_t Byte(size_t i) const { return static_cast<unsigned char>(b_[i]); }
    std::string_view b_;
};

// The text without its terminating NULs: whole UTF-16 units, or single bytes.
StoredText Stored(std::string_view raw, bool utf16) {
    StoredText t{utf16, std::string(raw)};
    if (utf16) {
        t.bytes.resize(t.bytes.size() / 2 * 2);
        while (t.bytes.size() >= 2 && t.bytes[t.bytes.size() - 1] == '\0' && t.bytes[t.bytes.size() - 2] == '\0')
            t.bytes.resize(t.bytes.size() - 2);
    } else {
        while (!t.bytes.empty() && t.bytes.back() == '\0') t.bytes.pop_back();
    }
    return t;
}

}  // namespace

SummaryProperties ParseSummaryStream(std::string_view stream) {
    SummaryProperties r;
    Bytes b(stream);
    std::uint32_t byteOrder = 0, sections = 0;
    if (!b.U16(0, byteOrder) || byteOrder != 0xFFFE || !b.U32(24, sections)) return r;
    // The section list follows the 28-byte header: FMTID then offset, 20 bytes each.
    std::uint32_t section = 0;
    bool found = false;
    for (std::uint32_t i = 0; i < sections && i < 16 && !found; ++i) {
        std::string_view fmtid;
        size_t entry = 28 + 20 * static_cast<size_t>(i);
        if (!b.Slice(entry, 16, fmtid) || !b.U32(entry + 16, section)) return r;
        found = std::equal(fmtid.begin(), fmtid.end(), std::begin(kSummaryFmtid),
                           [](char x, unsigned char y) { return static_cast<unsigned char>(x) == y; });
    }
    std::uint32_t count = 0;
    if (!found || !b.U32(static_cast<size_t>(section) + 4, count)) return r;

    std::string_view raw[2];
    bool wide[2] = {false, false};
    bool lpstr[2] = {false, false};
    for (std::uint32_t i = 0; i < count && i < 4096; ++i) {
        std::uint32_t pid = 0, offset = 0, type = 0;
        size_t entry = static_cast<size_t>(section) + 8 + 8 * static_cast<size_t>(i);
        if (!b.U32(entry, pid) || !b.U32(entry + 4, offset)) break;
        size_t at = static_cast<size_t>(section) + offset;
        if (!b.U32(at, type)) continue;
        type &= 0xFFFF;
        if (pid == kPidCodePage && type == kTypeI2) {
            std::uint32_t cp = 0;
            if (b.U16(at + 4, cp)) r.codePage = cp;  // an unsigned number in an I2: 65001 reads as -535
            continue;
        }
        if ((pid != kPidTitle && pid != kPidAuthor) || (type != kTypeLpstr && type != kTypeLpwstr)) continue;
        std::uint32_t n = 0;
        std::string_view text;
        // An 8-bit string counts bytes, a wide one counts characters.
        if (!b.U32(at + 4, n) || !b.Slice(at + 8, type == kTypeLpwstr ? 2 * static_cast<size_t>(n) : n, text)) continue;
        int k = pid == kPidTitle ? 0 : 1;
        raw[k] = text;
        wide[k] = type == kTypeLpwstr;
        lpstr[k] = type == kTypeLpstr;
    }
    // The code page may stand anywhere in the list, so 8-bit texts learn theirs at the end.
    for (int k = 0; k < 2; ++k) {
        bool utf16 = wide[k] || (lpstr[k] && r.codePage == kCodePageUnicode);
        (k == 0 ? r.title : r.author) = Stored(raw[k], utf16);
    }
    return r;
}

std::wstring DecodeStoredText(const StoredText& text, unsigned codePage, const CodePageDecoder& decode) {
    std::string_view bytes = text.bytes;
    if (text.utf16) {
        std::wstring w(bytes.size() / 2, L'\0');
        for (size_t i = 0; i < w.size(); ++i)
            w[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        return w;
    }
    if (bytes.empty()) return L"";
    if (auto w = decode(bytes, codePage == 0 ? kCodePageWestern : codePage)) return *w;
    std::wstring latin1;
    for (char c : bytes) latin1.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return latin1;
}

SummaryText DecodeSummary(const SummaryProperties& properties, const CodePageDecoder& decode) {
    return {DecodeStoredText(properties.title, properties.codePage, decode),
            DecodeStoredText(properties.author, properties.codePage, decode)};
}

}  // namespace qv
