#include <gtest/gtest.h>

#include <functional>

#include "ops_world.h"

namespace qv {
namespace {

using fake::OpsWorld;
using Log = std::vector<std::wstring>;

// Mode 0 with the offered file `src` selected, a new install into `folder`.
void SelectNewInstall(OpsWorld& o, const std::wstring& src, const std::wstring& folder) {
    o.fs.files[src] = L"new " + src;
    o.ui.selected = o.FileRow(src);
    o.ui.items[Ctl::cbxFOLDER].text = folder;
}

// Mode 0 with `src` selected as a newer version of the listed add-in in `oldFolder`.
void SelectVersionUp(OpsWorld& o, const std::wstring& src, const std::wstring& oldFolder, const std::wstring& title) {
    o.fs.files[src] = L"new " + src;
    o.ui.selected = o.FileRow(src);
    o.st.strADDINTITLE = title;
    o.st.strADDINPATH = oldFolder;
    o.ui.items[Ctl::txtFOLDER].text = oldFolder;
    o.ui.items[Ctl::cbxFOLDER].text = L"C:\\NotThisOne";
}

TEST(InstallAddin, NewInstallCopiesThenAddsThroughATemporaryWorkbook) {
    OpsWorld o;
    o.List(L"C:\\Other\\b.xla", L"B", true);
    SelectNewInstall(o, L"D:\\src\\a.xla", L"C:\\Tools");

    InstallAddin(o.ctx());

    // Excel adds only a file that is already in place, and only with a workbook open.
    const long add = o.Position(L"AddIns.Add C:\\Tools\\a.xla True");
    EXPECT_LT(o.Position(L"fs Copy D:\\src\\a.xla -> C:\\Tools\\a.xla"), add);
    EXPECT_LT(o.Position(L"Workbooks.Add"), add);
    EXPECT_LT(add, o.Position(L"AddIn.Installed=True C:\\Tools\\a.xla"));
    EXPECT_LT(o.Position(L"Workbook.Close(False)"), o.Position(L"Quit"));
    EXPECT_EQ(o.fs.files[L"C:\\Tools\\a.xla"], L"new D:\\src\\a.xla");
    ASSERT_NE(o.Addin(L"C:\\Tools\\a.xla"), nullptr);
    EXPECT_TRUE(o.Addin(L"C:\\Tools\\a.xla")->Installed);
    EXPECT_TRUE(o.Addin(L"C:\\Other\\b.xla")->Installed);
    EXPECT_EQ(o.excel.openWorkbooks, 0);
    EXPECT_EQ(o.excel.instancesAlive, 0);
}

TEST(InstallAddin, DestinationJoinsFolderAndRowTextWithOneBackslash) {
    struct Case { const wchar_t* folder; const wchar_t* dest; };
    const Case cases[] = {
        {L"C:\\Tools", L"C:\\Tools\\a.xla"},
        {L"C:\\", L"C:\\a.xla"},
        {L"C:\\Tools\\", L"C:\\Tools\\a.xla"},
        {L"\\\\srv\\share", L"\\\\srv\\share\\a.xla"},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        SelectNewInstall(o, L"D:\\src\\a.xla", c.folder);
        InstallAddin(o.ctx());
        EXPECT_TRUE(o.fs.files.count(c.dest)) << c.folder;
        EXPECT_EQ(o.excel.Calls(L"AddIns.Add"), Log{L"AddIns.Add " + std::wstring(c.dest) + L" True"}) << c.folder;
    }
}

TEST(InstallAddin, SourceIsTheEntryNamedByTheRowsItemDataNotItsPosition) {
    OpsWorld o;
    o.st.strSELFILE.push_back({L"D:\\first\\a.xla", true});  // already installed, not listed
    o.fs.files[L"D:\\first\\a.xla"] = L"first";
    SelectNewInstall(o, L"D:\\second\\a.xla", L"C:\\Tools");
    ASSERT_EQ(o.ui.selected, 0);
    ASSERT_EQ(o.ui.ListItemData(0), 2);
    InstallAddin(o.ctx());
    EXPECT_EQ(o.fs.files[L"C:\\Tools\\a.xla"], L"new D:\\second\\a.xla");
}

TEST(InstallAddin, VersionUpSwitchesTheOldVersionOffBeforeItsFileIsReplaced) {
    struct Case { const char* what; bool installed; const wchar_t* title; };
    const Case cases[] = {
        {"switched on", true, L"Tool"},
        {"switched off: opens nothing", false, L"Tool"},
        {"switched on, without a title", true, L""},
    };
    const std::wstring copy = L"fs Copy D:\\src\\a.xla -> C:\\Tools\\a.xla";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpsWorld o;
        o.List(L"C:\\Tools\\a.xla", c.title, c.installed);
        SelectVersionUp(o, L"D:\\src\\a.xla", L"C:\\Tools", c.title);

        InstallAddin(o.ctx());

        EXPECT_EQ(o.excel.Calls(L"Workbooks.Open").size(), c.installed ? 1u : 0u);
        if (c.installed) {
            EXPECT_LT(o.Position(L"AddIn.Installed=False C:\\Tools\\a.xla"), o.Position(copy));
        } else {
            EXPECT_FALSE(o.Logged(L"AddIn.Installed=False"));
        }
        EXPECT_LT(o.Position(copy), o.Position(L"AddIn.Installed=True C:\\Tools\\a.xla"));
        EXPECT_FALSE(o.Logged(L"Workbooks.Add"));
        EXPECT_FALSE(o.Logged(L"AddIns.Add"));
        EXPECT_EQ(o.fs.files[L"C:\\Tools\\a.xla"], L"new D:\\src\\a.xla");
        EXPECT_TRUE(o.Addin(L"C:\\Tools\\a.xla")->Installed);
        EXPECT_EQ(o.excel.addins.size(), 1u);
        EXPECT_EQ(o.excel.instancesAlive, 0);
    }
}

TEST(InstallAddin, VersionUpUsesTheShownFolderNotTheComboBox) {
    OpsWorld o;
    o.List(L"E:\\Shared\\a.xla", L"Tool", false);
    SelectVersionUp(o, L"D:\\src\\a.xla", L"E:\\Shared", L"Tool");
    InstallAddin(o.ctx());
    EXPECT_EQ(o.fs.files[L"E:\\Shared\\a.xla"], L"new D:\\src\\a.xla");
    EXPECT_FALSE(o.fs.files.count(L"C:\\NotThisOne\\a.xla"));
}

TEST(InstallAddin, OldVersionIsTheOneInItsFolderWhenTitlesAreShared) {
    OpsWorld o;
    o.List(L"C:\\Other\\b.xla", L"Tool", true);  // same title, listed first
    o.List(L"C:\\Tools\\a.xla", L"Tool", true);
    SelectVersionUp(o, L"D:\\src\\a.xla", L"C:\\Tools", L"Tool");

    InstallAddin(o.ctx());

    EXPECT_EQ(o.excel.Calls(L"Workbooks.Open"), Log{L"Workbooks.Open C:\\Tools\\a.xla"});
    EXPECT_EQ(o.excel.Calls(L"AddIn.Installed="),
              (Log{L"AddIn.Installed=False C:\\Tools\\a.xla", L"AddIn.Installed=True C:\\Tools\\a.xla"}));
    EXPECT_TRUE(o.Addin(L"C:\\Other\\b.xla")->Installed);
    EXPECT_EQ(o.fs.files[L"C:\\Other\\b.xla"], L"old C:\\Other\\b.xla");
}

// A new install switches on the entry Excel lists for exactly the destination path, and
// adds the file only when there is none.
TEST(InstallAddin, SwitchesOnTheEntryAtTheDestinationOrAddsOne) {
    struct Listed { const wchar_t* fullName; bool fileExists; };
    struct Case {
        const char* what;
        std::vector<Listed> listed;  // all switched off
        const wchar_t* src;
        Log adds;
    };
    const Case cases[] = {
        {"file already there and listed", {{L"C:\\Tools\\a.xla", true}}, L"C:\\Tools\\a.xla", {}},
        {"file already there, not listed", {}, L"C:\\Tools\\a.xla", {L"AddIns.Add C:\\Tools\\a.xla False"}},
        {"name differs in case", {{L"C:\\Tools\\A.xla", true}}, L"D:\\src\\a.xla", {L"AddIns.Add C:\\Tools\\a.xla True"}},
        {"same name elsewhere, listed first", {{L"C:\\Else\\a.xla", true}, {L"C:\\Tools\\a.xla", true}},
         L"D:\\src\\a.xla", {}},
        // Excel still lists a.xla from a folder whose file is gone: the new file is added instead.
        {"stale entry elsewhere", {{L"C:\\Old\\a.xla", false}}, L"D:\\src\\a.xla", {L"AddIns.Add C:\\Tools\\a.xla True"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpsWorld o;
        for (auto& l : c.listed) o.List(l.fullName, L"Tool", false, l.fileExists);
        SelectNewInstall(o, c.src, L"C:\\Tools");
        const bool inPlace = std::wstring(c.src) == L"C:\\Tools\\a.xla";

        InstallAddin(o.ctx());

        EXPECT_EQ(o.excel.Calls(L"AddIns.Add"), c.adds);
        EXPECT_EQ(o.Logged(L"Workbooks.Add"), !c.adds.empty());
        EXPECT_EQ(o.excel.Calls(L"AddIn.Installed="), Log{L"AddIn.Installed=True C:\\Tools\\a.xla"});
        EXPECT_EQ(o.fs.log.empty(), inPlace) << "a file already in place is not copied";
        for (auto& l : c.listed) {
            if (std::wstring(l.fullName) != L"C:\\Tools\\a.xla") {
                EXPECT_FALSE(o.Addin(l.fullName)->Installed);
            }
        }
        EXPECT_EQ(o.excel.openWorkbooks, 0);
    }
}

// A failing install leaves the old version as it was, switched on again, and no Excel or
// workbook open.
TEST(InstallAddinFaults, FailureLeavesTheOldVersionAndNoExcel) {
    struct Case {
        const char* what;
        bool versionUp;
        std::function<void(OpsWorld&)> fault;
        bool excelError, copyTried;
        const wchar_t* destAfter;  // nullptr: no file
    };
    const Case cases[] = {
        {"locked destination", true, [](OpsWorld& o) { o.fs.locked.insert(L"C:\\Tools\\a.xla"); }, false, true,
         L"old C:\\Tools\\a.xla"},
        {"offered file vanished", false, [](OpsWorld& o) { o.fs.files.erase(L"D:\\src\\a.xla"); }, false, true, nullptr},
        {"failing open of the old version", true,
         [](OpsWorld& o) { o.excel.failing.insert(L"Workbooks.Open C:\\Tools\\a.xla"); }, true, false,
         L"old C:\\Tools\\a.xla"},
        {"failing add", false, [](OpsWorld& o) { o.excel.failing.insert(L"AddIns.Add C:\\Tools\\a.xla True"); }, true,
         true, L"new D:\\src\\a.xla"},
        {"old version missing from Excel's list", true,
         [](OpsWorld& o) { o.excel.addins[0].FullName = L"C:\\Elsewhere\\a.xla"; }, false, false,
         L"old C:\\Tools\\a.xla"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpsWorld o;
        if (c.versionUp) {
            o.List(L"C:\\Tools\\a.xla", L"Tool", true);
            SelectVersionUp(o, L"D:\\src\\a.xla", L"C:\\Tools", L"Tool");
        } else {
            SelectNewInstall(o, L"D:\\src\\a.xla", L"C:\\Tools");
        }
        c.fault(o);

        if (c.excelError) {
            EXPECT_THROW(InstallAddin(o.ctx()), excel::ExcelError);
        } else {
            EXPECT_THROW(InstallAddin(o.ctx()), Failure);
        }

        EXPECT_EQ(o.Logged(L"fs Copy"), c.copyTried);
        if (c.destAfter) {
            EXPECT_EQ(o.fs.files[L"C:\\Tools\\a.xla"], c.destAfter);
        } else {
            EXPECT_FALSE(o.fs.files.count(L"C:\\Tools\\a.xla"));
        }
        if (c.versionUp) {
            EXPECT_TRUE(o.excel.addins[0].Installed);
            EXPECT_FALSE(o.Logged(L"Workbooks.Add"));
            EXPECT_FALSE(o.Logged(L"AddIns.Add"));
        } else {
            EXPECT_FALSE(o.Logged(L"AddIn.Installed="));
        }
        if (c.versionUp && c.copyTried) {  // switched on again once the copy failed, before Excel quits
            EXPECT_LT(o.Position(L"fs Copy D:\\src\\a.xla -> C:\\Tools\\a.xla"),
                      o.Position(L"AddIn.Installed=True C:\\Tools\\a.xla"));
            EXPECT_LT(o.Position(L"AddIn.Installed=True C:\\Tools\\a.xla"), o.Position(L"Quit"));
        }
        if (o.Logged(L"Workbooks.Add")) {
            EXPECT_LT(o.Position(L"Workbook.Close(False)"), o.Position(L"Quit"));
        }
        EXPECT_TRUE(o.reg.log.empty());
        EXPECT_EQ(o.excel.openWorkbooks, 0);
        EXPECT_EQ(o.excel.instancesAlive, 0);
        EXPECT_EQ(o.excel.quits, 1);
    }
}

TEST(InstallFolderPath, DefaultFolderComparisonIsExact) {
    OpsWorld o;
    EXPECT_TRUE(IsDefaultFolder(FactsOf(o.st), fake::kUserFolder));
    EXPECT_TRUE(IsDefaultFolder(FactsOf(o.st), fake::kLibraryFolder));
    EXPECT_FALSE(IsDefaultFolder(FactsOf(o.st), L"c:\\office\\library"));
    EXPECT_FALSE(IsDefaultFolder(FactsOf(o.st), L"C:\\Office\\Library\\"));
    EXPECT_FALSE(IsDefaultFolder(FactsOf(o.st), L""));
    o.st.strADDINFOLDER[0].clear();  // Excel 97: no user folder
    EXPECT_FALSE(IsDefaultFolder(FactsOf(o.st), L""));
    EXPECT_FALSE(IsDefaultFolder(FactsOf(o.st), fake::kUserFolder));
    EXPECT_TRUE(IsDefaultFolder(FactsOf(o.st), fake::kLibraryFolder));
}

}  // namespace
}  // namespace qv
