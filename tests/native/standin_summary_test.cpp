// The title read from the bytes of a summary property-set stream.
#include <gtest/gtest.h>

#include "model/summary_title.h"

namespace qv::standin {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>(v >> 8 & 0xFF));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

struct Property {
    std::uint32_t pid;
    Bytes value;  // type, padding and value
};

Property CodePage(unsigned cp) {
    Bytes v;
    Put16(v, 2);
    Put16(v, 0);
    Put16(v, cp);
    Put16(v, 0);
    return {1, v};
}

Property Title(std::uint16_t vt, const std::string& raw, std::uint32_t size) {
    Bytes v;
    Put16(v, vt);
    Put16(v, 0);
    Put32(v, size);
    v.insert(v.end(), raw.begin(), raw.end());
    while (v.size() % 4) v.push_back(0);
    return {2, v};
}

const std::uint8_t kSummary[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                   0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

// A stream with one section holding `props`, under `fmtid`.
Bytes Stream(const std::vector<Property>& props, const std::uint8_t* fmtid = kSummary) {
    Bytes b;
    Put16(b, 0xFFFE);
    Put16(b, 0);
    Put32(b, 0x00020005);
    b.insert(b.end(), 16, 0);
    Put32(b, 1);
    b.insert(b.end(), fmtid, fmtid + 16);
    Put32(b, 48);
    Bytes section;
    std::uint32_t offset = 8 + 8 * static_cast<std::uint32_t>(props.size());
    Bytes table, values;
    for (auto& p : props) {
        Put32(table, p.pid);
        Put32(table, offset + static_cast<std::uint32_t>(values.size()));
        values.insert(values.end(), p.value.begin(), p.value.end());
    }
    Put32(section, 8 + static_cast<std::uint32_t>(table.size() + values.size()));
    Put32(section, static_cast<std::uint32_t>(props.size()));
    section.insert(section.end(), table.begin(), table.end());
    section.insert(section.end(), values.begin(), values.end());
    b.insert(b.end(), section.begin(), section.end());
    return b;
}

std::string Utf16(const std::u16string& s) {
    std::string r;
    for (char16_t c : s) {
        r.push_back(static_cast<char>(c & 0xFF));
        r.push_back(static_cast<char>(c >> 8));
    }
    return r;
}

TEST(StandinSummaryTitle, TextInTheSetsOwnCodePage) {
    const std::string sjis = "\x94\x84\x8f\xe3";      // 売上 in code page 932
    const std::string utf8 = "\xe5\xa3\xb2\xe4\xb8\x8a";  // 売上 in UTF-8
    const std::string wide = Utf16(u"売上");
    struct Case {
        std::vector<Property> props;
        int codePage;
        bool utf16;
        std::string bytes;
    } cases[] = {
        {{CodePage(932), Title(30, sjis + '\0', 5)}, 932, false, sjis},
        {{Title(30, utf8 + std::string(2, '\0'), 8), CodePage(65001)}, 65001, false, utf8},
        {{CodePage(1252), Title(30, std::string("Tools\0\0\0", 8), 6)}, 1252, false, "Tools"},
        {{CodePage(1200), Title(30, wide + std::string(2, '\0'), 6)}, 1200, true, wide},
        {{CodePage(1200), Title(31, wide + std::string(2, '\0'), 3)}, 1200, true, wide},
        {{Title(30, "A\0", 2)}, 0, false, "A"},
    };
    for (auto& c : cases) {
        auto t = SummaryTitle(Stream(c.props));
        ASSERT_TRUE(t.has_value());
        EXPECT_EQ(t->codePage, c.codePage);
        EXPECT_EQ(t->utf16, c.utf16);
        EXPECT_EQ(t->bytes, c.bytes);
    }
}

TEST(StandinSummaryTitle, NothingFromOtherOrBrokenStreams) {
    const std::uint8_t other[16] = {1, 2, 3};
    Bytes good = Stream({CodePage(1252), Title(30, std::string("Tools\0\0\0", 8), 6)});
    Bytes badOrder = good;
    badOrder[0] = 0;
    Bytes overlong = Stream({CodePage(1252), Title(30, std::string("Tools\0\0\0", 8), 600)});
    std::vector<Bytes> cases = {
        {},
        Bytes(good.begin(), good.begin() + 40),
        Bytes(good.begin(), good.end() - 6),
        badOrder,
        overlong,
        Stream({CodePage(1252), Title(3, "", 7)}),
        Stream({CodePage(1252)}),
        Stream({CodePage(1252), Title(30, std::string("Tools\0\0\0", 8), 6)}, other),
    };
    for (size_t i = 0; i < cases.size(); ++i) EXPECT_FALSE(SummaryTitle(cases[i]).has_value()) << "case " << i;
    EXPECT_TRUE(SummaryTitle(good).has_value());
}

}  // namespace
}  // namespace qv::standin
