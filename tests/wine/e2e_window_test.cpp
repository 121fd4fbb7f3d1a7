// End to end, before "次へ": the modes fill the list from the stand-in's add-in list, a row
// selection shows where the add-in lies or will go, and the browse buttons go through the
// stand-in's file dialogs.
#include "e2e_world.h"

#include <string>
#include <vector>

#include "window/texts.h"

namespace qv::e2e {
namespace {

using Strings = std::vector<std::wstring>;

class E2eWindow : public E2eTest {};

TEST_F(E2eWindow, EachModeListsItsCandidatesFromExcel) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard());
    // Mode 0 ran on load, without files to offer: nothing to do, and no Excel was needed.
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Text(IDC_LBLMSG1), texts::kNoCandidates);
    EXPECT_TRUE(Shown(IDC_LBLMSG1));
    EXPECT_FALSE(Enabled(IDC_CMDNEXT));
    EXPECT_EQ(Text(IDC_CMDNEXT), texts::kInstall1Run);
    EXPECT_TRUE(Shown(IDC_CMDADDIN));
    EXPECT_EQ(test::CountStandIns(), 0);

    struct Case {
        int mode;
        Strings rows;
        std::wstring header, next;
        bool folderShown;
    };
    const std::wstring run = texts::kRunSuffix;
    const Case cases[] = {
        {1, {L"Library Tool", L"Off Tool"}, texts::kListHeader1, texts::kOptCaption1 + run, false},
        {2, {L"gone", L"MS Tool", L"Other Tool", L"User Tool"}, texts::kListHeader2, texts::kOptCaption2 + run, false},
        // Neither the Microsoft add-in nor the one whose file is gone can be removed.
        {3, {L"Other Tool", L"User Tool"}, texts::kListHeader3, texts::kOptCaption3 + run, true},
        {4, {L"Library Tool", L"Off Tool"}, texts::kListHeader4, texts::kOptCaption4 + run, true},
        {5, {L"gone"}, texts::kListHeader5, texts::kOptCaption5 + run, false},
        {6, {L"gone", L"Library Tool", L"MS Tool", L"Off Tool", L"Other Tool", L"User Tool"}, texts::kListHeader6,
         texts::kCopyToClipboard, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        Mode(c.mode);
        EXPECT_EQ(SendMessageW(Item(IDC_OPTBTN0 + c.mode), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(Rows(), c.rows);
        std::vector<long> data;
        for (size_t i = 1; i <= c.rows.size(); ++i) data.push_back(static_cast<long>(i));
        EXPECT_EQ(RowData(), data);
        EXPECT_EQ(Text(IDC_LBLMSG0), c.header);
        EXPECT_EQ(Text(IDC_CMDNEXT), c.next);
        EXPECT_TRUE(Enabled(IDC_CMDNEXT));
        EXPECT_FALSE(Shown(IDC_LBLMSG1));
        EXPECT_FALSE(Shown(IDC_CMDADDIN));
        EXPECT_EQ(Shown(IDC_TXTFOLDER), c.folderShown);
        // The mode's instance has quit and nothing was written.
    }
}

TEST_F(E2eWindow, ModeWithoutCandidatesCannotRun) {
    // Only add-ins whose files exist: nothing to tidy.
    RegisterOn(MakeXla(OtherDir(), L"oth.xla", L"Other Tool"));
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(5);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Text(IDC_LBLMSG1), texts::kNoCandidates);
    EXPECT_TRUE(Shown(IDC_LBLMSG1));
    EXPECT_FALSE(Enabled(IDC_CMDNEXT));
    Mode(2);
    EXPECT_EQ(Rows(), Strings{L"Other Tool"});
    EXPECT_TRUE(Enabled(IDC_CMDNEXT));
    EXPECT_FALSE(Shown(IDC_LBLMSG1));
}

TEST_F(E2eWindow, InstallRowShowsTheFolderChoiceTheUpgradeFolderOrTheTitleConflict) {
    BuildStandardWorld();
    std::wstring fresh = MakeXla(SrcDir(), L"new.xla", L"New Tool");
    MakeXla(SrcDir(), L"oth.xla", L"Other Tool", L"version 2");
    MakeXla(SrcDir(), L"dup.xla", L"User Tool");
    Offer(fresh);
    Offer(SrcDir() + L"\\oth.xla");
    Offer(SrcDir() + L"\\dup.xla");
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Rows(), (Strings{L"new.xla", L"oth.xla", L"dup.xla"}));
    EXPECT_EQ(RowData(), (std::vector<long>{1, 2, 3}));

    // A file Excel does not list: a new install into one of Excel's two folders.
    SelectRow(L"new.xla");
    EXPECT_TRUE(Shown(IDC_CBXFOLDER));
    EXPECT_FALSE(Shown(IDC_TXTFOLDER));
    EXPECT_TRUE(Shown(IDC_CMDFOLDER));
    EXPECT_EQ(ComboEntries(), (Strings{UserDir(), LibDir()}));
    EXPECT_EQ(SendMessageW(Item(IDC_CBXFOLDER), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Text(IDC_CBXFOLDER), UserDir());
    EXPECT_EQ(Text(IDC_LBLMSG1), L"New Tool");
    EXPECT_TRUE(Shown(IDC_LBLMSG1));
    EXPECT_TRUE(Enabled(IDC_CMDNEXT));
    Screenshot(L"mode0-new-install");

    // A file Excel lists by that name: its folder, read-only.
    SelectRow(L"oth.xla");
    EXPECT_TRUE(Shown(IDC_TXTFOLDER));
    EXPECT_FALSE(Shown(IDC_CBXFOLDER));
    EXPECT_EQ(Text(IDC_TXTFOLDER), OtherDir());
    EXPECT_NE(GetWindowLongPtrW(Item(IDC_TXTFOLDER), GWL_STYLE) & ES_READONLY, 0);
    EXPECT_EQ(Text(IDC_LBLMSG1), L"Other Tool");
    EXPECT_TRUE(Enabled(IDC_CMDNEXT));

    // A file whose title another listed add-in already has.
    SelectRow(L"dup.xla");
    ExpectBox(texts::kTitleConflict);
    EXPECT_EQ(Text(IDC_LBLMSG1), L"User Tool");
    EXPECT_FALSE(Enabled(IDC_CMDNEXT));
}

TEST_F(E2eWindow, RemovalAndShowRowsTellWhereTheFileLies) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard(3));
    SelectRow(L"Other Tool");
    EXPECT_EQ(Text(IDC_TXTFOLDER), OtherDir());
    EXPECT_EQ(Text(IDC_LBLMSG1), L"oth.xla");
    EXPECT_TRUE(Shown(IDC_LBLMSG1));
    Screenshot(L"mode3-remove-active");

    Mode(4);
    SelectRow(L"Library Tool");
    EXPECT_EQ(Text(IDC_TXTFOLDER), LibDir());
    EXPECT_EQ(Text(IDC_LBLMSG1), L"lib.xla");

    Mode(6);
    SelectRow(L"User Tool");
    EXPECT_EQ(Text(IDC_TXTFOLDER), UserDir() + L"\\usr.xla");
    EXPECT_FALSE(Shown(IDC_LBLMSG1));
    EXPECT_TRUE(Enabled(IDC_CMDNEXT));
    Screenshot(L"mode6-show-folder");

}

