#include <gtest/gtest.h>

#include <tuple>

#include "window/lookup_addin.h"
#include "window/texts.h"
#include "window_world.h"

namespace qv {
namespace {

using fake::WindowWorld;
using V = std::vector<std::wstring>;

// Mode 0 with the offered files listed and row `row` selected.
void SelectOffered(WindowWorld& t, const V& paths, int row) {
    for (auto& p : paths) t.w.st.strSELFILE.push_back({p, false});
    t.ShowMode(0);
    t.win.optBTN_Click(0);
    t.w.ui.selected = row;
}

// Text, visibility, enabled and read-only state of the controls a click may touch.
std::vector<std::tuple<std::wstring, bool, bool, bool>> Snapshot(fake::FakeControls& ui) {
    std::vector<std::tuple<std::wstring, bool, bool, bool>> r;
    for (Ctl c : {Ctl::cmdNEXT, Ctl::lblKEKKA, Ctl::lblMSG1, Ctl::txtFOLDER, Ctl::cbxFOLDER, Ctl::cmdFolder}) {
        auto& i = ui.items[c];
        r.emplace_back(i.text, i.visible, i.enabled, i.readOnly);
    }
    return r;
}

// An offered file with its title detail.
void Offer(WindowWorld& t, const std::wstring& path, const std::wstring& title) {
    t.w.fs.files[path] = L"new";
    t.w.details.Add(path, L"me", title);
}

// Without a selected row, or on a row with no text, a click changes nothing; in the
// switching and tidying modes a row only enables Next and clears the result.
TEST(RowSelection, ClickWithoutARowChangesNothingAndSwitchingModesOnlyEnableNext) {
    enum Kind { kNoRow, kEmptyText, kRow };
    for (int mode : {0, 1, 2, 3, 5, 6}) {
        for (Kind kind : {kNoRow, kEmptyText, kRow}) {
            if (kind == kRow && (mode == 0 || mode == 3 || mode == 6)) continue;  // tested below
            SCOPED_TRACE(testing::Message() << "mode " << mode << " kind " << kind);
            WindowWorld t;
            t.w.st.udtADDINROW = {{}, {L"C:\\G\\a.xla", L"A"}};
            t.ShowMode(mode);
            t.w.ui.ListAdd(kind == kEmptyText ? L"" : L"A");
            t.w.ui.ListSetItemData(0, 1);
            t.w.ui.selected = kind == kNoRow ? -1 : 0;
            t.w.ui.SetEnabled(Ctl::cmdNEXT, kind == kRow);
            t.w.ui.SetText(Ctl::lblKEKKA, kind == kRow ? L"" : L"result");
            const auto after = Snapshot(t.w.ui);  // all the click may change
            t.w.ui.SetEnabled(Ctl::cmdNEXT, false);
            t.w.ui.SetText(Ctl::lblKEKKA, L"result");
            t.win.lstADDIN_Click();
            EXPECT_EQ(Snapshot(t.w.ui), after);
            EXPECT_TRUE(t.w.ui.combo.empty());
            EXPECT_TRUE(t.w.excel.log.empty());
            EXPECT_TRUE(t.w.msg.shown.empty());
        }
    }
}

TEST(RowSelection, NameLookupFindsTheFirstListedAddinWhoseFileExists) {
    struct Listed {
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* title;
        bool exists;
        bool hidden;
    };
    struct Case {
        const char* what;
        std::vector<Listed> listed;
        const wchar_t* path;
        const wchar_t* title;
        size_t namesRead;  // the walk stops at the match
    };
    const Case cases[] = {
        {"not listed", {{L"C:\\A", L"b.xla", L"B", true, false}}, L"", L"", 1},
        {"listed, file present", {{L"C:\\A", L"a.xla", L"T", true, false}}, L"C:\\A", L"T", 1},
        {"listed, file deleted", {{L"C:\\A", L"a.xla", L"T", false, false}}, L"", L"", 1},
        {"listed, file hidden", {{L"C:\\A", L"a.xla", L"T", true, true}}, L"", L"", 1},
        {"other letter case", {{L"C:\\A", L"A.XLA", L"T", true, false}}, L"", L"", 1},
        {"first missing, second present",
         {{L"C:\\A", L"a.xla", L"T1", false, false}, {L"C:\\B", L"a.xla", L"T2", true, false}}, L"C:\\B", L"T2", 2},
        {"two present: the first",
         {{L"C:\\A", L"a.xla", L"T1", true, false}, {L"C:\\B", L"a.xla", L"T2", true, false}}, L"C:\\A", L"T1", 1},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        WindowWorld t;
        for (auto& l : k.listed) {
            t.AddAddin(l.folder, l.name, l.title, true, l.exists);
            if (l.hidden) t.w.fs.hidden.insert(std::wstring(l.folder) + L"\\" + l.name);
        }
        t.w.st.strADDINPATH = L"stale";
        t.w.st.strADDINTITLE = L"stale";
        LookupAddinByName(t.ctx(), L"a.xla");
        EXPECT_EQ(t.w.st.strADDINPATH, k.path);
        EXPECT_EQ(t.w.st.strADDINTITLE, k.title);
        EXPECT_EQ(t.w.excel.Calls(L"AddIn.Name").size(), k.namesRead);
        EXPECT_EQ(t.w.excel.quits, 1);
        EXPECT_TRUE(t.Clean());
    }
}

// An offered file whose name Excel lists with a file behind it is an upgrade in that
// add-in's folder, shown read-only; any other is a new install into a folder to choose.
TEST(RowSelection, OfferedFileShowsItsUpgradeFolderOrTheFoldersToChoose) {
    struct Case {
        const char* what;
        bool listedFileExists;
        const wchar_t* userFolder;
        const wchar_t* file;
        V entries;  // empty: an upgrade
    };
    const Case cases[] = {
        {"upgrade", true, L"C:\\Users\\u\\AddIns", L"D:\\new\\a.xla", {}},
        {"local file", false, L"C:\\Users\\u\\AddIns", L"D:\\new\\a.xla", {L"C:\\Users\\u\\AddIns", L"C:\\Office\\Library"}},
        {"Excel 97", false, L"", L"D:\\new\\a.xla", {L"C:\\Office\\Library"}},
        {"network share", false, L"C:\\Users\\u\\AddIns", L"\\\\srv\\share\\tools\\a.xla",
         {L"C:\\Users\\u\\AddIns", L"C:\\Office\\Library", L"\\\\srv\\share\\tools"}},
        {"network share, Excel 97", false, L"", L"\\\\srv\\share\\a.xla", {L"C:\\Office\\Library", L"\\\\srv\\share"}},
        {"single backslash is local", false, L"C:\\U", L"\\top\\a.xla", {L"C:\\U", L"C:\\Office\\Library"}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        WindowWorld t;
        t.w.st.strADDINFOLDER[0] = k.userFolder;
        t.AddAddin(L"C:\\AddIns", L"a.xla", L"Old", true, k.listedFileExists);
        Offer(t, k.file, L"New");
        SelectOffered(t, {k.file}, 0);
        t.w.ui.SetText(Ctl::txtFOLDER, L"x");
        t.w.ui.SetText(Ctl::lblKEKKA, L"result");
        t.w.ui.SetEnabled(Ctl::cmdNEXT, false);
        t.win.lstADDIN_Click();

        auto& ui = t.w.ui;
        const bool upgrade = k.entries.empty();
        EXPECT_EQ(ui.combo, k.entries);
        EXPECT_EQ(ui.Visible(Ctl::cbxFOLDER), !upgrade);
        EXPECT_EQ(ui.Visible(Ctl::cmdFolder), !upgrade);
        EXPECT_EQ(ui.Visible(Ctl::txtFOLDER), upgrade);
        if (upgrade) {
            EXPECT_EQ(ui.Text(Ctl::txtFOLDER), L"C:\\AddIns");
            EXPECT_TRUE(ui.items[Ctl::txtFOLDER].readOnly);
        } else {
            EXPECT_EQ(ui.comboSelected, 0);
            EXPECT_EQ(ui.Text(Ctl::cbxFOLDER), k.entries[0]);
        }
        EXPECT_EQ(t.w.st.strADDINPATH, upgrade ? L"C:\\AddIns" : L"");
        EXPECT_EQ(t.w.st.strADDINTITLE, upgrade ? L"Old" : L"");
        EXPECT_EQ(ui.Text(Ctl::lblMSG1), L"New");
        EXPECT_TRUE(ui.Visible(Ctl::lblMSG1));
        EXPECT_TRUE(ui.Enabled(Ctl::cmdNEXT));
        EXPECT_EQ(ui.Text(Ctl::lblKEKKA), L"");
        EXPECT_TRUE(t.w.msg.shown.empty());
        EXPECT_TRUE(t.Clean());
    }
}

TEST(RowSelection, ARowLeadsToItsOwnOfferedFile) {
    WindowWorld t;
    for (auto p : {L"D:\\a.xla", L"D:\\b.xla", L"E:\\b.xla"}) Offer(t, p, std::wstring(L"T ") + p);
    t.w.st.strSELFILE.push_back({L"D:\\a.xla", true});  // installed already: not listed
    t.w.st.strSELFILE.push_back({L"D:\\b.xla", false});
    t.w.st.strSELFILE.push_back({L"E:\\b.xla", false});
    t.ShowMode(0);
    t.win.optBTN_Click(0);
    t.w.ui.selected = 1;  // the second b.xla
    t.win.lstADDIN_Click();
    EXPECT_EQ(t.w.st.strSRCFILE, L"E:\\b.xla");
    EXPECT_EQ(t.w.ui.Text(Ctl::lblMSG1), L"T E:\\b.xla");
}

TEST(RowSelection, TitleUsedUnderAnotherFileNameIsRefused) {
    struct Case {
        const char* what;
        const wchar_t* listedName;
        const wchar_t* listedTitle;
        bool refused;
    };
    const Case cases[] = {
        {"same title, other name", L"b.xla", L"New", true},
        {"same title, same name", L"a.xla", L"New", false},
        {"same title, name in other case", L"A.xla", L"New", true},
        {"title in other case", L"b.xla", L"new", false},
        {"other title", L"b.xla", L"Else", false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        WindowWorld t;
        t.AddAddin(L"C:\\X", k.listedName, k.listedTitle, true, false);
        Offer(t, L"D:\\a.xla", L"New");
        Offer(t, L"D:\\c.xla", L"Other");
        SelectOffered(t, {L"D:\\a.xla", L"D:\\c.xla"}, 0);
        t.win.lstADDIN_Click();
        if (k.refused) {
            EXPECT_TRUE(t.w.msg.OnlyStop(texts::kTitleConflict));
        } else {
            EXPECT_TRUE(t.w.msg.shown.empty());
        }
        EXPECT_EQ(t.w.ui.Enabled(Ctl::cmdNEXT), !k.refused);
        // The refusal keeps what the click showed.
        EXPECT_EQ(t.w.ui.Text(Ctl::lblMSG1), L"New");
        EXPECT_TRUE(t.w.ui.Visible(Ctl::cbxFOLDER));
        // The name lookup ends with Quit before the file is read; the title check only releases.
        EXPECT_EQ(t.w.excel.instancesCreated, 2);
        EXPECT_EQ(t.w.excel.Calls(L"Quit").size(), 1u);
        EXPECT_LT(t.Position(L"Quit"), t.Position(L"Details D:\\a.xla"));
        EXPECT_EQ(t.launcher.busyAtCreate, (std::vector<bool>{true, true}));
        EXPECT_EQ(t.w.busy.begun, 1);
        EXPECT_TRUE(t.Clean());
        // A refusal lasts only until the next click.
        t.w.ui.selected = 1;
        t.win.lstADDIN_Click();
        EXPECT_TRUE(t.w.ui.Enabled(Ctl::cmdNEXT));
    }
}

TEST(RowSelection, FileWithoutTitleIsWarnedAboutButNotRefused) {
    WindowWorld t;
    t.AddAddin(L"C:\\X", L"b.xla", L"", true, false);  // an empty title must not count as a conflict
    Offer(t, L"D:\\tool.xla", L"");
    SelectOffered(t, {L"D:\\tool.xla"}, 0);
    t.win.lstADDIN_Click();
    ASSERT_EQ(t.w.msg.shown.size(), 1u);
    EXPECT_EQ(t.w.msg.shown[0].text, std::wstring(texts::kNoTitle1) + L"tool.xla" + texts::kNoTitle2);
    EXPECT_EQ(t.w.ui.Text(Ctl::lblMSG1), L"");
    EXPECT_FALSE(t.w.ui.Visible(Ctl::lblMSG1));
    EXPECT_TRUE(t.w.ui.Enabled(Ctl::cmdNEXT));
    EXPECT_EQ(t.w.excel.instancesCreated, 1);  // no title check
    EXPECT_TRUE(t.Clean());
}

TEST(RowSelection, TitleCheckComparesWithTheSelectedRowText) {
    WindowWorld t;
    t.AddAddin(L"C:\\X", L"a.xla", L"T", true, false);
    t.AddAddin(L"C:\\X", L"b.xla", L"T", true, false);
    t.w.ui.ListAdd(L"a.xla");
    t.w.ui.ListAdd(L"b.xla");
    t.w.ui.ListAdd(L"c.xla");
    const struct { int row; bool used; } cases[] = {{0, true}, {1, true}, {2, true}, {-1, true}};
    for (auto k : cases) {
        t.w.ui.selected = k.row;
        EXPECT_EQ(IsTitleUsedByOtherAddin(t.ctx(), L"T"), k.used) << k.row;
    }
    t.w.excel.addins.pop_back();  // only a.xla carries T now
    t.w.ui.selected = 0;
    EXPECT_FALSE(IsTitleUsedByOtherAddin(t.ctx(), L"T"));
    t.w.ui.selected = 1;
    EXPECT_TRUE(IsTitleUsedByOtherAddin(t.ctx(), L"T"));
    EXPECT_FALSE(IsTitleUsedByOtherAddin(t.ctx(), L"U"));
    EXPECT_EQ(t.w.excel.quits, 0);
    EXPECT_TRUE(t.Clean());
}

TEST(RowSelection, NoExcelIsLeftAliveWhenACallFailsMidway) {
    for (const wchar_t* member : {L"Create", L"AddIns", L"AddIn.Name", L"AddIn.FullName", L"AddIn.Title",
                                  L"AddIn.Path", L"Quit"}) {
        SCOPED_TRACE(member);
        WindowWorld t;
        t.AddAddin(L"C:\\A", L"a.xla", L"New", true);
        Offer(t, L"D:\\a.xla", L"New");
        SelectOffered(t, {L"D:\\a.xla"}, 0);
        t.w.excel.failing.insert(member);
        EXPECT_THROW(t.win.lstADDIN_Click(), excel::ExcelError);
        EXPECT_TRUE(t.Clean());
    }
}

// Removal modes show the folder and the file name; the copy mode the full name alone.
TEST(RowSelection, ExcelModesShowTheSelectedAddinsFile) {
    struct Case {
        const wchar_t* full;
        const wchar_t* folder;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"C:\\x.xla", L"C:\\", L"x.xla"},
        {L"D:\\Tools\\x.xla", L"D:\\Tools", L"x.xla"},
        {L"D:\\Tools\\Sub\\Y.XLA", L"D:\\Tools\\Sub", L"Y.XLA"},
        {L"\\\\srv\\share\\x.xla", L"\\\\srv\\share", L"x.xla"},
    };
    for (int mode : {3, 4, 6}) {
        for (const auto& k : cases) {
            SCOPED_TRACE(std::wstring(k.full) + L" mode " + std::to_wstring(mode));
            WindowWorld t;
            t.w.st.udtADDINROW = {{}, {L"C:\\other.xla", L"O"}, {k.full, L"X"}};
            t.ShowMode(mode);
            t.w.ui.ListAdd(L"O");
            t.w.ui.ListAdd(L"X");
            t.w.ui.ListSetItemData(0, 1);
            t.w.ui.ListSetItemData(1, 2);
            t.w.ui.selected = 1;
            t.w.ui.SetVisible(Ctl::lblMSG1, false);
            t.w.ui.SetEnabled(Ctl::cmdNEXT, false);
            t.win.lstADDIN_Click();
            EXPECT_EQ(t.w.ui.Text(Ctl::txtFOLDER), mode == 6 ? k.full : k.folder);
            EXPECT_EQ(t.w.ui.Visible(Ctl::lblMSG1), mode != 6);
            if (mode != 6) {
                EXPECT_EQ(t.w.ui.Text(Ctl::lblMSG1), k.name);
            }
            EXPECT_TRUE(t.w.ui.Enabled(Ctl::cmdNEXT));
            EXPECT_TRUE(t.w.excel.log.empty());
        }
    }
}

TEST(RowSelection, ItemDataBeyondTheRecordsIsAFailure) {
    WindowWorld t;
    t.ShowMode(6);
    t.w.ui.ListAdd(L"X");
    t.w.ui.ListSetItemData(0, 40000);
    t.w.ui.selected = 0;
    EXPECT_THROW(t.win.lstADDIN_Click(), Failure);
}

}  // namespace
}  // namespace qv
