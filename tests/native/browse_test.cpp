#include <gtest/gtest.h>

#include "window/texts.h"
#include "window_world.h"

namespace qv {
namespace {

using fake::WindowWorld;
using V = std::vector<std::wstring>;

TEST(ChooseFiles, ReplacesTheOfferedFilesWithTheChosenOnes) {
    const V threeFiles{L"D:\\a.xla", L"D:\\b.xla", L"D:\\c.xla"};
    for (const V& chosen : {threeFiles, V{L"E:\\only.xla"}}) {
        SCOPED_TRACE(chosen.size());
        WindowWorld t;
        t.w.st.strSELFILE.push_back({L"C:\\old\\x.xla", true});
        t.w.st.strSELFILE.push_back({L"C:\\old\\y.xla", false});
        t.w.ui.ListAdd(L"y.xla");
        t.w.ui.ListSetItemData(0, 2);
        t.w.ui.SetEnabled(Ctl::cmdNEXT, false);
        t.w.ui.SetText(Ctl::lblMSG1, L"kept");
        t.w.excel.openAnswer = chosen;
        t.win.cmdADDIN_Click();

        const auto& sel = t.w.st.strSELFILE;
        ASSERT_EQ(sel.size(), chosen.size() + 1);
        EXPECT_EQ(sel[0].Path, L"");
        for (size_t i = 0; i < chosen.size(); ++i) {
            EXPECT_EQ(sel[i + 1].Path, chosen[i]);
            EXPECT_FALSE(sel[i + 1].Done);
            EXPECT_EQ(t.w.ui.rows[i].text, FileNamePart(chosen[i]));
            EXPECT_EQ(t.w.ui.rows[i].data, static_cast<long>(i + 1));
        }
        EXPECT_EQ(t.w.ui.ListCount(), static_cast<int>(chosen.size()));
        EXPECT_EQ(t.w.ui.selected, -1);
        EXPECT_FALSE(t.w.ui.Enabled(Ctl::cmdNEXT));
        EXPECT_EQ(t.w.ui.Text(Ctl::lblMSG1), L"kept");
        const V expected{L"Create", std::wstring(L"GetOpenFilename ") + texts::kOpenFilter, L"Quit", L"Release"};
        EXPECT_EQ(t.w.excel.log, expected);
        EXPECT_EQ(t.launcher.busyAtCreate, std::vector<bool>{true});
        EXPECT_TRUE(t.Clean());
    }
}

TEST(ChooseFiles, CancelOrAnEmptyAnswerKeepsWhatWasOffered) {
    for (bool cancelled : {true, false}) {
        SCOPED_TRACE(cancelled);
        WindowWorld t;
        t.w.excel.openAnswer = V{L"D:\\a.xla", L"D:\\b.xla"};
        t.win.cmdADDIN_Click();
        t.w.ui.selected = 1;
        if (cancelled) t.w.excel.openAnswer.reset(); else t.w.excel.openAnswer = V{};
        t.win.cmdADDIN_Click();
        ASSERT_EQ(t.w.st.strSELFILE.size(), 3u);
        EXPECT_EQ(t.w.st.strSELFILE[2].Path, L"D:\\b.xla");
        EXPECT_EQ(t.w.ui.RowTexts(), (V{L"a.xla", L"b.xla"}));
        EXPECT_EQ(t.w.ui.RowData(), (std::vector<long>{1, 2}));
        EXPECT_EQ(GetSelectedFile(t.ctx(), SelectedItemData(t.ctx())), L"D:\\b.xla");
        EXPECT_EQ(t.w.excel.quits, 2);
        EXPECT_TRUE(t.Clean());
    }
}

TEST(ChooseFiles, AFailingDialogKeepsTheOfferedFilesAndLeavesNoExcel) {
    for (const std::wstring& member : V{L"Create", L"GetOpenFilename " + std::wstring(texts::kOpenFilter), L"Quit"}) {
        SCOPED_TRACE(member);
        WindowWorld t;
        t.w.excel.failing.insert(member);
        t.w.excel.openAnswer = V{L"D:\\a.xla"};
        t.w.st.strSELFILE.push_back({L"C:\\old.xla", false});
        EXPECT_THROW(t.win.cmdADDIN_Click(), excel::ExcelError);
        if (member != L"Quit") {
            EXPECT_EQ(t.w.st.strSELFILE.size(), 2u);
        }
        EXPECT_TRUE(t.Clean());
    }
}

TEST(ChooseFolder, FixedDiskSetsTheComboTextToTheFolder) {
    struct Case {
        const wchar_t* answer;
        const wchar_t* root;
        const wchar_t* folder;
    };
    const Case cases[] = {
        {L"C:\\Tools\\a.xla", L"C:\\", L"C:\\Tools"},
        {L"C:\\a.xla", L"C:\\", L"C:\\"},
        {L"D:\\x\\y\\z", L"D:\\", L"D:\\x\\y"},
        {L"c:\\Tools\\", L"c:\\", L"c:\\Tools"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.answer);
        WindowWorld t;
        t.w.drives.types[k.root] = 3;
        t.w.ui.ComboAdd(L"C:\\Office\\Library");
        t.w.ui.ComboSelect(0);
        t.w.excel.saveAsAnswer = k.answer;
        t.win.cmdFolder_Click();
        EXPECT_EQ(t.w.ui.Text(Ctl::cbxFOLDER), k.folder);
        EXPECT_EQ(t.w.ui.combo, V{L"C:\\Office\\Library"});  // not added as an entry
        EXPECT_EQ(t.w.drives.asked, V{k.root});
        EXPECT_TRUE(t.w.msg.shown.empty());
        EXPECT_EQ(t.launcher.busyAtCreate, std::vector<bool>{true});
        EXPECT_TRUE(t.Clean());
    }
}

TEST(ChooseFolder, EveryOtherDriveIsRefusedNamingItInFullWidth) {
    struct Case {
        const wchar_t* answer;
        int type;
        std::wstring message;
    };
    const std::wstring r1 = texts::kDriveRefused1, r2 = texts::kDriveRefused2;
    const Case cases[] = {
        {L"D:\\x\\a.xla", 2, L"このドライブ（ Ｄ： ）は、指定できません。"},
        {L"\\\\server\\share\\a.xla", 4, L"このドライブ（ ＼＼ ）は、指定できません。"},
        {L"E:\\a.xla", 5, r1 + L"\uFF25\uFF1A" + r2},
        {L"z:\\a.xla", 4, r1 + L"\uFF5A\uFF1A" + r2},
        {L"R:\\a.xla", 6, r1 + L"\uFF32\uFF1A" + r2},
        {L"Q:\\a.xla", 0, r1 + L"\uFF31\uFF1A" + r2},
        {L"X:\\a.xla", 1, r1 + L"\uFF38\uFF1A" + r2},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.answer);
        WindowWorld t;
        t.w.drives.types[std::wstring(k.answer).substr(0, 3)] = k.type;
        t.w.ui.SetText(Ctl::cbxFOLDER, L"C:\\Before");
        t.w.excel.saveAsAnswer = k.answer;
        t.win.cmdFolder_Click();
        EXPECT_TRUE(t.w.msg.OnlyStop(k.message));
        EXPECT_EQ(t.w.ui.Text(Ctl::cbxFOLDER), L"C:\\Before");
        EXPECT_TRUE(t.Clean());
    }
}

// The dialog starts with the selected row's file name; cancelled, it changes nothing.
TEST(ChooseFolder, DialogStartsWithTheSelectedRowsFileNameAndCancelChangesNothing) {
    for (int row : {1, -1}) {
        SCOPED_TRACE(row);
        WindowWorld t;
        t.w.ui.ListAdd(L"a.xla");
        t.w.ui.ListAdd(L"b.xla");
        t.w.ui.selected = row;
        t.w.ui.SetText(Ctl::cbxFOLDER, L"C:\\Before");
        t.w.excel.saveAsAnswer.reset();
        t.win.cmdFolder_Click();
        EXPECT_EQ(t.w.excel.Calls(L"GetSaveAsFilename"), V{row < 0 ? L"GetSaveAsFilename " : L"GetSaveAsFilename b.xla"});
        EXPECT_EQ(t.w.ui.Text(Ctl::cbxFOLDER), L"C:\\Before");
        EXPECT_TRUE(t.w.drives.asked.empty());
        EXPECT_TRUE(t.w.msg.shown.empty());
        EXPECT_EQ(t.w.excel.quits, 1);
        EXPECT_TRUE(t.Clean());
    }
}

TEST(ChooseFolder, NoExcelIsLeftAliveWhenTheDialogFails) {
    for (const wchar_t* member : {L"Create", L"GetSaveAsFilename ", L"Quit"}) {
        SCOPED_TRACE(member);
        WindowWorld t;
        t.w.drives.types[L"C:\\"] = 3;
        t.w.excel.saveAsAnswer = L"C:\\T\\a.xla";
        t.w.excel.failing.insert(member);
        EXPECT_THROW(t.win.cmdFolder_Click(), excel::ExcelError);
        EXPECT_TRUE(t.Clean());
    }
}

}  // namespace
}  // namespace qv
