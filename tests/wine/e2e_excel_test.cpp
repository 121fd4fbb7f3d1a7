// The wizard against an Excel as awkward as the real one: busy for seconds, writing its list on
// its way out, slow to end, speaking only US English, and logging every call it gets.
#include <cstdio>
#include <sstream>

#include "e2e_world.h"
#include "window/texts.h"

namespace qv::e2e {
namespace {

using Strings = std::vector<std::wstring>;

std::wstring Done(const std::wstring& title, const wchar_t* ending) { return texts::kOpenQuote + title + ending; }

// One line of the stand-in's call log.
struct LoggedCall {
    std::string pid, objectClass, member, flags, lcid, arguments, result;
};

std::vector<LoggedCall> ReadCallLog(const std::wstring& path) {
    std::vector<LoggedCall> calls;
    std::istringstream in(test::ReadAll(path));
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '|')) f.push_back(field);
        EXPECT_EQ(f.size(), 7u) << line;
        if (f.size() == 7) calls.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6]});
    }
    return calls;
}

class E2eExcel : public E2eTest {};

// Removals outside the default folders: once every Excel has ended, what was removed stays removed.
TEST_F(E2eExcel, RemovalsStayDoneAfterExcelHasWrittenItsList) {
    struct Case {
        int mode;
        const wchar_t* row;
        std::wstring file;
        bool fileDeleted;
    };
    const Case cases[] = {
        {3, L"Other Tool", L"oth.xla", true},
        {4, L"Off Tool", L"off.xla", true},
        {5, L"gone", L"gone.xla", false},
    };
    ASSERT_NO_FATAL_FAILURE(OpenStandard());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::wstring full = OtherDir() + L"\\" + c.file;
        Mode(c.mode);
        SelectRow(c.row);
        Next();
        EXPECT_NE(Text(IDC_LBLKEKKA).find(c.row), std::wstring::npos);
        EXPECT_FALSE(Manager().count(full));
        for (const auto& [name, data] : Options()) EXPECT_EQ(data.find(c.file), std::wstring::npos) << test::Narrow(name);
        if (c.fileDeleted) {
            EXPECT_FALSE(Exists(full));
        }
        EXPECT_FALSE(Listed().count(c.row));
    }
}

// An Excel still on its way out after the bound: nothing is deleted and the window goes on.
TEST_F(E2eExcel, ExcelThatDoesNotEndInTimeDeletesNothing) {
    BuildStandardWorld();
    const std::wstring oth = OtherDir() + L"\\oth.xla";
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(3);
    // Only the removal's own Excel is slow: an earlier one still ending would hold up its start.
    ASSERT_TRUE(NoStandInLeft());
    ASSERT_TRUE(StandIn().Set(L"ExitDelayMilliseconds", L"60000"));
    exitWaitCapMs_ = 3000;
    SelectRow(L"Other Tool");
    Next();
    ExpectBox(texts::kExcelDidNotEnd);
    EXPECT_TRUE(Exists(oth));
    bool stillOn = false;
    for (const auto& [name, data] : StringValues(OptionsKey())) stillOn = stillOn || data.find(L"oth.xla") != std::wstring::npos;
    EXPECT_TRUE(stillOn) << "neither the wizard nor the Excel still ending has changed the registry";
    EXPECT_EQ(RowOf(L"Other Tool"), SendMessageW(Item(IDC_LSTADDIN), LB_GETCURSEL, 0, 0));
    EXPECT_EQ(Text(IDC_LBLKEKKA), L"");
    EXPECT_TRUE(IsWindow(dlg_));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_CMDNEXT)));
    test::EndLeftoverStandIns();
}

// A stand-in busy for three seconds after each start and load is waited for.
TEST_F(E2eExcel, BusyExcelIsWaitedFor) {
    BuildStandardWorld();
    ASSERT_TRUE(StandIn().Set(L"BusyMilliseconds", L"3000"));
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(1);
    SelectRow(L"Off Tool");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"Off Tool", texts::kInstallDone));
    EXPECT_TRUE(Listed()[L"Off Tool"].installed);
}

// Excel with only its US English names, on a PC whose user locale is Japanese.
TEST_F(E2eExcel, EveryModeWorksWithAnEnglishOnlyExcelAndAJapaneseUserLocale) {
    ASSERT_EQ(PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())), LANG_JAPANESE) << "run with LANG=ja_JP.UTF-8";
    BuildStandardWorld();
    ASSERT_TRUE(StandIn().Set(L"Languages", L"1033"));
    Offer(MakeXla(SrcDir(), L"new.xla", L"New Tool"));
    ASSERT_NO_FATAL_FAILURE(Open());
    for (int mode : {1, 2, 3, 4, 5, 6, 0}) {
        Mode(mode);
        EXPECT_FALSE(Rows().empty()) << mode;
    }
    SelectRow(L"new.xla");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"New Tool", texts::kInstallDone));
    Mode(4);
    SelectRow(L"Off Tool");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"Off Tool", texts::kDeleteDone));
}

