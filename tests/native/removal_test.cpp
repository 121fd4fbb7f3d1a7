#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "operations/network_path.h"
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

using Step = std::function<void(Context&)>;
const Step kSwitchOn = [](Context& c) { SetAddinInstalled(c, true); };
const Step kSwitchOff = [](Context& c) { SetAddinInstalled(c, false); };
const Step kRemoveActive = [](Context& c) { RemoveActiveAddin(c); };
const Step kRemoveInactive = [](Context& c) { RemoveInactiveAddin(c); };
const Step kTidy = [](Context& c) { TidyMissingAddin(c); };

// What each step does to Excel's entry, its file and its Add-in Manager value.
TEST(AddinSteps, WorkbooksSwitchesFileAndRegistry) {
    struct Case {
        const char* what;
        Step step;
        std::wstring fullName;
        bool installed, fileExists;
        size_t opens;            // Workbooks.Open of the add-in, each before any switch
        const wchar_t* switched;  // the one AddIn.Installed= written, or none
        bool fileDeleted, registryDeleted;
        std::wstring addinPath;  // left for the next install; empty: untouched
    };
    const Case cases[] = {
        {"switch on", kSwitchOn, kTools, false, true, 0, L"True", false, false, L""},
        {"switch off opens the file first", kSwitchOff, kTools, true, true, 1, L"False", false, false, L""},
        {"remove active", kRemoveActive, kTools, true, true, 2, L"False", true, true, L"C:\\Tools"},
        {"remove active, already off", kRemoveActive, kTools, false, true, 1, nullptr, true, true, L"C:\\Tools"},
        {"remove inactive", kRemoveInactive, kTools, false, true, 0, nullptr, true, true, kTools},
        {"tidy", kTidy, kTools, true, false, 0, L"False", false, true, kTools},
        {"tidy, already off", kTidy, kTools, false, false, 0, nullptr, false, true, kTools},
        // A missing add-in's value goes even from the default folders.
        {"tidy in the library", kTidy, kInLibrary, true, false, 0, L"False", false, true, kInLibrary},
        {"tidy in the user folder", kTidy, kInUser, true, false, 0, L"False", false, true, kInUser},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpsWorld o;
        Select(o, c.fullName, c.installed);
        if (!c.fileExists) o.fs.files.erase(c.fullName);
        const std::wstring bareName = FileNamePart(c.fullName);  // never the value's name
        o.reg.keys[fake::kManagerKey11].push_back({bareName, L""});
        o.st.strADDINPATH = L"";

        c.step(o.ctx());

        EXPECT_EQ(o.excel.Calls(L"Workbooks.Open"), Log(c.opens, L"Workbooks.Open " + c.fullName));
        if (c.switched) {
            const std::wstring sw = L"AddIn.Installed=" + std::wstring(c.switched) + L" " + c.fullName;
            EXPECT_EQ(o.excel.Calls(L"AddIn.Installed="), Log{sw});
            if (c.opens) {
                EXPECT_LT(o.Position(L"Workbooks.Open " + c.fullName), o.Position(sw));
            }
        } else {
            EXPECT_FALSE(o.Logged(L"AddIn.Installed="));
        }
        EXPECT_EQ(o.Addin(c.fullName)->Installed, c.switched ? std::wstring(c.switched) == L"True" : c.installed);
        EXPECT_EQ(o.fs.files.count(c.fullName) == 0, c.fileDeleted || !c.fileExists);
        if (!c.fileDeleted) {
            EXPECT_TRUE(o.fs.log.empty());
        }
        EXPECT_EQ(!ManagerHas(o, c.fullName), c.registryDeleted);
        if (!c.registryDeleted) {
            EXPECT_TRUE(o.reg.log.empty());
        }
        EXPECT_EQ(o.st.strADDINPATH, c.addinPath);
        EXPECT_FALSE(o.Logged(L"Workbooks.Add"));
        // Removals change files and the registry only once Excel has ended: it writes its list then.
        const bool removal = c.fileDeleted || c.registryDeleted;
        EXPECT_EQ(o.Logged(L"WaitForInstancesToEnd"), removal);
        if (removal) {
            const long wait = o.Position(L"WaitForInstancesToEnd");
            EXPECT_GT(wait, o.Position(L"Quit"));
            for (size_t i = 0; i < o.excel.log.size(); ++i) {
                const auto& e = o.excel.log[i];
                if (e.rfind(L"fs ", 0) == 0 || e.rfind(L"reg ", 0) == 0) {
                    EXPECT_GT(static_cast<long>(i), wait) << e;
                }
            }
        }
        EXPECT_TRUE(o.Addin(L"C:\\Before\\x.xla")->Installed);
        EXPECT_TRUE(ManagerHas(o, L"C:\\Before\\x.xla"));
        EXPECT_TRUE(ManagerHas(o, bareName));
        EXPECT_EQ(o.excel.instancesAlive, 0);
    }
}