// Every mode with one row selected, as the user sees it before "次へ", then an install's
// result line: the pictures of the manual, with Japanese titles as its reader would have them.
TEST_F(E2eWindow, EveryModeWithARowSelectedShowsItsSteps) {
    RegisterOn(MakeXla(UserDir(), L"uriage.xla", L"売上集計"), true);
    RegisterOn(MakeXla(OtherDir(), L"meisai.xla", L"明細チェック"));
    RegisterOff(MakeXla(OtherDir(), L"kinmu.xla", L"勤務表ツール"));
    RegisterOn(OtherDir() + L"\\旧集計.xla");
    Offer(MakeXla(SrcDir(), L"seikyu.xla", L"請求書作成"));
    ASSERT_NO_FATAL_FAILURE(Open());
    struct Case {
        int mode;
        std::wstring row;
        const wchar_t* steps;
        std::wstring folder, msg1;
    };
    const Case cases[] = {
        {0, L"seikyu.xla", texts::kSteps0, UserDir(), L"請求書作成"},  // a new install: the folder choice
        {1, L"勤務表ツール", texts::kSteps1, L"", L""},
        {2, L"明細チェック", texts::kSteps2, L"", L""},
        {3, L"明細チェック", texts::kSteps3, OtherDir(), L"meisai.xla"},
        {4, L"勤務表ツール", texts::kSteps4, OtherDir(), L"kinmu.xla"},
        {5, L"旧集計", texts::kSteps5, L"", L""},
        {6, L"売上集計", texts::kSteps6, UserDir() + L"\\uriage.xla", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        Mode(c.mode);
        SelectRow(c.row);
        EXPECT_EQ(SendMessageW(Item(IDC_LSTADDIN), LB_GETCURSEL, 0, 0), RowOf(c.row));
        EXPECT_EQ(Text(IDC_TXTSTEP), c.steps);
        EXPECT_EQ(Text(c.mode == 0 ? IDC_CBXFOLDER : IDC_TXTFOLDER), c.folder);
        EXPECT_EQ(Text(IDC_LBLMSG1), c.msg1);
        EXPECT_TRUE(Enabled(IDC_CMDNEXT));
        Screenshot(L"mode" + std::to_wstring(c.mode) + L"-row-selected");
    }
    // And a finished step, with its result line: the offered file installed into the user folder.
    Mode(0);
    SelectRow(L"seikyu.xla");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), texts::kOpenQuote + std::wstring(L"請求書作成") + texts::kInstallDone);
    EXPECT_TRUE(Exists(UserDir() + L"\\seikyu.xla"));
    Screenshot(L"mode0-done");
}

