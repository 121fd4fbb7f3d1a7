#include "model/summary_title.h"

#include <algorithm>

namespace qv::standin {
namespace {

constexpr std::uint8_t kSummaryFmtid[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                             0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
constexpr std::uint32_t kPidCodePage = 1;
constexpr std::uint32_t kPidTitle = 2;
constexpr std::uint16_t kVtI2 = 2, kVtLpstr = 30, kVtLpwstr = 31;
constexpr int kCodePageUnicode = 1200;

// Bounds-checked little-endian reads; every read past the end fails the whole parse.
class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& b) : b_(b) {}
    bool Has(size_t at, size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
    std::optional<std::uint32_t> U32(size_t at) const {
        if (!Has(at, 4)) return std::nullopt;
        return static_cast<std::uint32_t>(b_[at]) | static_cast<std::uint32_t>(b_[at + 1]) << 8 |
               static_cast<std::uint32_t>(b_[at + 2]) << 16 | static_cast<std::uint32_t>(b_[at + 3]) << 24;
    }
    std::optional<std::uint16_t> U16(size_t at) const {
        if (!Has(at, 2)) return std::nullopt;
        return static_cast<std::uint16_t>(b_[at] | b_[at + 1] << 8);
    }
    const std::uint8_t* At(size_t at) const { return b_.data() + at; }

private:
    const std::vector<std::uint8_t>& b_;
};

}  // namespace

std::optional<EncodedText> SummaryTitle(const std::vector<std::uint8_t>& stream) {
    Reader r(stream);
    auto order = r.U16(0);
    auto sets = r.U32(24);
    if (!order || *order != 0xFFFE || !sets) return std::nullopt;
    std::optional<std::uint32_t> section;
    for (std::uint32_t i = 0; i < *sets && i < 16; ++i) {
        size_t entry = 28 + static_cast<size_t>(i) * 20;
        if (!r.Has(entry, 20)) return std::nullopt;
        if (std::equal(kSummaryFmtid, kSummaryFmtid + 16, r.At(entry))) {
            section = r.U32(entry + 16);
            break;
        }
    }
    if (!section) return std::nullopt;
    auto count = r.U32(*section + 4);
    if (!count) return std::nullopt;
    std::optional<std::uint32_t> codePageAt, titleAt;
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto pid = r.U32(*section + 8 + static_cast<size_t>(i) * 8);
        auto offset = r.U32(*section + 12 + static_cast<size_t>(i) * 8);
        if (!pid || !offset) return std::nullopt;
        if (*pid == kPidCodePage) codePageAt = *section + *offset;
        if (*pid == kPidTitle) titleAt = *section + *offset;
    }
    EncodedText text;
    if (codePageAt) {
        auto type = r.U16(*codePageAt);
        auto value = r.U16(*codePageAt + 4);
        if (type && value && *type == kVtI2) text.codePage = *value;
    }
    if (!titleAt) return std::nullopt;
    auto type = r.U16(*titleAt);
    auto size = r.U32(*titleAt + 4);
    if (!type || !size) return std::nullopt;
    size_t bytes = 0;
    if (*type == kVtLpstr) {
        bytes = *size;
        text.utf16 = text.codePage == kCodePageUnicode;
    } else if (*type == kVtLpwstr) {
        bytes = static_cast<size_t>(*size) * 2;
        text.utf16 = true;
    } else {
        return std::nullopt;
    }
    if (!r.Has(*titleAt + 8, bytes)) return std::nullopt;
    text.bytes.assign(reinterpret_cast<const char*>(r.At(*titleAt + 8)), bytes);
    // Drop the terminating NULs (one byte, or one UTF-16 unit).
    if (text.utf16) {
        while (text.bytes.size() >= 2 && text.bytes[text.bytes.size() - 1] == 0 && text.bytes[text.bytes.size() - 2] == 0)
            text.bytes.resize(text.bytes.size() - 2);
        if (text.bytes.size() % 2) text.bytes.pop_back();
    } else {
        auto nul = text.bytes.find('\0');
        if (nul != std::string::npos) text.bytes.resize(nul);
    }
    return text;
}

}  // namespace qv::standin