// Each Excel the wizard starts has its alerts off before it opens or adds any workbook.
TEST_F(E2eExcel, AlertsAreOffBeforeAnyWorkbookIsOpened) {
    BuildStandardWorld();
    const std::wstring log = Root() + L"\\calls.log";
    ASSERT_TRUE(StandIn().Set(L"CallLog", log));
    Offer(MakeXla(SrcDir(), L"oth.xla", L"Other Tool", L"version 2"));
    Offer(MakeXla(SrcDir(), L"new.xla", L"New Tool"));
    ASSERT_NO_FATAL_FAILURE(Open());
    SelectRow(L"oth.xla");  // a version up: the old version is opened as a workbook
    Next();
    SelectRow(L"new.xla");  // a new install: a temporary workbook is added
    Next();
    ASSERT_TRUE(NoStandInLeft());

    std::map<std::string, std::vector<LoggedCall>> byProcess;
    for (auto& call : ReadCallLog(log)) byProcess[call.pid].push_back(call);
    ASSERT_GE(byProcess.size(), 3u) << "the window's list, the version up and the new install";
    int opened = 0;
    for (const auto& [pid, calls] : byProcess) {
        SCOPED_TRACE(pid);
        size_t firstDone = calls.size(), firstBook = calls.size();
        for (size_t i = 0; i < calls.size(); ++i) {
            const auto& c = calls[i];
            if (c.objectClass != "IEnumVARIANT") {
                EXPECT_EQ(c.lcid, "1033") << c.member;
            }
            bool invoked = c.flags != "0" && c.result == "0x00000000";
            if (invoked && firstDone == calls.size()) firstDone = i;
            if (invoked && c.objectClass == "Workbooks" && (c.member == "Open" || c.member == "Add") && firstBook == calls.size())
                firstBook = i;
        }
        ASSERT_LT(firstDone, calls.size());
        EXPECT_EQ(calls[firstDone].objectClass, "Application");
        EXPECT_EQ(calls[firstDone].member, "DisplayAlerts");
        EXPECT_EQ(calls[firstDone].flags, std::to_string(DISPATCH_PROPERTYPUT));
        EXPECT_EQ(calls[firstDone].arguments, "False");
        if (firstBook < calls.size()) {
            ++opened;
            EXPECT_LT(firstDone, firstBook);
        }
    }
    EXPECT_EQ(opened, 2);
}

// A mode switch makes one round trip per property it reads, in the order its tests read them, and
// few others: DISPIDs are looked up once per kind of object, and add-ins come in batches.
TEST_F(E2eExcel, ModeSwitchMakesOneRoundTripPerReadInTheReadsOrder) {
    using Reads = std::vector<std::string>;
    BuildStandardWorld();
    const int kMany = 200;
    for (int i = 0; i < kMany; ++i) {
        wchar_t n[16];
        std::swprintf(n, 16, L"%03d", i);
        MakeXla(UserDir(), std::wstring(L"t") + n + L".xla", std::wstring(L"Tool ") + n);  // off: files of a default folder
    }
    const size_t addins = kMany + 6;
    const std::wstring log = Root() + L"\\calls.log";
    ASSERT_TRUE(StandIn().Set(L"BusyMilliseconds", L"0"));  // no refused calls, so the count does not vary
    ASSERT_TRUE(StandIn().Set(L"CallLog", log));
    ASSERT_NO_FATAL_FAILURE(Open());

    const Reads listed{"Title", "Title", "FullName"};
    auto repeat = [](const Reads& r, size_t n) {
        Reads out;
        for (size_t i = 0; i < n; ++i) out.insert(out.end(), r.begin(), r.end());
        return out;
    };
    // Mode 3 in the stand-in's order: gone (file missing), Library Tool (off), MS Tool (Microsoft's),
    // Off Tool (off), Other Tool (listed), the 200 tools (off), User Tool (listed).
    Reads mode3{"Installed", "Name", "FullName", "Installed", "Installed", "Name", "FullName", "Installed"};
    const Reads passing3{"Installed", "Name", "FullName", "Title", "Title", "FullName"};
    mode3.insert(mode3.end(), passing3.begin(), passing3.end());
    for (int i = 0; i < kMany; ++i) mode3.push_back("Installed");
    mode3.insert(mode3.end(), passing3.begin(), passing3.end());
    const struct {
        int mode;
        Reads reads;
    } cases[] = {{6, repeat(listed, addins)}, {3, mode3}, {6, repeat(listed, addins)}};

    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        const size_t before = ReadCallLog(log).size();
        Mode(c.mode);
        EXPECT_TRUE(Shown(IDC_LSTADDIN)) << "the list is drawn again once filled";
        auto all = ReadCallLog(log);
        ASSERT_GT(all.size(), before);
        std::vector<LoggedCall> calls(all.begin() + static_cast<long>(before), all.end());
        Reads reads;
        for (const auto& call : calls) {
            EXPECT_EQ(call.pid, calls.front().pid) << "one Excel per switch";
            EXPECT_TRUE(call.result == "0x00000000" || call.result == "0x00000001")  // S_FALSE: the last batch
                << call.objectClass << "." << call.member << " " << call.result;
            if (call.objectClass == "AddIn" && call.flags != "0") reads.push_back(call.member);
        }
        EXPECT_EQ(reads, c.reads);
        // Everything the switch sent to its Excel, its start and end included.
        EXPECT_LE(static_cast<double>(calls.size()), static_cast<double>(c.reads.size()) + 0.2 * addins)
            << calls.size() << " calls for " << addins << " add-ins";
    }
    std::vector<std::wstring> inOrder;
    for (const auto& a : StandInList()) inOrder.push_back(a.title);
    EXPECT_EQ(Rows(), inOrder) << "the collection's order, across batches";
}

}  // namespace
}  // namespace qv::e2e
