// Steps meeting another Excel, an earlier instance still ending, a stale list and a stale
// registration.
#include <gtest/gtest.h>

#include <optional>

#include "operations/notice_text.h"
#include "startup/excel_start.h"
#include "ops_world.h"
#include "window/texts.h"

namespace qv {
namespace {

using fake::OpsWorld;

const std::wstring kTools = L"C:\\Tools\\a.xla";
const std::wstring kOptions11 = L"Software\\Microsoft\\Office\\11.0\\Excel\\Options";

// The texts of the message boxes shown, each with flags 16.
std::vector<std::wstring> Shown(OpsWorld& o) {
    std::vector<std::wstring> texts;
    for (const auto& m : o.w.msg.shown) {
        EXPECT_EQ(m.flags, kMbCritical);
        texts.push_back(m.text);
    }
    return texts;
}

void Select(OpsWorld& o, const std::wstring& fullName, bool installed, int mode) {
    o.ShowMode(mode);
    o.List(fullName, L"Tool", installed);
    o.ui.selected = o.Row(fullName, L"Tool");
    o.reg.keys[fake::kManagerKey11] = {{fullName, L""}};
}

// The notice a step's start of Excel was refused with, or nothing when it got its Excel.
std::optional<Notice> RefusalOfStartExcel(OpsWorld& o) {
    try {
        EXPECT_TRUE(StartExcel(o.svc));
    } catch (const StepRefused& r) {
        return r.What();
    }
    return std::nullopt;
}

TEST(StartExcel, AnotherExcelRefusesBeforeAnyInstanceIsCreated) {
    struct Case {
        const char* what;
        bool running, visible;
        unsigned long hiddenPid, earlierPid;
        Reason kind;
        std::wstring text;
    };
    const std::wstring startupText = std::wstring(texts::kExcelRunningHidden) + L"\n" + texts::kOpenFilesAre + L"\n" +
                                     texts::kNoOpenFiles + L"\n\n" + texts::kPleaseQuitExcel;
    const Case cases[] = {
        {"user's Excel in the running object table", true, false, 4242, 0, Reason::ExcelRunning, startupText},
        {"a hidden Excel found only by its window", false, true, 4242, 0, Reason::HiddenExcelRunning,
         L"表示されていないExcel（プロセスID：4242）が動作しているため、何も変更していません。\n"
         L"タスク マネージャーで終了してから、もう一度実行してください。"},
        {"the program's earlier Excel still ending", false, true, 0, 977, Reason::EarlierExcelAlive,
         L"前の処理で使ったExcel（プロセスID：977）が時間内に終了しなかったため、何も変更していません。\n"
         L"しばらく待ってから、もう一度実行してください。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpsWorld o;
        o.excel.running = c.running;
        o.excel.runningVisible = c.visible;
        o.excel.otherExcelPid = c.hiddenPid;
        o.excel.earlierAlivePid = c.earlierPid;
        const auto refusal = RefusalOfStartExcel(o);
        EXPECT_TRUE(refusal) << "not refused";
        if (refusal) {
            EXPECT_EQ(refusal->reason, c.kind);
            EXPECT_EQ(JapaneseText(*refusal), c.text);
        }
        EXPECT_EQ(o.excel.instancesCreated, 0);
        // The other Excel is neither shown nor told to quit.
        EXPECT_EQ(o.excel.running, c.running);
        EXPECT_EQ(o.excel.runningVisible, c.visible);
    }
}

// An Excel known only by its main window: a hidden one (closing, or an orphan) gets one bounded wait
// to end; a visible one is the user's and refuses at once. The program's own Excel in the running
// object table is no other Excel, and the program's earlier instances are waited for first.
TEST(StartExcel, AnExcelKnownOnlyByItsWindowIsJudgedByIt) {
    struct Case {
        const char* what;
        bool running, runningIsOwn;
        unsigned long windowPid;
        bool windowVisible, windowEnds;
        std::optional<Reason> refused;
        std::vector<int> waits;
    };
    const Case cases[] = {
        {"a hidden Excel that ends in its shutdown time", false, false, 256, false, true, std::nullopt, {10000}},
        {"a hidden Excel that does not end", false, false, 256, false, false, Reason::HiddenExcelRunning, {10000}},
        {"a visible Excel not yet registered", false, false, 256, true, false, Reason::ExcelRunning, {}},
        {"the program's own Excel in the table", true, true, 0, false, false, std::nullopt, {}},
        {"the program's own Excel in the table, another's closing", true, true, 256, false, true, std::nullopt, {10000}},
        {"another's Excel in the table", true, false, 256, false, true, Reason::ExcelRunning, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpsWorld o;
        o.excel.running = c.running;
        o.excel.runningIsOwn = c.runningIsOwn;
        o.excel.otherExcelPid = c.windowPid;
        o.excel.otherExcelVisible = c.windowVisible;
        o.excel.otherExcelEnds = c.windowEnds;
        const auto refusal = RefusalOfStartExcel(o);
        const std::optional<Reason> refused = refusal ? std::optional(refusal->reason) : std::nullopt;
        const unsigned long pid = refusal ? refusal->processId : 0;
        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(o.excel.otherExcelWaits, c.waits);
        EXPECT_EQ(o.excel.instancesCreated, c.refused ? 0 : 1);
        EXPECT_EQ(pid, refused == Reason::HiddenExcelRunning ? 256u : 0u);
    }
}

TEST(StartExcel, TheProgramsEarlierExcelIsWaitedForBeforeAnyOtherIsLookedFor) {
    OpsWorld o;
    o.excel.running = true;
    o.excel.earlierAlivePid = 977;
    o.excel.log.clear();
    const auto refusal = RefusalOfStartExcel(o);
    ASSERT_TRUE(refusal) << "not refused";
    EXPECT_EQ(refusal->reason, Reason::EarlierExcelAlive);
    EXPECT_EQ(refusal->processId, 977u);
    EXPECT_TRUE(o.excel.Calls(L"Attach").empty()) << "the running object table is not asked while an own Excel ends";
}

TEST(Removals, AnEarlierExcelOrAStaleRegistrationDeletesNothing) {
    for (bool stillRegistered : {false, true}) {
        for (int mode : {3, 4, 5}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << (stillRegistered ? " registered" : " earlier Excel"));
            OpsWorld o;
            Select(o, kTools, mode != 4, mode);
            if (mode == 5) o.fs.files.erase(kTools);
            if (stillRegistered) {
                o.reg.keys[kOptions11] = {{L"OPEN", L"/R \"C:\\Other\\b.xla\""}, {L"OPEN1", L"/R \"c:\\tools\\A.XLA\""}};
            } else {
                o.excel.earlierAlivePid = 12;
            }
            o.win.cmdNEXT_Click();
            EXPECT_EQ(Shown(o), std::vector<std::wstring>{stillRegistered ? texts::kStillRegistered : texts::kExcelDidNotEnd});
            EXPECT_EQ(o.fs.files.count(kTools), mode == 5 ? 0u : 1u);
            EXPECT_TRUE(o.reg.log.empty());
            EXPECT_EQ(o.ui.ListCount(), 1);
        }
    }
}

TEST(RemoveInactiveAddin, RefusesAnAddinItsExcelFindsSwitchedOn) {
    OpsWorld o;
    Select(o, kTools, false, 4);
    o.excel.addins.back().Installed = true;  // switched on since the list was read
    o.win.cmdNEXT_Click();
    EXPECT_EQ(Shown(o),
              std::vector<std::wstring>{L"「Tool」は動作中のため、アンインストール３では削除できません。\n"
                                        L"アンインストール２（動作中アドインの完全削除）を使ってください。"});
    EXPECT_TRUE(o.fs.files.count(kTools));
    EXPECT_TRUE(o.reg.log.empty());
    EXPECT_TRUE(o.Addin(kTools)->Installed);
    EXPECT_EQ(o.excel.quits, 1);
}

TEST(OpenValueNames, MatchesFullPathsAndBareNamesInDefaultFolders) {
    const excel::Facts facts{11, L"C:\\Users\\u\\AddIns", L"C:\\Office\\Library"};
    struct Case {
        const wchar_t* name;
        const wchar_t* data;
        std::wstring addin;
        bool names;
    };
    const Case cases[] = {
        {L"OPEN", L"/R \"C:\\Tools\\a.xla\"", kTools, true},
        {L"OPEN2", L"/R /A \"c:\\TOOLS\\a.xla\"", kTools, true},
        {L"open1", L"\"C:\\Tools\\a.xla\"", kTools, true},
        {L"OPEN", L"/R \"C:\\Tools\\ab.xla\"", kTools, false},
        {L"OPENX", L"/R \"C:\\Tools\\a.xla\"", kTools, false},
        {L"Other", L"/R \"C:\\Tools\\a.xla\"", kTools, false},
        {L"OPEN", L"\"a.xla\"", L"C:\\Users\\u\\AddIns\\a.xla", true},
        {L"OPEN", L"\"A.XLA\"", L"C:\\Office\\Library\\a.xla", true},
        {L"OPEN", L"\"a.xla\"", kTools, false},
        {L"OPEN", L"", kTools, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.name) + L"=" + c.data + L" / " + c.addin);
        fake::FakeRegistry reg;
        reg.keys[kOptions11] = {{c.name, c.data}};
        EXPECT_EQ(OpenValueNames(reg, facts, c.addin), c.names);
    }
}

TEST(ModeSwitch, ARefusedSwitchLeavesAnEmptyListAndNoModeToActOn) {
    OpsWorld o;
    o.List(kTools, L"Tool", false);
    o.excel.otherExcelPid = 31;
    o.ShowMode(1);
    o.win.ctx().shownMode.reset();
    EXPECT_THROW(o.win.optBTN_Click(1), StepRefused);
    EXPECT_EQ(o.ui.ListCount(), 0);
    EXPECT_FALSE(o.win.ShownMode().has_value());

    // Tried again once that Excel has gone, the same button lists the add-in.
    o.excel.otherExcelPid = 0;
    o.win.optBTN_Click(1);
    EXPECT_EQ(o.ui.ListCount(), 1);
    EXPECT_EQ(o.win.ShownMode(), Mode::SwitchOn);
}

}  // namespace
}  // namespace qv
