#include <gtest/gtest.h>

#include "window/modes.h"
#include "window/texts.h"
#include "window_world.h"

namespace qv {
namespace {

using fake::WindowWorld;
using V = std::vector<std::wstring>;

// Excel's list for the mode tests: every kind of entry the modes tell apart.
void FillMixedList(WindowWorld& t) {
    t.AddAddin(L"C:\\U", L"a.xla", L"A", true, true, L"Me");
    t.AddAddin(L"C:\\U", L"b.xla", L"B", false, true, L"Me");
    t.AddAddin(L"D:\\T", L"Tool.XLA", L"C", true, true, L"x");
    t.AddAddin(L"C:\\L", L"m.xla", L"D", true, true, L"MICROSOFT Corp");
    t.AddAddin(L"C:\\L", L"n.xla", L"E", false, true, L"made by microsoft");
    t.AddAddin(L"C:\\G", L"gone.xla", L"F", true, false);
    t.AddAddin(L"C:\\G", L"gone2.xla", L"G", false, false);
    t.AddAddin(L"C:\\U", L"tool.xlam", L"H", true, true);
    t.AddAddin(L"C:\\U", L"tool.xll", L"I", false, false);
    t.AddAddin(L"C:\\U", L"hid.xla", L"J", false, true);
    t.w.fs.hidden.insert(L"C:\\U\\hid.xla");
    t.AddAddin(L"C:\\U", L"Other.XLA", L"K", false, true, L"");
}

struct ModeCase {
    int mode;
    V titles;  // rows expected, in Excel's order
    const wchar_t* header;
    const wchar_t* tip;
    const wchar_t* steps;
    std::wstring caption;
    bool folderShown;
};

// Modes 1 to 6 list Excel's add-ins through one instance with a record per row; mode 0
// lists the offered files not yet installed, without Excel, and keeps the records.
TEST(ModeSwitch, ListsEachModesRowsWithRecordsAndControls) {
    const std::wstring run = texts::kRunSuffix;
    const ModeCase cases[] = {
        {0, {L"two.xla", L"two.xla", L"bare.xla"}, texts::kListHeader0, texts::kNextTip0, texts::kSteps0,
         texts::kInstall1Run, true},
        {1, {L"B", L"E", L"G", L"I", L"J", L"K"}, texts::kListHeader1, texts::kNextTip1, texts::kSteps1,
         texts::kOptCaption1 + run, false},
        {2, {L"A", L"C", L"D", L"F", L"H"}, texts::kListHeader2, texts::kNextTip2, texts::kSteps2,
         texts::kOptCaption2 + run, false},
        {3, {L"A", L"C"}, texts::kListHeader3, texts::kNextTip3, texts::kSteps3, texts::kOptCaption3 + run, true},
        {4, {L"B", L"K"}, texts::kListHeader4, texts::kNextTip4, texts::kSteps4, texts::kOptCaption4 + run, true},
        {5, {L"F", L"G", L"J"}, texts::kListHeader5, texts::kNextTip5, texts::kSteps5,
         texts::kOptCaption5 + run, false},
        {6, {L"A", L"B", L"C", L"D", L"E", L"F", L"G", L"H", L"I", L"J", L"K"}, texts::kListHeader6,
         texts::kNextTip6, texts::kSteps6, texts::kCopyToClipboard, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.mode);
        WindowWorld t;
        FillMixedList(t);
        auto& st = t.w.st;
        st.strSELFILE.push_back({L"C:\\A\\one.xla", true});
        st.strSELFILE.push_back({L"C:\\B\\two.xla", false});
        st.strSELFILE.push_back({L"D:\\two.xla", false});
        st.strSELFILE.push_back({L"bare.xla", false});
        // Stale records from an earlier mode, more than some modes list and fewer than others.
        st.udtADDINROW = {{}, {L"C:\\x.xla", L"X"}, {L"2", L"2"}, {L"3", L"3"}, {L"4", L"4"}};
        t.ShowMode(k.mode);
        t.win.optBTN_Click(k.mode);

        auto& ui = t.w.ui;
        ASSERT_EQ(ui.RowTexts(), k.titles);
        if (k.mode == 0) {
            EXPECT_EQ(ui.RowData(), (std::vector<long>{2, 3, 4}));
            ASSERT_EQ(st.udtADDINROW.size(), 5u);
            EXPECT_EQ(st.udtADDINROW[1].FullName, L"C:\\x.xla");
            EXPECT_TRUE(t.w.excel.log.empty());
            EXPECT_EQ(t.w.busy.begun, 0);
        } else {
            ASSERT_EQ(st.udtADDINROW.size(), k.titles.size() + 1);
            EXPECT_EQ(st.udtADDINROW[0].FullName, L"");
            EXPECT_EQ(st.udtADDINROW[0].Title, L"");
            for (size_t r = 0; r < k.titles.size(); ++r) {
                EXPECT_EQ(ui.rows[r].data, static_cast<long>(r + 1));
                const auto& rec = st.udtADDINROW[r + 1];
                EXPECT_EQ(rec.Title, k.titles[r]);
                // The record names the add-in shown in the row.
                auto it = std::find_if(t.w.excel.addins.begin(), t.w.excel.addins.end(),
                                       [&](const fake::FakeAddinData& d) { return d.Title == k.titles[r]; });
                EXPECT_EQ(rec.FullName, it->FullName);
            }
            EXPECT_EQ(t.w.excel.instancesCreated, 1);
            EXPECT_EQ(t.w.excel.quits, 1);
            EXPECT_EQ(t.w.excel.log.back(), L"Release");
            EXPECT_EQ(t.w.excel.log[t.w.excel.log.size() - 2], L"Quit");
            EXPECT_EQ(t.w.busy.begun, 1);
            EXPECT_EQ(t.launcher.busyAtCreate, std::vector<bool>{true});
        }
        EXPECT_EQ(ui.selected, -1);
        EXPECT_EQ(ui.Text(Ctl::lblMSG0), k.header);
        EXPECT_EQ(ui.items[Ctl::cmdNEXT].tip, k.tip);
        EXPECT_EQ(ui.Text(Ctl::txtSTEP), k.steps);
        EXPECT_EQ(ui.Text(Ctl::cmdNEXT), k.caption);
        EXPECT_TRUE(ui.Enabled(Ctl::cmdNEXT));
        EXPECT_EQ(ui.Visible(Ctl::txtFOLDER), k.folderShown);
        EXPECT_FALSE(ui.Visible(Ctl::cbxFOLDER));
        EXPECT_FALSE(ui.Visible(Ctl::cmdFolder));
        EXPECT_EQ(ui.Visible(Ctl::cmdADDIN), k.mode == 0);
        EXPECT_FALSE(ui.Visible(Ctl::lblMSG1));
        EXPECT_EQ(ui.Text(Ctl::lblMSG1), L"");
        EXPECT_TRUE(t.Clean());
    }
}

// A switch clears what an earlier selection or step left; an empty list disables Next and
// says so, a list with rows enables it again.
TEST(ModeSwitch, ResetsWhatAnEarlierSelectionOrOperationLeft) {
    for (bool nothing : {false, true}) {
        for (int m = 0; m < 7; ++m) {
            SCOPED_TRACE(testing::Message() << "mode " << m << (nothing ? ", nothing to list" : ""));
            WindowWorld t;
            // Nothing to list: the one offered file is installed already and Excel lists nothing.
            if (!nothing) t.AddAddin(L"C:\\G", L"gone.xla", L"F", true, false);
            t.w.st.strSELFILE.push_back({L"C:\\A\\one.xla", nothing});
            const bool empty = nothing || m == 1 || m == 3 || m == 4;
            auto& ui = t.w.ui;
            ui.SetVisible(Ctl::cmdFolder, true);
            ui.SetVisible(Ctl::cbxFOLDER, true);
            ui.SetVisible(Ctl::txtFOLDER, true);
            ui.SetText(Ctl::txtFOLDER, L"D:\\Tools");
            ui.SetText(Ctl::lblMSG1, L"title");
            ui.SetVisible(Ctl::lblMSG1, true);
            ui.SetText(Ctl::lblKEKKA, L"done");
            ui.SetVisible(Ctl::cmdADDIN, m != 0);
            ui.SetEnabled(Ctl::cmdNEXT, empty);
            ui.ListAdd(L"old row");
            ui.selected = 0;
            t.win.optBTN_Click(m);
            EXPECT_FALSE(ui.Visible(Ctl::cmdFolder));
            EXPECT_FALSE(ui.Visible(Ctl::cbxFOLDER));
            EXPECT_EQ(ui.Visible(Ctl::txtFOLDER), m == 0 || m == 3 || m == 4 || m == 6);
            EXPECT_EQ(ui.Text(Ctl::txtFOLDER), L"");
            EXPECT_EQ(ui.ListCount() == 0, empty);
            EXPECT_EQ(ui.Enabled(Ctl::cmdNEXT), !empty);
            EXPECT_EQ(ui.Text(Ctl::lblMSG1), empty ? texts::kNoCandidates : L"");
            EXPECT_EQ(ui.Visible(Ctl::lblMSG1), empty);
            EXPECT_EQ(ui.Text(Ctl::lblKEKKA), L"");
            EXPECT_EQ(ui.Visible(Ctl::cmdADDIN), m == 0);
            EXPECT_EQ(ui.selected, -1);
            const V texts = ui.RowTexts();
            EXPECT_EQ(std::count(texts.begin(), texts.end(), L"old row"), 0);
            EXPECT_TRUE(t.Clean());
        }
    }
}

TEST(ModeSwitch, NextCaptionIsReadFromTheModeButton) {
    WindowWorld t;
    t.w.ui.SetText(OptBtn(2), L"X");
    t.win.optBTN_Click(2);
    EXPECT_EQ(t.w.ui.Text(Ctl::cmdNEXT), std::wstring(L"X") + texts::kRunSuffix);
    t.w.ui.SetText(OptBtn(6), L"Y");
    t.win.optBTN_Click(6);
    EXPECT_EQ(t.w.ui.Text(Ctl::cmdNEXT), texts::kCopyToClipboard);
}

TEST(ModeSwitch, RemovalModesMakeTheCostlyTestsOnlyAfterTheCheapOnes) {
    struct Case {
        const wchar_t* name;
        bool installed, exists;
        const wchar_t* author;
        V reads;  // after "Create", "AddIns"
    };
    const Case cases[] = {
        {L"a.xla", false, true, L"", {L"AddIn.Installed"}},
        {L"a.xlam", true, true, L"", {L"AddIn.Installed", L"AddIn.Name"}},
        {L"a.xla", true, false, L"", {L"AddIn.Installed", L"AddIn.Name", L"AddIn.FullName", L"State? C:\\U\\a.xla"}},
        {L"a.xla", true, true, L"Microsoft",
         {L"AddIn.Installed", L"AddIn.Name", L"AddIn.FullName", L"State? C:\\U\\a.xla", L"Details C:\\U\\a.xla"}},
        {L"A.XLA", true, true, L"me",
         {L"AddIn.Installed", L"AddIn.Name", L"AddIn.FullName", L"State? C:\\U\\A.XLA", L"Details C:\\U\\A.XLA",
          L"AddIn.Title", L"AddIn.Title", L"AddIn.FullName"}},
    };
    for (const auto& k : cases) {
        for (int mode : {3, 4}) {
            SCOPED_TRACE(std::wstring(k.name) + L" " + k.author + L" mode " + std::to_wstring(mode));
            WindowWorld t;
            // Mode 4 wants the opposite installed state: flip it so both modes see the same case.
            t.AddAddin(L"C:\\U", k.name, L"T", mode == 3 ? k.installed : !k.installed, k.exists, k.author);
            t.win.optBTN_Click(mode);
            V expected{L"Create", L"AddIns"};
            expected.insert(expected.end(), k.reads.begin(), k.reads.end());
            expected.insert(expected.end(), {L"Quit", L"Release"});
            EXPECT_EQ(t.w.excel.log, expected);
        }
    }
}

TEST(ModeSwitch, TidyModeTestsTheFileBeforeTheName) {
    WindowWorld t;
    t.AddAddin(L"C:\\U", L"here.xla", L"H", true);
    t.AddAddin(L"C:\\G", L"gone.xll", L"X", true, false);
    t.AddAddin(L"C:\\G", L"Gone.Xla", L"G", false, false);
    t.win.optBTN_Click(5);
    const V expected{L"Create", L"AddIns",
                     L"AddIn.FullName", L"State? C:\\U\\here.xla",
                     L"AddIn.FullName", L"State? C:\\G\\gone.xll", L"AddIn.Name",
                     L"AddIn.FullName", L"State? C:\\G\\Gone.Xla", L"AddIn.Name", L"AddIn.Title",
                     L"AddIn.Title", L"AddIn.FullName",
                     L"Quit", L"Release"};
    EXPECT_EQ(t.w.excel.log, expected);
    EXPECT_EQ(t.w.ui.RowTexts(), V{L"G"});
    EXPECT_EQ(t.w.fs.listings, 1) << "a drive out of reach is asked once for the whole list";
    EXPECT_EQ(t.w.fs.listingDepth, 0);
}

TEST(ModeSwitch, EmptyAndRepeatedTitlesAreOrdinaryRows) {
    WindowWorld t;
    t.AddAddin(L"C:\\U", L"a.xla", L"", false);
    t.AddAddin(L"C:\\U", L"b.xla", L"Same", false);
    t.AddAddin(L"D:\\U", L"b.xla", L"Same", false);
    t.win.optBTN_Click(6);
    EXPECT_EQ(t.w.ui.RowTexts(), (V{L"", L"Same", L"Same"}));
    EXPECT_EQ(t.w.ui.RowData(), (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(t.w.st.udtADDINROW[3].FullName, L"D:\\U\\b.xla");
    EXPECT_TRUE(t.w.ui.Enabled(Ctl::cmdNEXT));
}

TEST(ModeSwitch, ListsOfAnyLengthKeepTheirItemData) {
    WindowWorld t;
    const long n = 40000;  // beyond a 16-bit row counter
    for (long i = 0; i < n; ++i) t.w.excel.addins.push_back({L"a.xla", L"C:\\a.xla", L"A", L"C:", false});
    t.win.optBTN_Click(1);
    ASSERT_EQ(t.w.ui.ListCount(), n);
    EXPECT_EQ(t.w.ui.rows.back().data, n);
    EXPECT_EQ(t.w.ui.rows[32767].data, 32768);
    EXPECT_EQ(t.w.st.udtADDINROW.size(), static_cast<size_t>(n) + 1);
}

TEST(ModeSwitch, NoExcelIsLeftAliveWhenACallFailsMidway) {
    for (const wchar_t* member : {L"Create", L"AddIns", L"AddIn.Installed", L"AddIn.Name", L"AddIn.FullName",
                                  L"AddIn.Title", L"Quit"}) {
        for (int mode : {3, 5}) {
            if (mode == 5 && std::wstring(member) == L"AddIn.Installed") continue;  // not read there
            SCOPED_TRACE(std::wstring(member) + L" mode " + std::to_wstring(mode));
            WindowWorld t;
            t.AddAddin(L"C:\\U", L"a.xla", L"A", true, mode == 3);
            t.w.excel.failing.insert(member);
            EXPECT_THROW(t.win.optBTN_Click(mode), excel::ExcelError);
            EXPECT_TRUE(t.Clean());
            EXPECT_GE(t.w.busy.begun, 1);
        }
    }
}

TEST(ModeSwitch, AnIndexOutsideTheButtonsChangesNothing) {
    WindowWorld t;
    t.w.ui.SetText(Ctl::lblKEKKA, L"kept");
    t.win.optBTN_Click(7);
    t.win.optBTN_Click(-1);
    EXPECT_EQ(t.w.ui.Text(Ctl::lblKEKKA), L"kept");
    EXPECT_TRUE(t.w.excel.log.empty());
}

TEST(SetAddinRow, GrowsKeepingEarlierRecordsAndReadsTitleThenFullName) {
    WindowWorld t;
    t.AddAddin(L"C:\\U", L"a.xla", L"A", true);
    t.w.st.udtADDINROW = {{}, {L"C:\\one.xla", L"One"}};
    fake::FakeAddIn addin(t.w.excel, 0);
    SetAddinRow(t.ctx(), 3, addin);
    ASSERT_EQ(t.w.st.udtADDINROW.size(), 4u);
    EXPECT_EQ(t.w.st.udtADDINROW[1].Title, L"One");
    EXPECT_EQ(t.w.st.udtADDINROW[2].FullName, L"");
    EXPECT_EQ(t.w.st.udtADDINROW[3].Title, L"A");
    EXPECT_EQ(t.w.st.udtADDINROW[3].FullName, L"C:\\U\\a.xla");
    EXPECT_EQ(t.w.excel.log, (V{L"AddIn.Title", L"AddIn.FullName"}));

    SetAddinRow(t.ctx(), 1, addin);  // shrinks to the row given
    ASSERT_EQ(t.w.st.udtADDINROW.size(), 2u);
    EXPECT_EQ(t.w.st.udtADDINROW[1].Title, L"A");
}

}  // namespace
}  // namespace qv