// Files in the default folders stay registered with Excel by their own entries; a share's
// file belongs to others.
TEST(RemoveAddin, FileAndRegistryByFolder) {
    struct Case {
        const char* what;
        Step step;
        bool installed;
        std::wstring fullName;
        bool fileDeleteAttempted, registryDeleted;
    };
    const Case cases[] = {
        {"active, other folder", kRemoveActive, true, kTools, true, true},
        {"active, library folder", kRemoveActive, true, kInLibrary, true, false},
        {"active, user folder", kRemoveActive, true, kInUser, true, false},
        {"active, network share is spared", kRemoveActive, true, kOnShare, false, true},
        {"active, folder differs in case", kRemoveActive, true, L"c:\\office\\library\\lib.xla", true, true},
        {"inactive, other folder", kRemoveInactive, false, kTools, true, true},
        {"inactive, library folder", kRemoveInactive, false, kInLibrary, true, false},
        {"inactive, user folder", kRemoveInactive, false, kInUser, true, false},
        {"inactive, network share is spared", kRemoveInactive, false, kOnShare, false, true},
        {"inactive, mapped drive letter is no share", kRemoveInactive, false, L"Z:\\Net\\net.xla", true, true},
        {"inactive, folder differs in case", kRemoveInactive, false, L"C:\\users\\u\\AddIns\\usr.xla", true, true},
        {"inactive, subfolder of a default folder", kRemoveInactive, false, L"C:\\Office\\Library\\Sub\\s.xla", true,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpsWorld o;
        Select(o, c.fullName, c.installed);
        c.step(o.ctx());
        EXPECT_EQ(o.Logged(L"fs Delete " + c.fullName), c.fileDeleteAttempted);
        EXPECT_EQ(o.fs.files.count(c.fullName) == 0, c.fileDeleteAttempted);
        EXPECT_EQ(!ManagerHas(o, c.fullName), c.registryDeleted);
        EXPECT_TRUE(ManagerHas(o, L"C:\\Before\\x.xla"));
        EXPECT_TRUE(o.fs.files.count(L"C:\\Before\\x.xla"));
    }
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
        Step step;
        bool installedBefore, installedAfter, fileGone, registryGone;
    };
    const Case cases[] = {
        {L"mode 1", kSwitchOn, false, true, false, false},
        {L"mode 2", kSwitchOff, true, false, false, false},
        {L"mode 3", kRemoveActive, true, false, true, true},
        {L"mode 4", kRemoveInactive, false, false, true, true},
        {L"mode 5", kTidy, true, false, false, true},
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

// A step that fails, or finds its add-in gone from Excel's list, changes nothing and quits.
TEST(RemovalFaults, FailingOpenOrAnAddinNoLongerListedChangesNothing) {
    struct Case { const char* what; Step step; bool unlisted; };
    const Case cases[] = {
        {"mode 2, failing open", kSwitchOff, false},
        {"mode 3, failing open", kRemoveActive, false},
        {"mode 1, unlisted", kSwitchOn, true},
        {"mode 3, unlisted", kRemoveActive, true},
        {"mode 4, unlisted", kRemoveInactive, true},
        {"mode 5, unlisted", kTidy, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpsWorld o;
        Select(o, kTools, true);
        if (c.unlisted) {
            o.excel.addins.pop_back();  // removed by hand since the list was filled
            EXPECT_THROW(c.step(o.ctx()), Failure);
            EXPECT_FALSE(o.Logged(L"AddIn.Installed="));
        } else {
            o.excel.failing.insert(L"Workbooks.Open " + kTools);
            EXPECT_THROW(c.step(o.ctx()), excel::ExcelError);
            EXPECT_TRUE(o.Addin(kTools)->Installed);
        }
        EXPECT_TRUE(o.fs.log.empty());
        EXPECT_TRUE(o.reg.log.empty());
        EXPECT_TRUE(ManagerHas(o, kTools));
        EXPECT_EQ(o.excel.instancesAlive, 0);
        EXPECT_EQ(o.excel.quits, 1);
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

namespace qv {
namespace {

// Where a complete removal puts the add-in's file: the Recycle Bin of a fixed disk, deleted for
// good on a drive without one or when asked, left in place on the network. The user's own
// add-in folder is removed wherever it lies; the library folder has no such exception.
TEST(RemoveAddin, NetworkFilesStayOthersGoToTheRecycleBin) {
    struct Case {
        const char* what;
        bool installed;
        std::wstring fullName;
        std::wstring userFolder, libraryFolder;
        bool permanent;
        FileDisposal disposal;
        bool registryDeleted;
    };
    const std::wstring user = L"C:\\Users\\u\\AddIns", library = L"C:\\Office\\Library";
    const std::wstring shareUser = L"\\\\srv\\home\\u\\AddIns", driveUser = L"H:\\u\\AddIns";
    const std::wstring shareLibrary = L"\\\\srv\\office\\Library";
    const Case cases[] = {
        {"inactive on a fixed disk", false, L"C:\\Tools\\a.xla", user, library, false, FileDisposal::Recycled, true},
        {"active on a fixed disk", true, L"C:\\Tools\\a.xla", user, library, false, FileDisposal::Recycled, true},
        {"permanent", false, L"C:\\Tools\\a.xla", user, library, true, FileDisposal::Deleted, true},
        {"removable drive has no Recycle Bin", false, L"E:\\a.xla", user, library, false, FileDisposal::Deleted, true},
        {"user folder, fixed disk", false, user + L"\\u.xla", user, library, false, FileDisposal::Recycled, false},
        {"server share", false, L"\\\\srv\\share\\net.xla", user, library, false, FileDisposal::Left, true},
        {"active, server share", true, L"\\\\srv\\share\\net.xla", user, library, false, FileDisposal::Left, true},
        {"network drive", false, L"N:\\tools\\shared.xla", user, library, false, FileDisposal::Left, true},
        {"active, network drive", true, L"N:\\tools\\shared.xla", user, library, false, FileDisposal::Left, true},
        {"network drive, permanent", false, L"N:\\tools\\shared.xla", user, library, true, FileDisposal::Left, true},
        {"drive without a root", false, L"M:\\tools\\shared.xla", user, library, false, FileDisposal::Left, true},
        {"user folder on a share", false, shareUser + L"\\u.xla", shareUser, library, false, FileDisposal::Deleted,
         false},
        {"active, user folder on a network drive", true, driveUser + L"\\u.xla", driveUser, library, false,
         FileDisposal::Deleted, false},
        {"subfolder of the user folder on a share", false, shareUser + L"\\Sub\\u.xla", shareUser, library, false,
         FileDisposal::Left, true},
        {"user folder differs in case", false, L"\\\\SRV\\home\\u\\AddIns\\u.xla", shareUser, library, false,
         FileDisposal::Left, true},
        {"library folder on a share", false, shareLibrary + L"\\lib.xla", user, shareLibrary, false,
         FileDisposal::Left, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpsWorld o;
        o.w.drives.types = {{L"C:\\", kDriveFixed}, {L"E:\\", 2}, {L"N:\\", kDriveRemote},
                            {L"H:\\", kDriveRemote}, {L"M:\\", kDriveNoRootDir}};
        Select(o, c.fullName, c.installed);
        AddinRequest req;
        req.fullName = c.fullName;
        req.title = L"Tool";
        req.facts = excel::Facts{11, c.userFolder, c.libraryFolder};
        req.permanent = c.permanent;
        Changes journal;
        req.journal = &journal;

        RemovalResult result =
            c.installed ? RemoveActiveAddin(o.svc, req) : RemoveInactiveAddin(o.svc, req);

        ASSERT_TRUE(result.Done());
        ASSERT_TRUE(result.disposal.has_value());
        EXPECT_EQ(*result.disposal, c.disposal);
        const bool gone = c.disposal != FileDisposal::Left;
        EXPECT_EQ(o.fs.files.count(c.fullName) == 0, gone);
        EXPECT_EQ(o.fs.recycled.count(c.fullName) == 1, c.disposal == FileDisposal::Recycled);
        EXPECT_EQ(o.Logged(L"fs Recycle " + c.fullName), c.disposal == FileDisposal::Recycled);
        EXPECT_EQ(o.Logged(L"fs Delete " + c.fullName), c.disposal == FileDisposal::Deleted);
        const bool recycledNoted = std::count(journal.begin(), journal.end(), Change::FileRecycled) == 1;
        const bool deletedNoted = std::count(journal.begin(), journal.end(), Change::FileDeleted) == 1;
        EXPECT_EQ(recycledNoted, c.disposal == FileDisposal::Recycled);
        EXPECT_EQ(deletedNoted, c.disposal == FileDisposal::Deleted);
        EXPECT_EQ(!ManagerHas(o, c.fullName), c.registryDeleted);
        // Either way the file goes only after Excel has ended.
        if (gone) {
            EXPECT_GT(o.Position(c.disposal == FileDisposal::Recycled ? L"fs Recycle " + c.fullName
                                                                      : L"fs Delete " + c.fullName),
                      o.Position(L"WaitForInstancesToEnd"));
        }
    }
}

}  // namespace
}  // namespace qv
