#include <gtest/gtest.h>

#include <functional>

#include "ops_world.h"

namespace qv {
namespace {

using fake::OpsWorld;
using Log = std::vector<std::wstring>;

const std::wstring kTools = L"C:\\Tools\\a.xla";
const std::wstring kInLibrary = L"C:\\Office\\Library\\lib.xla";
const std::wstring kInUser = L"C:\\Users\\u\\AddIns\\usr.xla";
const std::wstring kOnShare = L"\\\\srv\\share\\net.xla";

// Excel lists `fullName` under `title`; its row is selected. The Add-in Manager key holds
// a value for it and one for an unrelated add-in.
void Select(OpsWorld& o, const std::wstring& fullName, bool installed, const std::wstring& title = L"Tool") {
    o.List(L"C:\\Before\\x.xla", L"X", true);
    o.List(fullName, title, installed);
    o.ui.selected = o.Row(fullName, title);
    o.reg.keys[fake::kManagerKey11] = {{L"C:\\Before\\x.xla", L""}, {fullName, L""}};
}

bool ManagerHas(OpsWorld& o, const std::wstring& name) {
    return o.reg.GetString(fake::kManagerKey11, name).has_value();
}

TEST(SetAddinInstalled, SwitchOnOpensNoWorkbook) {
    OpsWorld o;
    Select(o, kTools, false);
    SetAddinInstalled(o.ctx(), true);
    EXPECT_EQ(o.Actions(), (Log{L"Create", L"AddIns", L"AddIn.Installed=True " + kTools, L"Quit", L"Release"}));
    EXPECT_TRUE(o.Addin(kTools)->Installed);
    EXPECT_TRUE(o.fs.log.empty());
    EXPECT_TRUE(o.reg.log.empty());
}

TEST(SetAddinInstalled, SwitchOffOpensTheFileFirst) {
    OpsWorld o;
    Select(o, kTools, true);
    SetAddinInstalled(o.ctx(), false);
    EXPECT_EQ(o.Actions(), (Log{L"Create", L"AddIns", L"Workbooks.Open " + kTools,
                                L"AddIn.Installed=False " + kTools, L"Quit", L"Release"}));
    EXPECT_FALSE(o.Addin(kTools)->Installed);
    EXPECT_TRUE(o.Addin(L"C:\\Before\\x.xla")->Installed);
    EXPECT_TRUE(o.fs.log.empty());
    EXPECT_TRUE(o.reg.log.empty());
}

TEST(RemoveActiveAddin, OpensTwiceSwitchesOffQuitsThenDeletes) {
    OpsWorld o;
    Select(o, kTools, true);
    RemoveActiveAddin(o.ctx());
    EXPECT_EQ(o.Actions(), (Log{L"Create", L"AddIns", L"Workbooks.Open " + kTools, L"Workbooks.Open " + kTools,
                                L"AddIn.Installed=False " + kTools, L"Quit", L"Release", L"WaitForInstancesToEnd",
                                L"fs Delete " + kTools, L"reg Delete " + kTools}));
    EXPECT_FALSE(o.fs.files.count(kTools));
    EXPECT_FALSE(ManagerHas(o, kTools));
    EXPECT_TRUE(ManagerHas(o, L"C:\\Before\\x.xla"));
    EXPECT_EQ(o.st.strADDINPATH, L"C:\\Tools");
}

TEST(RemoveActiveAddin, AlreadySwitchedOffOpensOnce) {
    OpsWorld o;
    Select(o, kTools, false);
    RemoveActiveAddin(o.ctx());
    EXPECT_EQ(o.excel.Calls(L"Workbooks.Open"), Log{L"Workbooks.Open " + kTools});
    EXPECT_FALSE(o.Logged(L"AddIn.Installed="));
    EXPECT_FALSE(o.fs.files.count(kTools));
}

struct FileAndRegistryCase {
    const wchar_t* what;
    std::wstring fullName;
    bool fileDeleteAttempted;
    bool registryDeleted;
};

void ExpectFileAndRegistry(const FileAndRegistryCase& c, const std::function<void(Context&)>& step, bool installed) {
    OpsWorld o;
    Select(o, c.fullName, installed);
    step(o.ctx());
    EXPECT_EQ(o.Logged(L"fs Delete " + c.fullName), c.fileDeleteAttempted) << c.what;
    EXPECT_EQ(o.fs.files.count(c.fullName) == 0, c.fileDeleteAttempted) << c.what;
    EXPECT_EQ(!ManagerHas(o, c.fullName), c.registryDeleted) << c.what;
    EXPECT_TRUE(ManagerHas(o, L"C:\\Before\\x.xla")) << c.what;
    EXPECT_TRUE(o.fs.files.count(L"C:\\Before\\x.xla")) << c.what;
}

TEST(RemoveActiveAddin, FileAndRegistryByFolder) {
    const FileAndRegistryCase cases[] = {
        {L"other folder", kTools, true, true},
        {L"library folder", kInLibrary, true, false},
        {L"user folder", kInUser, true, false},
        {L"network share is spared", kOnShare, false, true},
        {L"folder differs in case", L"c:\\office\\library\\lib.xla", true, true},
    };
    for (const auto& c : cases) ExpectFileAndRegistry(c, [](Context& c) { RemoveActiveAddin(c); }, true);
}

TEST(RemoveInactiveAddin, FileAndRegistryByFolder) {
    const FileAndRegistryCase cases[] = {
        {L"other folder", kTools, true, true},
        {L"library folder", kInLibrary, true, false},
        {L"user folder", kInUser, true, false},
        {L"network share is spared", kOnShare, false, true},
        {L"mapped drive letter is no share", L"Z:\\Net\\net.xla", true, true},
        {L"folder differs in case", L"C:\\users\\u\\AddIns\\usr.xla", true, true},
        {L"subfolder of a default folder", L"C:\\Office\\Library\\Sub\\s.xla", true, true},
    };
    for (const auto& c : cases) ExpectFileAndRegistry(c, [](Context& c) { RemoveInactiveAddin(c); }, false);
}

TEST(RemoveInactiveAddin, TouchesNoWorkbookAndNoSwitch) {
    OpsWorld o;
    Select(o, kTools, false);
    RemoveInactiveAddin(o.ctx());
    EXPECT_EQ(o.Actions(), (Log{L"Create", L"AddIns", L"Quit", L"Release", L"WaitForInstancesToEnd", L"fs Delete " + kTools,
                                L"reg Delete " + kTools}));
    EXPECT_EQ(o.st.strADDINPATH, kTools);
}

TEST(TidyMissingAddin, SwitchesOffWithoutOpeningAndAlwaysCleansTheRegistry) {
    for (const std::wstring& fullName : {kTools, kInLibrary, kInUser}) {
        OpsWorld o;
        Select(o, fullName, true);
        o.fs.files.erase(fullName);
        TidyMissingAddin(o.ctx());
        EXPECT_EQ(o.Actions(), (Log{L"Create", L"AddIns", L"AddIn.Installed=False " + fullName, L"Quit", L"Release",
                                    L"WaitForInstancesToEnd",
                                    L"reg Delete " + fullName}))
            << fullName;
        EXPECT_TRUE(o.fs.log.empty()) << fullName;
        EXPECT_FALSE(ManagerHas(o, fullName)) << fullName;
    }
}

TEST(TidyMissingAddin, SwitchedOffAddinIsNotSwitchedAgain) {
    OpsWorld o;
    Select(o, kTools, false);
    TidyMissingAddin(o.ctx());
    EXPECT_FALSE(o.Logged(L"AddIn.Installed="));
    EXPECT_FALSE(ManagerHas(o, kTools));
}

TEST(RemovalSteps, ExcelQuitsBeforeAnyFileOrRegistryChange) {
    struct Case { const wchar_t* name; std::function<void(Context&)> step; bool installed; };
    const Case cases[] = {
        {L"mode 3", [](Context& c) { RemoveActiveAddin(c); }, true},
        {L"mode 4", [](Context& c) { RemoveInactiveAddin(c); }, false},
        {L"mode 5", [](Context& c) { TidyMissingAddin(c); }, true},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        Select(o, kTools, c.installed);
        c.step(o.ctx());
        long quit = o.Position(L"Quit");
        ASSERT_GE(quit, 0) << c.name;
        long wait = o.Position(L"WaitForInstancesToEnd");
        EXPECT_GT(wait, quit) << c.name << ": Excel writes its list when its process ends";
        bool changed = false;
        for (long i = 0; i < static_cast<long>(o.excel.log.size()); ++i) {
            const auto& e = o.excel.log[static_cast<size_t>(i)];
            if (e.rfind(L"fs ", 0) == 0 || e.rfind(L"reg ", 0) == 0) {
                changed = true;
                EXPECT_GT(i, wait) << c.name << " " << e;
            }
        }
        EXPECT_TRUE(changed) << c.name;
        EXPECT_EQ(o.excel.instancesAlive, 0) << c.name;
    }
}

TEST(RemovalSteps, RegistryValueIsNamedByTheFullPathNeverTheFileName) {
    OpsWorld o;
    Select(o, kTools, false);
    o.reg.keys[fake::kManagerKey11].push_back({L"a.xla", L""});
    RemoveInactiveAddin(o.ctx());
    EXPECT_FALSE(ManagerHas(o, kTools));
    EXPECT_TRUE(ManagerHas(o, L"a.xla"));
}

TEST(RemovalSteps, Excel97HasOnlyTheLibraryAsDefaultFolder) {
    struct Case { std::wstring fullName; bool registryDeleted; };
    const Case cases[] = {
        {kInLibrary, false},
        {kTools, true},
        {kInUser, true},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        o.st.intEXCELVER = 8;
        o.st.strADDINFOLDER[0].clear();
        const std::wstring key = L"Software\\Microsoft\\Office\\8.0\\Excel\\Add-in Manager";
        Select(o, c.fullName, false);
        o.reg.keys[key] = {{c.fullName, L""}};
        RemoveInactiveAddin(o.ctx());
        EXPECT_EQ(!o.reg.GetString(key, c.fullName).has_value(), c.registryDeleted) << c.fullName;
        EXPECT_TRUE(ManagerHas(o, c.fullName)) << "11.0 key untouched: " << c.fullName;
    }
}

// Two listed add-ins share a title; the second row must act on the second add-in.
TEST(RemovalSteps, DuplicateTitlesActOnTheSelectedRowsAddin) {
    struct Case {
        const wchar_t* name;
        std::function<void(Context&)> step;
        bool installedBefore, installedAfter, fileGone, registryGone;
    };
    const Case cases[] = {
        {L"mode 1", [](Context& c) { SetAddinInstalled(c, true); }, false, true, false, false},
        {L"mode 2", [](Context& c) { SetAddinInstalled(c, false); }, true, false, false, false},
        {L"mode 3", [](Context& c) { RemoveActiveAddin(c); }, true, false, true, true},
        {L"mode 4", [](Context& c) { RemoveInactiveAddin(c); }, false, false, true, true},
        {L"mode 5", [](Context& c) { TidyMissingAddin(c); }, true, false, false, true},
    };
    const std::wstring first = L"C:\\One\\t.xla", second = L"C:\\Two\\t.xla";
    for (const auto& c : cases) {
        OpsWorld o;
        o.List(first, L"Tool", c.installedBefore);
        o.List(second, L"Tool", c.installedBefore);
        o.Row(first, L"Tool");
        o.ui.selected = o.Row(second, L"Tool");
        o.reg.keys[fake::kManagerKey11] = {{first, L""}, {second, L""}};

        c.step(o.ctx());

        EXPECT_EQ(o.Addin(second)->Installed, c.installedAfter) << c.name;
        EXPECT_EQ(o.fs.files.count(second) == 0, c.fileGone) << c.name;
        EXPECT_EQ(!ManagerHas(o, second), c.registryGone) << c.name;
        EXPECT_EQ(o.Addin(first)->Installed, c.installedBefore) << c.name;
        EXPECT_TRUE(o.fs.files.count(first)) << c.name;
        EXPECT_TRUE(ManagerHas(o, first)) << c.name;
        for (const auto& e : o.excel.log) EXPECT_EQ(e.find(first), std::wstring::npos) << c.name << " " << e;
    }
}

TEST(RemovalFaults, FailingOpenLeavesFilesAndRegistryAndNoExcel) {
    struct Case { const wchar_t* name; std::function<void(Context&)> step; };
    const Case cases[] = {
        {L"mode 2", [](Context& c) { SetAddinInstalled(c, false); }},
        {L"mode 3", [](Context& c) { RemoveActiveAddin(c); }},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        Select(o, kTools, true);
        o.excel.failing.insert(L"Workbooks.Open " + kTools);
        EXPECT_THROW(c.step(o.ctx()), excel::ExcelError) << c.name;
        EXPECT_TRUE(o.fs.log.empty()) << c.name;
        EXPECT_TRUE(o.reg.log.empty()) << c.name;
        EXPECT_TRUE(ManagerHas(o, kTools)) << c.name;
        EXPECT_TRUE(o.Addin(kTools)->Installed) << c.name;
        EXPECT_EQ(o.excel.instancesAlive, 0) << c.name;
        EXPECT_EQ(o.excel.quits, 1) << c.name;
    }
}

TEST(RemovalFaults, LockedFileStopsBeforeTheRegistry) {
    OpsWorld o;
    Select(o, kTools, false);
    o.fs.locked.insert(kTools);
    EXPECT_THROW(RemoveInactiveAddin(o.ctx()), Failure);
    EXPECT_TRUE(o.fs.files.count(kTools));
    EXPECT_TRUE(o.reg.log.empty());
    EXPECT_EQ(o.excel.instancesAlive, 0);
}

TEST(RemovalFaults, AddinNoLongerListedIsAFailureAndChangesNothing) {
    struct Case { const wchar_t* name; std::function<void(Context&)> step; };
    const Case cases[] = {
        {L"mode 1", [](Context& c) { SetAddinInstalled(c, true); }},
        {L"mode 3", [](Context& c) { RemoveActiveAddin(c); }},
        {L"mode 4", [](Context& c) { RemoveInactiveAddin(c); }},
        {L"mode 5", [](Context& c) { TidyMissingAddin(c); }},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        Select(o, kTools, true);
        o.excel.addins.pop_back();  // removed by hand since the list was filled
        EXPECT_THROW(c.step(o.ctx()), Failure) << c.name;
        EXPECT_TRUE(o.fs.log.empty()) << c.name;
        EXPECT_TRUE(o.reg.log.empty()) << c.name;
        EXPECT_FALSE(o.Logged(L"AddIn.Installed=")) << c.name;
        EXPECT_EQ(o.excel.instancesAlive, 0) << c.name;
        EXPECT_EQ(o.excel.quits, 1) << c.name;
    }
}

TEST(FindAddinByFullName, WalksInOrderAndMatchesExactly) {
    OpsWorld o;
    o.List(L"C:\\A\\a.xla", L"A", false);
    o.List(L"C:\\B\\b.xla", L"B", true);
    auto app = o.launcher.Create();
    auto found = FindAddinByFullName(*app, L"C:\\B\\b.xla");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Title(), L"B");
    EXPECT_EQ(o.excel.Calls(L"AddIn.FullName").size(), 2u);
    EXPECT_THROW(FindAddinByFullName(*app, L"c:\\b\\b.xla"), Failure);
    EXPECT_THROW(FindAddinByFullName(*app, L"b.xla"), Failure);
}

}  // namespace
}  // namespace qv