TEST_F(E2eWindow, BrowseForFilesReplacesTheOfferedFiles) {
    std::wstring a = MakeXla(SrcDir(), L"a.xla", L"Tool A");
    std::wstring b = MakeXla(OtherDir(), L"b.xla", L"Tool B");
    std::wstring c = MakeXla(SrcDir(), L"c.xla", L"Tool C");
    Offer(MakeXla(SrcDir(), L"old.xla", L"Old Tool"));
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_EQ(Rows(), Strings{L"old.xla"});

    AnswerOpen({a, b, c});
    Click(IDC_CMDADDIN);
    EXPECT_EQ(Rows(), (Strings{L"a.xla", L"b.xla", L"c.xla"}));
    EXPECT_EQ(RowData(), (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(StringValues(kAnswersKey)[L"LastOpenFilter"], texts::kOpenFilter);
    ASSERT_EQ(st_.strSELFILE.size(), 4u);
    EXPECT_EQ(st_.strSELFILE[2].Path, b);
    EXPECT_TRUE(NoStandInLeft());

    // Cancelled: the list and the files behind its rows stay.
    AnswerOpen({});
    Click(IDC_CMDADDIN);
    EXPECT_EQ(Rows(), (Strings{L"a.xla", L"b.xla", L"c.xla"}));
    EXPECT_EQ(RowData(), (std::vector<long>{1, 2, 3}));
    EXPECT_FALSE(StringValues(kAnswersKey).count(L"GetOpenFilename"));

    // The row's item data leads to its own file: b's title, from the other folder.
    SelectRow(L"b.xla");
    EXPECT_EQ(Text(IDC_LBLMSG1), L"Tool B");
    EXPECT_EQ(st_.strSRCFILE, b);
}

TEST_F(E2eWindow, BrowseForAFolderTakesFixedDrivesOnly) {
    Offer(MakeXla(SrcDir(), L"new.xla", L"New Tool"));
    ASSERT_NO_FATAL_FAILURE(Open());
    SelectRow(L"new.xla");
    ASSERT_EQ(Text(IDC_CBXFOLDER), UserDir());
    struct Case {
        std::wstring answer, combo;
        bool refused;
    };
    const Case cases[] = {
        {L"C:\\Tools\\Deep\\new.xla", L"C:\\Tools\\Deep", false},
        {L"C:\\new.xla", L"C:\\", false},
        // No drive Q: here (DRIVE_NO_ROOT_DIR): refused, the text stays.
        {L"Q:\\Shared\\new.xla", L"C:\\", true},
        // Cancelled: nothing changes, nothing is said.
        {L"", L"C:\\", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(test::Narrow(c.answer));
        AnswerSaveAs(c.answer);
        Click(IDC_CMDFOLDER);
        EXPECT_EQ(Text(IDC_CBXFOLDER), c.combo);
        if (c.refused) ExpectBox(texts::kDriveRefused1 + std::wstring(L"Ｑ：") + texts::kDriveRefused2);
        EXPECT_TRUE(msg_.shown.empty());
        // The dialog was offered the selected row's file name.
        EXPECT_EQ(StringValues(kAnswersKey)[L"LastSaveAsInitial"], L"new.xla");
    }
    // The combo's entries are not touched by the folder choice.
    EXPECT_EQ(ComboEntries(), (Strings{UserDir(), LibDir()}));
}

}  // namespace
}  // namespace qv::e2e
