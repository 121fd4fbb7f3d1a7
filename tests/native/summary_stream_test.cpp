// Title and author read from the bytes of a summary property-set stream, and their decoding.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fileinfo/summary_stream.h"

namespace qv {
namespace {

void Put16(std::string& b, unsigned v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void Put32(std::string& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

struct Property {
    std::uint32_t pid;
    std::string value;  // type, padding and value
};

Property CodePage(unsigned cp) {
    std::string v;
    Put16(v, 2);
    Put16(v, 0);
    Put16(v, cp);
    Put16(v, 0);
    return {1, v};
}

// A text property: type `vt`, the stored count `size` (bytes, or characters for VT_LPWSTR)
// and the raw bytes behind it.
Property Text(std::uint32_t pid, std::uint16_t vt, const std::string& raw, std::uint32_t size) {
    std::string v;
    Put16(v, vt);
    Put16(v, 0);
    Put32(v, size);
    v += raw;
    while (v.size() % 4) v.push_back('\0');
    return {pid, v};
}
Property Title(std::uint16_t vt, const std::string& raw, std::uint32_t size) { return Text(2, vt, raw, size); }
Property Author(std::uint16_t vt, const std::string& raw, std::uint32_t size) { return Text(4, vt, raw, size); }
// An 8-bit text with its terminating NUL, counted as stored.
Property Title(const std::string& text) { return Title(30, text + '\0', static_cast<std::uint32_t>(text.size() + 1)); }
Property Author(const std::string& text) { return Author(30, text + '\0', static_cast<std::uint32_t>(text.size() + 1)); }

const char kSummary[16] = {'\xE0', '\x85', '\x9F', '\xF2', '\xF9', '\x4F', '\x68', '\x10',
                           '\xAB', '\x91', '\x08', '\x00', '\x2B', '\x27', '\xB3', '\xD9'};

// A stream with one section holding `props`, under `fmtid`.
std::string Stream(const std::vector<Property>& props, const char* fmtid = kSummary) {
    std::string b;
    Put16(b, 0xFFFE);
    Put16(b, 0);
    Put32(b, 0x00020005);
    b.append(16, '\0');
    Put32(b, 1);
    b.append(fmtid, 16);
    Put32(b, 48);
    std::uint32_t offset = 8 + 8 * static_cast<std::uint32_t>(props.size());
    std::string table, values;
    for (auto& p : props) {
        Put32(table, p.pid);
        Put32(table, offset + static_cast<std::uint32_t>(values.size()));
        values += p.value;
    }
    Put32(b, 8 + static_cast<std::uint32_t>(table.size() + values.size()));
    Put32(b, static_cast<std::uint32_t>(props.size()));
    return b + table + values;
}

std::string Utf16(const std::u16string& s) {
    std::string r;
    for (char16_t c : s) {
        r.push_back(static_cast<char>(c & 0xFF));
        r.push_back(static_cast<char>(c >> 8));
    }
    return r;
}

const std::string kSjis = "\x94\x84\x8f\xe3";            // 売上 in code page 932
const std::string kSjisAuthor = "\x8E\x52\x93\x63";      // 山田 in code page 932
const std::string kUtf8 = "\xe5\xa3\xb2\xe4\xb8\x8a";    // 売上 in UTF-8
const std::string kGbk = "\xCF\xFA\xCA\xDB";             // 销售 in code page 936
const std::string kCentral = "\xA3\xF3";                 // Łó in code page 1250
const std::string kWestern = "caf\xE9";                  // café in code page 1252

TEST(SummaryStream, TextsAsStoredInTheSetsOwnCodePage) {
    const std::string wide = Utf16(u"売上");
    const std::string two(2, '\0');
    struct Case {
        const char* what;
        std::vector<Property> props;
        unsigned codePage;
        StoredText title, author;
    } cases[] = {
        {"932", {CodePage(932), Title(kSjis), Author(kSjisAuthor)}, 932, {false, kSjis}, {false, kSjisAuthor}},
        {"65001, code page after the texts", {Title(30, kUtf8 + two, 8), Author(kUtf8), CodePage(65001)}, 65001,
         {false, kUtf8}, {false, kUtf8}},
        {"1252 with padding NULs", {CodePage(1252), Title(30, std::string("Tools\0\0\0", 8), 6)}, 1252,
         {false, "Tools"}, {}},
        {"1252 accent", {CodePage(1252), Author(kWestern)}, 1252, {}, {false, kWestern}},
        {"1250", {CodePage(1250), Title(kCentral), Author(kCentral)}, 1250, {false, kCentral}, {false, kCentral}},
        {"936", {CodePage(936), Title(kGbk)}, 936, {false, kGbk}, {}},
        {"1200 VT_LPSTR", {CodePage(1200), Title(30, wide + two, 6)}, 1200, {true, wide}, {}},
        {"1200 VT_LPWSTR", {CodePage(1200), Title(31, wide + two, 3), Author(31, wide + two, 3)}, 1200,
         {true, wide}, {true, wide}},
        {"VT_LPWSTR in an 8-bit set", {CodePage(932), Author(31, wide + two, 3)}, 932, {}, {true, wide}},
        {"odd UTF-16 byte count", {CodePage(1200), Title(30, std::string("A\0B\0\0", 5), 5)}, 1200,
         {true, std::string("A\0B\0", 4)}, {}},
        {"no code page", {Title(30, "A\0", 2)}, 0, {false, "A"}, {}},
        {"only a NUL", {CodePage(65001), Title(30, std::string("\0", 1), 1)}, 65001, {}, {}},
    };
    for (const auto& c : cases) {
        SummaryProperties p = ParseSummaryStream(Stream(c.props));
        EXPECT_EQ(p.codePage, c.codePage) << c.what;
        EXPECT_EQ(p.title.utf16, c.title.utf16) << c.what;
        EXPECT_EQ(p.title.bytes, c.title.bytes) << c.what;
        EXPECT_EQ(p.author.utf16, c.author.utf16) << c.what;
        EXPECT_EQ(p.author.bytes, c.author.bytes) << c.what;
    }
}

TEST(SummaryStream, NothingFromOtherOrBrokenStreams) {
    const char other[16] = {1, 2, 3};
    const std::string good = Stream({CodePage(1252), Title(30, std::string("Tools\0\0\0", 8), 6)});
    std::string badOrder = good;
    badOrder[0] = 'x';
    const std::string cases[] = {
        "",
        good.substr(0, 40),
        good.substr(0, good.size() - 6),
        badOrder,
        Stream({CodePage(1252), Title(30, std::string("Tools\0\0\0", 8), 600)}),  // count past the end
        Stream({CodePage(1252), Title(3, "", 7)}),                                 // not a text
        Stream({CodePage(1252)}),
        Stream({CodePage(1252), Title(30, std::string("Tools\0\0\0", 8), 6)}, other),
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(ParseSummaryStream(cases[i]).title.bytes, "") << i;
    EXPECT_EQ(ParseSummaryStream(good).title.bytes, "Tools");
}

TEST(SummaryStream, DamagedStreamsGiveWhatCanBeRead) {
    const std::string whole = Stream({CodePage(932), Title(kSjis), Author(kSjisAuthor)});
    SummaryProperties full = ParseSummaryStream(whole);
    ASSERT_EQ(full.title.bytes, kSjis);
    ASSERT_EQ(full.author.bytes, kSjisAuthor);
    // Every truncation: never a read past the end, and a text is either whole or absent.
    for (size_t n = 0; n < whole.size(); ++n) {
        SummaryProperties s = ParseSummaryStream(std::string_view(whole).substr(0, n));
        EXPECT_TRUE(s.title.bytes.empty() || s.title.bytes == full.title.bytes) << n;
        EXPECT_TRUE(s.author.bytes.empty() || s.author.bytes == full.author.bytes) << n;
    }
    // Cut inside the author: the title before it still reads.
    EXPECT_EQ(ParseSummaryStream(whole.substr(0, whole.size() - 4)).title.bytes, kSjis);

    std::string badSection = whole;
    badSection[44] = '\xFF';  // section offset far past the end
    badSection[47] = '\x7F';
    EXPECT_EQ(ParseSummaryStream(badSection).author.bytes, "");
}

// Decodes as "<code page>:" followed by the bytes as Latin-1, and notes each request.
struct TaggingDecoder {
    std::vector<std::pair<std::string, unsigned>> asked;
    std::optional<std::wstring> operator()(std::string_view bytes, unsigned codePage) {
        asked.emplace_back(std::string(bytes), codePage);
        std::wstring w = std::to_wstring(codePage) + L":";
        for (char c : bytes) w.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        return w;
    }
};

TEST(SummaryStream, EightBitTextGoesToTheDecoderInTheSetsCodePage) {
    struct Case {
        unsigned codePage;
        std::string bytes;
        unsigned asked;  // the code page the decoder is given
    } cases[] = {{932, kSjis, 932}, {65001, kUtf8, 65001}, {1252, kWestern, 1252},
                 {1250, kCentral, 1250}, {936, kGbk, 936}, {0, "Tool", 1252}};
    for (const auto& c : cases) {
        TaggingDecoder d;
        std::wstring text = DecodeStoredText({false, c.bytes}, c.codePage, std::ref(d));
        ASSERT_EQ(d.asked.size(), 1u) << c.codePage;
        EXPECT_EQ(d.asked[0].first, c.bytes) << c.codePage;
        EXPECT_EQ(d.asked[0].second, c.asked) << c.codePage;
        EXPECT_EQ(text.substr(0, text.find(L':')), std::to_wstring(c.asked)) << c.codePage;
    }
}

// Unicode and empty texts need no decoder; bytes the system cannot convert read as Latin-1.
TEST(SummaryStream, UnicodeEmptyAndUnconvertibleTexts) {
    TaggingDecoder d;
    EXPECT_EQ(DecodeStoredText({true, Utf16(u"売上集計")}, 932, std::ref(d)), L"売上集計");
    EXPECT_EQ(DecodeStoredText({true, Utf16(u"ユニコード")}, 1200, std::ref(d)), L"ユニコード");
    EXPECT_EQ(DecodeStoredText({false, ""}, 932, std::ref(d)), L"");
    EXPECT_EQ(DecodeStoredText({true, ""}, 1200, std::ref(d)), L"");
    EXPECT_TRUE(d.asked.empty());
    auto none = [](std::string_view, unsigned) -> std::optional<std::wstring> { return std::nullopt; };
    EXPECT_EQ(DecodeStoredText({false, kWestern}, 9999, none), L"café");
    EXPECT_EQ(DecodeStoredText({false, "\x94\x84"}, 932, none), L"\x94\x84");
}

TEST(SummaryStream, TitleAndAuthorDecodedTogether) {
    TaggingDecoder d;
    SummaryText s = DecodeSummary(ParseSummaryStream(Stream({CodePage(932), Author(kSjisAuthor),
                                                             Title(31, Utf16(u"売上") + std::string(2, '\0'), 3)})),
                                  std::ref(d));
    EXPECT_EQ(s.title, L"売上");
    EXPECT_EQ(s.author, L"932:\x8E\x52\x93\x63");
    EXPECT_EQ(d.asked.size(), 1u);
    EXPECT_EQ(DecodeSummary(ParseSummaryStream("broken"), std::ref(d)).title, L"");
}

}  // namespace
}  // namespace qv
