#include "window/failure_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>

#include "excel/excel.h"
#include "platform/error.h"
#include "fakes.h"
#include "window/not_responding.h"
#include "window/texts.h"

namespace qv {
namespace {

using namespace std::string_literals;

// Runs `thrower` and describes what it threw, as the window's boundary does.
template <class F>
FailureInfo DescribeThrown(F thrower) {
    try {
        thrower();
    } catch (...) {
        return DescribeCurrentException();
    }
    ADD_FAILURE() << "nothing was thrown";
    return {};
}

TEST(FailureReport, CurrentExceptionOfEveryKind) {
    struct Case {
        const char* name;
        FailureInfo (*run)();
        FailureInfo expected;
    };
    const Case cases[] = {
        {"Failure", [] { return DescribeThrown([] { throw Failure(texts::kOpDelete, L"in use", 32); }); },
         {texts::kOpDelete, L"in use", 32}},
        {"ExcelError", [] { return DescribeThrown([] { throw excel::ExcelError(L"AddIns.Add", 0x800A03ECL, L"Add failed"); }); },
         {texts::kOpExcel + L" (AddIns.Add)"s, L"Add failed", static_cast<long>(0x800A03ECL)}},
        {"std::exception", [] { return DescribeThrown([] { throw std::runtime_error("vector::_M_range_check"); }); },
         {L"", L"vector::_M_range_check", 0}},
        {"non-ASCII message", [] { return DescribeThrown([] { throw std::runtime_error("a\xE3\x81\x82z"); }); },
         {L"", L"a???z", 0}},
        {"bad_alloc", [] { return DescribeThrown([] { throw std::bad_alloc(); }); },
         {L"", L"std::bad_alloc", 0}},
        {"anything else", [] { return DescribeThrown([] { throw 42; }); }, {L"", L"", 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.run(), c.expected);
    }
}

TEST(FailureReport, TextLeavesOutEmptyParts) {
    const std::wstring header = texts::kFailureHeader;
    const std::wstring what = texts::kFailureWhat, detail = texts::kFailureDetail, code = texts::kFailureCode;
    struct Case {
        FailureInfo info;
        std::wstring expected;
    };
    const Case cases[] = {
        {{texts::kOpCopy, L"ディスクがいっぱいです", 112},
         header + L"\n\n" + what + texts::kOpCopy + L"\n" + detail + L"ディスクがいっぱいです\n" + code + L"0x00000070"},
        {{texts::kOpExcel + L" (Create)"s, L"", static_cast<long>(0x80040154L)},
         header + L"\n\n" + what + texts::kOpExcel + L" (Create)\n" + code + L"0x80040154"},
        {{L"", L"std::bad_alloc", 0}, header + L"\n\n" + detail + L"std::bad_alloc"},
        {{texts::kOpRegistry, L"", 0}, header + L"\n\n" + what + texts::kOpRegistry},
        {{L"", L"", -1}, header + L"\n\n" + code + L"0xFFFFFFFF"},
        {{}, header},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.expected.size()));
        EXPECT_EQ(FailureReportText(c.info), c.expected);
    }
}

TEST(FailureReport, LinesAreSeparatedBySingleLineFeeds) {
    std::wstring t = FailureReportText({texts::kOpClipboard, L"busy", 5});
    EXPECT_EQ(t.find(L'\r'), std::wstring::npos);
    EXPECT_EQ(std::count(t.begin(), t.end(), L'\n'), 4);
    EXPECT_EQ(t.rfind(texts::kFailureHeader, 0), 0u);
}

// The question about an Excel that does not answer: Yes waits on, No ends that Excel. The box
// comes to the front and stays above Excel's window, which has just been brought forward.
TEST(ExcelNotRespondingQuestion, IsAYesNoWarningInFrontAndAboveOtherWindows) {
    const int yesNo = 0x4, warning = 0x30, setForeground = 0x10000, topmost = 0x40000;
    for (auto [answer, waitOn] : {std::pair{6, true}, std::pair{7, false}}) {
        fake::FakeMessageBoxes msg;
        msg.answers = {answer};
        EXPECT_EQ(AskToKeepWaitingForExcel(msg), waitOn);
        ASSERT_EQ(msg.shown.size(), 1u);
        EXPECT_EQ(msg.shown[0].text, texts::kExcelNotResponding);
        EXPECT_EQ(msg.shown[0].title, L"Quorvel SP");
        EXPECT_EQ(msg.shown[0].flags, yesNo | warning | setForeground | topmost);
    }
}

}  // namespace
}  // namespace qv
