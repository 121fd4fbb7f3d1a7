#include <gtest/gtest.h>

#include "ops_world.h"
#include "window/texts.h"

namespace qv {
namespace {

using fake::OpsWorld;

// Mode `mode` (1 to 6) with the listed add-in C:\Tools\a.xla titled `title` selected.
void SelectAddinMode(OpsWorld& o, int mode, bool installed, const std::wstring& title = L"Tool") {
    o.ShowMode(mode);
    o.List(L"C:\\Tools\\a.xla", title, installed);
    o.ui.selected = o.Row(L"C:\\Tools\\a.xla", title);
    o.ui.items[Ctl::txtFOLDER].text = L"C:\\Tools\\a.xla";
}

// Mode 0, a new install of the offered file `src` into the existing folder C:\Tools.
void SelectInstall(OpsWorld& o, const std::wstring& src, const std::wstring& title) {
    o.ShowMode(0);
    o.ui.items[Ctl::cmdNEXT].text = texts::kInstall1Run;
    o.ui.items[Ctl::lblMSG1].text = title;
    o.ui.items[Ctl::cbxFOLDER].text = L"C:\\Tools";
    o.fs.folders.insert(L"C:\\Tools");
    o.fs.files[src] = L"new";
    o.ui.selected = o.FileRow(src);
}

TEST(NextSelectionCheck, MessageDependsOnTheButtonCaptionExactly) {
    struct Case { int mode; std::wstring caption; const wchar_t* message; };
    const Case cases[] = {
        {0, texts::kInstall1Run, texts::kSelectAddinFile},
        {0, std::wstring(texts::kInstall1Run) + L" ", texts::kSelectAddin},
        {0, texts::kOptCaption0, texts::kSelectAddin},
        {1, std::wstring(texts::kOptCaption1) + texts::kRunSuffix, texts::kSelectAddin},
        {4, std::wstring(texts::kOptCaption4) + texts::kRunSuffix, texts::kSelectAddin},
        {6, texts::kCopyToClipboard, texts::kSelectAddin},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        o.ShowMode(c.mode);
        o.ui.items[Ctl::cmdNEXT].text = c.caption;
        o.FileRow(L"C:\\A\\a.xla");  // a row exists, but none is selected

        o.win.cmdNEXT_Click();

        EXPECT_TRUE(o.w.msg.OnlyStop(c.message)) << c.mode;
        EXPECT_EQ(o.excel.instancesCreated, 0);
        EXPECT_EQ(o.ui.Text(Ctl::lblKEKKA), L"(before)");
        EXPECT_EQ(o.ui.ListCount(), 1);
        EXPECT_FALSE(o.w.clip.text.has_value());
        EXPECT_EQ(o.w.busy.begun, 0);
    }
}

TEST(NextDispatch, NoModeChosenDoesNothing) {
    OpsWorld o;
    SelectAddinMode(o, 1, false);
    o.ShowMode(-1);
    o.win.cmdNEXT_Click();
    EXPECT_TRUE(o.excel.log.empty());
    EXPECT_EQ(o.ui.ListCount(), 1);
    EXPECT_EQ(o.ui.Text(Ctl::lblKEKKA), L"(before)");
    EXPECT_TRUE(o.w.msg.shown.empty());
}

TEST(NextDispatch, TheShownModeDecidesNotAButtonChangedSince) {
    OpsWorld o;
    SelectAddinMode(o, 2, true);
    o.ui.items[OptBtn(4)].checked = true;  // a later one as well
    o.win.cmdNEXT_Click();
    EXPECT_FALSE(o.Addin(L"C:\\Tools\\a.xla")->Installed);
    EXPECT_TRUE(o.fs.files.count(L"C:\\Tools\\a.xla")) << "mode 4 would have deleted the file";
}

// Each step runs under the busy cursor, says what it did and removes its row; only removals
// wait for Excel to end. The install text uses the title label, even when empty.
TEST(NextCompletion, TextsPerModeRowRemovedBusyCursorAndWait) {
    struct Case { int mode; bool installed; const wchar_t* title; const wchar_t* text; };
    const Case cases[] = {
        {0, false, L"便利ツール", L"「便利ツール」のインストールが完了しました。"},
        {0, false, L"", L"「」のインストールが完了しました。"},
        {1, false, L"Tool", L"「Tool」のインストールが完了しました。"},
        {2, true, L"Tool", L"「Tool」のアンインストールが完了しました。"},
        {3, true, L"Tool", L"「Tool」のアンインストールが完了しました。"},
        {4, false, L"Tool", L"「Tool」の削除が完了しました。"},
        {5, true, L"Tool", L"「Tool」の削除が完了しました。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        OpsWorld o;
        if (c.mode == 0) {
            SelectInstall(o, L"D:\\src\\a.xla", c.title);
        } else {
            o.Row(L"C:\\Keep\\k.xla", L"Keep");
            SelectAddinMode(o, c.mode, c.installed);
        }
        o.win.cmdNEXT_Click();
        EXPECT_EQ(o.ui.Text(Ctl::lblKEKKA), c.text);
        EXPECT_EQ(o.ui.RowTexts(), c.mode == 0 ? std::vector<std::wstring>{} : std::vector<std::wstring>{L"Keep"});
        EXPECT_EQ(o.ui.ListIndex(), -1);
        EXPECT_EQ(o.ui.Visible(Ctl::cmdFolder), c.mode != 0);
        if (c.mode == 0) {
            EXPECT_TRUE(o.fs.files.count(L"C:\\Tools\\a.xla"));
        }
        EXPECT_EQ(o.launcher.busyAtCreate, std::vector<bool>{true});
        EXPECT_EQ(o.w.busy.begun, 1);
        EXPECT_EQ(o.w.busy.depth, 0);
        EXPECT_EQ(o.excel.Calls(L"WaitForInstancesToEnd").size(), c.mode >= 3 ? 1u : 0u);
        EXPECT_EQ(o.excel.instancesCreated, 1);
        EXPECT_EQ(o.excel.instancesAlive, 0);
    }
}

TEST(NextInstall, MarksEveryEntryWithTheFileNameCaseSensitively) {
    OpsWorld o;
    SelectInstall(o, L"D:\\one\\a.xla", L"A");
    o.FileRow(L"E:\\two\\a.xla");
    o.FileRow(L"F:\\three\\A.xla");
    o.FileRow(L"G:\\four\\b.xla");
    o.st.strSELFILE.push_back({L"a.xla", false});  // no folder at all: the whole path is the name
    ASSERT_EQ(o.ui.selected, 0);

    o.win.cmdNEXT_Click();

    std::vector<bool> done;
    for (long i = 1; i <= o.st.SelFileUpper(); ++i) done.push_back(o.st.strSELFILE[static_cast<size_t>(i)].Done);
    EXPECT_EQ(done, (std::vector<bool>{true, true, false, false, true}));
    EXPECT_EQ(o.ui.RowTexts(), (std::vector<std::wstring>{L"a.xla", L"A.xla", L"b.xla"}));
    EXPECT_EQ(o.ui.RowData(), (std::vector<long>{2, 3, 4}));
}

TEST(NextInstall, TargetFolderMustBeAnExistingFullPath) {
    struct Case { const wchar_t* folder; bool exists, accepted; };
    const Case cases[] = {
        {L"", false, false},
        {L"Tools", true, false},
        {L"\\Tools", true, false},
        {L"C:", true, false},
        {L"C:Tools", true, false},
        {L"C:/Tools", true, false},
        {L"\\\\srv", true, false},
        {L"C:\\Missing", false, false},
        {L"\\\\srv\\share", false, false},
        {L"C:\\", true, true},
        {L"C:\\Tools\\", true, true},
        {L"\\\\srv\\share", true, true},
        {L"\\\\srv\\share\\sub", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        OpsWorld o;
        SelectInstall(o, L"D:\\src\\a.xla", L"A");
        o.ui.items[Ctl::cbxFOLDER].text = c.folder;
        if (c.exists) o.fs.folders.insert(c.folder);

        o.win.cmdNEXT_Click();

        if (c.accepted) {
            EXPECT_TRUE(o.w.msg.shown.empty());
            EXPECT_EQ(o.ui.ListCount(), 0);
            continue;
        }
        EXPECT_TRUE(o.w.msg.OnlyStop(texts::kInvalidFolder1 + std::wstring(c.folder) + texts::kInvalidFolder2));
        EXPECT_EQ(o.excel.instancesCreated, 0);
        EXPECT_TRUE(o.fs.log.empty());
        EXPECT_EQ(o.ui.Text(Ctl::lblKEKKA), L"(before)");
        EXPECT_EQ(o.ui.ListCount(), 1);
        EXPECT_EQ(o.ui.ListIndex(), 0);
        EXPECT_TRUE(o.ui.Visible(Ctl::cmdFolder));
        EXPECT_FALSE(o.st.strSELFILE[1].Done);
        EXPECT_EQ(o.w.busy.begun, 0);
    }
}

// A version-up checks the folder shown, not the combo box. Excel reports the folder of
// C:\a.xla as "C:", which typed into the combo box would be refused.
TEST(NextInstall, VersionUpChecksTheShownFolderNotTheComboBox) {
    struct Case { const wchar_t* listed; const wchar_t* path; const wchar_t* shown; const wchar_t* combo; bool refused; };
    const Case cases[] = {
        {L"C:\\Tools\\a.xla", L"C:\\Tools", L"C:\\Tools", L"", false},
        {L"C:\\Tools\\a.xla", L"C:\\Tools", L"", L"C:\\Tools", true},
        {L"C:\\a.xla", L"C:", L"C:", L"C:\\Tools", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.listed);
        OpsWorld o;
        o.List(c.listed, L"A", true);
        SelectInstall(o, L"D:\\src\\a.xla", L"A");
        o.fs.folders.insert(L"C:\\");
        o.st.strADDINTITLE = L"A";
        o.st.strADDINPATH = c.path;
        o.ui.items[Ctl::txtFOLDER].text = c.shown;
        o.ui.items[Ctl::cbxFOLDER].text = c.combo;
        o.win.cmdNEXT_Click();
        EXPECT_EQ(o.w.msg.shown.size(), c.refused ? 1u : 0u);
        EXPECT_EQ(o.excel.instancesCreated, c.refused ? 0 : 1);
        if (c.refused) continue;
        EXPECT_EQ(o.fs.files[c.listed], L"new");
        EXPECT_EQ(o.ui.Text(Ctl::lblKEKKA), L"「A」のインストールが完了しました。");
    }
}

TEST(NextClipboard, Mode6CopiesTheShownFullNameAndKeepsTheRow) {
    OpsWorld o;
    SelectAddinMode(o, 6, true);
    o.ui.items[Ctl::txtFOLDER].text = L"C:\\ツール\\a.xla";
    o.win.cmdNEXT_Click();
    ASSERT_TRUE(o.w.clip.text.has_value());
    EXPECT_EQ(*o.w.clip.text, L"C:\\ツール\\a.xla");
    EXPECT_EQ(o.ui.ListCount(), 1);
    EXPECT_EQ(o.ui.ListIndex(), 0);
    EXPECT_EQ(o.ui.Text(Ctl::lblKEKKA), L"(before)");
    EXPECT_EQ(o.excel.instancesCreated, 0);
}

TEST(NextFailures, FailingStepLeavesTheWindowAndMarksAsTheyWere) {
    for (int mode : {6, 4, 0}) {  // clipboard busy; file locked for removal; for a version-up
        SCOPED_TRACE(mode);
        OpsWorld o;
        if (mode == 0) {
            o.List(L"C:\\Tools\\a.xla", L"A", true);
            SelectInstall(o, L"D:\\src\\a.xla", L"A");
            o.st.strADDINTITLE = L"A";
            o.st.strADDINPATH = L"C:\\Tools";
            o.ui.items[Ctl::txtFOLDER].text = L"C:\\Tools";
        } else {
            SelectAddinMode(o, mode, mode == 6);
        }
        o.reg.keys[fake::kManagerKey11] = {{L"C:\\Tools\\a.xla", L""}};
        o.fs.locked.insert(L"C:\\Tools\\a.xla");
        o.w.clip.fail = true;
        EXPECT_THROW(o.win.cmdNEXT_Click(), Failure);
        EXPECT_EQ(o.ui.Text(Ctl::lblKEKKA), L"(before)");
        EXPECT_EQ(o.ui.ListCount(), 1);
        EXPECT_EQ(o.ui.ListIndex(), 0);
        EXPECT_EQ(o.fs.files[L"C:\\Tools\\a.xla"], L"old C:\\Tools\\a.xla");
        EXPECT_TRUE(o.reg.GetString(fake::kManagerKey11, L"C:\\Tools\\a.xla").has_value());
        EXPECT_EQ(o.Addin(L"C:\\Tools\\a.xla")->Installed, mode != 4);
        if (mode == 0) {
            EXPECT_FALSE(o.st.strSELFILE[1].Done);
            EXPECT_TRUE(o.ui.Visible(Ctl::cmdFolder));
        }
        EXPECT_EQ(o.excel.instancesAlive, 0);
        EXPECT_EQ(o.w.busy.depth, 0);
    }
}

TEST(NextRepeat, SecondPressAfterTheLastRowAsksForASelection) {
    OpsWorld o;
    SelectAddinMode(o, 1, false);
    o.win.cmdNEXT_Click();
    ASSERT_EQ(o.ui.ListCount(), 0);
    o.win.cmdNEXT_Click();
    EXPECT_TRUE(o.w.msg.OnlyStop(texts::kSelectAddin));
    EXPECT_EQ(o.excel.instancesCreated, 1);
}

// An Excel that does not end in time: the removal says so, deletes nothing and keeps the row.
TEST(NextRemoval, ExcelThatDoesNotEndLeavesEverythingInPlace) {
    for (int mode : {3, 4, 5}) {
        OpsWorld o;
        SelectAddinMode(o, mode, mode != 4);
        o.reg.keys[fake::kManagerKey11] = {{L"C:\\Tools\\a.xla", L""}};
        o.excel.quitInstancesEnd = false;

        o.win.cmdNEXT_Click();

        EXPECT_TRUE(o.w.msg.OnlyStop(texts::kExcelDidNotEnd)) << mode;
        EXPECT_TRUE(o.fs.files.count(L"C:\\Tools\\a.xla")) << mode;
        EXPECT_TRUE(o.reg.GetString(fake::kManagerKey11, L"C:\\Tools\\a.xla").has_value()) << mode;
        EXPECT_EQ(o.ui.ListCount(), 1) << mode;
        EXPECT_EQ(o.ui.Text(Ctl::lblKEKKA), L"(before)") << mode;
        EXPECT_EQ(o.excel.instancesAlive, 0) << mode;
        EXPECT_EQ(o.w.busy.depth, 0) << mode;
    }
}

}  // namespace
}  // namespace qv
