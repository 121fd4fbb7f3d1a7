// The obstacles of a real PC met before any Excel step: a folder that needs administrator
// rights, a destination too long for Excel, and a clipboard another program holds.
#include <gtest/gtest.h>

#include "excel/path_limit.h"
#include "model/error.h"
#include "model/instance.h"
#include "ops_world.h"
#include "window/texts.h"

namespace qv {
namespace {

using fake::OpsWorld;

const std::wstring kSrc = L"D:\\src\\a.xla";

std::wstring AdminText(const std::wstring& folder, bool hint) {
    return texts::kAdminFolder1 + folder + texts::kAdminFolder2 + (hint ? texts::kAdminUserFolderHint : L"");
}

// Mode 0 through "次へ": a new install of kSrc into `folder`, or a version up over the listed
// old version there.
void SelectInstall(OpsWorld& o, const std::wstring& folder, bool versionUp) {
    o.ui.Choose(0);
    o.ui.items[Ctl::cmdNEXT].text = texts::kInstall1Run;
    o.ui.items[Ctl::lblMSG1].text = L"A";
    o.fs.files[kSrc] = L"new";
    o.fs.folders.insert(folder);
    o.ui.selected = o.FileRow(kSrc);
    if (versionUp) {
        o.List(JoinFolder(folder, L"a.xla"), L"A", true);
        o.st.strADDINTITLE = L"A";
        o.st.strADDINPATH = folder;
        o.ui.items[Ctl::txtFOLDER].text = folder;
    } else {
        o.ui.items[Ctl::cbxFOLDER].text = folder;
    }
}

// Refused before the first step: one critical box, no Excel, no file change, the row stays.
void ExpectRefusedUntouched(OpsWorld& o, const std::wstring& text, const std::string& name) {
    ASSERT_EQ(o.w.msg.shown.size(), 1u) << name;
    EXPECT_EQ(o.w.msg.shown[0].text, text) << name;
    EXPECT_EQ(o.w.msg.shown[0].title, texts::kAppTitle) << name;
    EXPECT_EQ(o.w.msg.shown[0].flags, kMbCritical) << name;
    EXPECT_EQ(o.excel.instancesCreated, 0) << name;
    EXPECT_TRUE(o.fs.log.empty()) << name;
    EXPECT_EQ(o.ui.ListCount(), 1) << name;
    EXPECT_EQ(o.ui.items[Ctl::lblKEKKA].text, L"(before)") << name;
    EXPECT_EQ(o.w.busy.depth, 0) << name;
}

TEST(AccessCheck, InstallIntoAProtectedFolderIsRefusedBeforeExcel) {
    struct Case {
        const char* name;
        std::wstring folder;
        bool versionUp;
        std::wstring denied;  // the folder (with its separator) or the old file
        int excelVersion;
        bool hint;
    };
    const std::wstring lib = L"C:\\Program Files\\Office\\Library";
    const Case cases[] = {
        {"new install, folder", lib, false, lib + L"\\", 11, true},
        {"new install, old file there", lib, false, lib + L"\\a.xla", 11, true},
        {"new install at a root", L"C:\\", false, L"C:\\", 11, true},
        {"new install, Excel 97 has no user folder", lib, false, lib + L"\\", 8, false},
        {"new install into the user folder itself", fake::kUserFolder, false, std::wstring(fake::kUserFolder) + L"\\", 11, false},
        {"version up, folder", lib, true, lib + L"\\", 11, false},
        {"version up, old file", lib, true, lib + L"\\a.xla", 11, false},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        if (c.excelVersion == 8) o.st.strADDINFOLDER[0].clear();
        SelectInstall(o, c.folder, c.versionUp);
        if (!c.versionUp && c.denied.back() != L'\\') o.fs.files[c.denied] = L"old";
        o.fs.denied.insert(c.denied);

        o.win.cmdNEXT_Click();

        ExpectRefusedUntouched(o, AdminText(c.folder, c.hint), c.name);
        if (c.versionUp) EXPECT_TRUE(o.Addin(JoinFolder(c.folder, L"a.xla"))->Installed) << c.name;
        EXPECT_TRUE(o.st.strADDINFILE.empty()) << c.name;
    }
}

TEST(AccessCheck, OnlyADenialStopsTheInstall) {
    // Excel holding the switched-on old version is a sharing violation, not a want of rights:
    // the install goes on and switches it off before the copy.
    OpsWorld o;
    SelectInstall(o, L"C:\\Tools", true);
    o.fs.locked.insert(L"C:\\Tools\\a.xla");
    o.excel.log.clear();
    // The fake keeps holding the file, so the copy meets the lock as it did without the check.
    EXPECT_THROW(InstallAddin(o.ctx()), Failure);
    EXPECT_EQ(o.Position(L"probe create C:\\Tools\\"), 0);
    EXPECT_EQ(o.Position(L"probe delete C:\\Tools\\a.xla"), 1);
    EXPECT_EQ(o.Position(L"Create"), 2);
    EXPECT_TRUE(o.w.msg.shown.empty());
}

TEST(AccessCheck, NothingIsProbedWhenTheFileAlreadyLiesAtItsDestination) {
    OpsWorld o;
    SelectInstall(o, L"D:\\src", false);
    o.fs.denied.insert(L"D:\\src\\");
    o.win.cmdNEXT_Click();
    EXPECT_TRUE(o.fs.probes.empty());
    EXPECT_TRUE(o.w.msg.shown.empty());
    EXPECT_EQ(o.excel.Calls(L"AddIns.Add"), std::vector<std::wstring>{L"AddIns.Add D:\\src\\a.xla False"});
}

TEST(AccessCheck, RemovalOfAProtectedFileIsRefusedBeforeExcel) {
    struct Case {
        const char* name;
        int mode;
        std::wstring file;
        std::wstring folderShown;
    };
    const Case cases[] = {
        {"mode 3", 3, L"C:\\Program Files\\Office\\Library\\a.xla", L"C:\\Program Files\\Office\\Library"},
        {"mode 4", 4, L"C:\\Program Files\\Office\\Library\\a.xla", L"C:\\Program Files\\Office\\Library"},
        {"mode 4 at a root", 4, L"C:\\a.xla", L"C:\\"},
        {"mode 4 on a share", 4, L"\\\\srv\\share\\a.xla", L"\\\\srv\\share"},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        o.ui.Choose(c.mode);
        o.List(c.file, L"A", c.mode == 3);
        o.ui.selected = o.Row(c.file, L"A");
        o.fs.denied.insert(c.file);

        o.win.cmdNEXT_Click();

        ExpectRefusedUntouched(o, AdminText(c.folderShown, false), c.name);
        EXPECT_TRUE(o.fs.files.count(c.file)) << c.name;
        EXPECT_EQ(o.Addin(c.file)->Installed, c.mode == 3) << c.name;
        EXPECT_TRUE(o.reg.log.empty()) << c.name;
    }
}

TEST(AccessCheck, RemovalGoesOnPastAnythingButADenial) {
    struct Case {
        const char* name;
        int mode;
        std::wstring file;
        bool probed;
        bool held;  // the fake holds it past the switch-off, so the delete fails as it always could
    };
    const Case cases[] = {
        {"mode 3, a file Excel holds", 3, L"C:\\Tools\\a.xla", true, true},
        {"mode 3 leaves a file on a share, so it is not probed", 3, L"\\\\srv\\share\\a.xla", false, false},
        {"mode 4", 4, L"C:\\Tools\\a.xla", true, false},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        o.ui.Choose(c.mode);
        o.List(c.file, L"A", c.mode == 3);
        o.ui.selected = o.Row(c.file, L"A");
        if (c.held) o.fs.locked.insert(c.file);
        if (!c.probed) o.fs.denied.insert(c.file);

        if (c.held) {
            EXPECT_THROW(o.win.cmdNEXT_Click(), Failure) << c.name;
        } else {
            EXPECT_NO_THROW(o.win.cmdNEXT_Click()) << c.name;
            EXPECT_EQ(o.ui.ListCount(), 0) << c.name;
        }

        EXPECT_EQ(o.fs.probes.size(), c.probed ? 1u : 0u) << c.name;
        EXPECT_TRUE(o.w.msg.shown.empty()) << c.name;
        EXPECT_EQ(o.excel.quits, 1) << c.name;
        EXPECT_FALSE(o.Addin(c.file)->Installed) << c.name;
    }
}

// ---- Excel's limit on a full name ----

TEST(PathLimit, CountsUtf16Units) {
    struct Case {
        std::wstring text;
        size_t units;
    };
    const Case cases[] = {
        {L"", 0}, {L"C:\\a.xla", 8}, {L"C:\\ツール\\a.xla", 12}, {L"C:\\\U0001F600\\a.xla", 11},
        {std::wstring(218, L'x'), 218},
    };
    for (const auto& c : cases) EXPECT_EQ(excel::Utf16Length(c.text), c.units) << c.units;
}

// A folder with Japanese and emoji names, padded so that the destination D\<pad>\a.xla has
// exactly `units` UTF-16 units.
std::wstring FolderForFullName(size_t units) {
    std::wstring folder = L"C:\\アドイン\\\U0001F600\\";
    const size_t rest = units - excel::Utf16Length(folder) - std::wstring(L"\\a.xla").size();
    return folder + std::wstring(rest, L'あ');
}

TEST(PathLimit, InstallRefusesADestinationExcelCannotOpen) {
    struct Case {
        size_t units;
        bool refused;
    };
    for (const Case c : {Case{217, false}, Case{218, false}, Case{219, true}, Case{300, true}}) {
        OpsWorld o;
        const std::wstring folder = FolderForFullName(c.units);
        const std::wstring dest = folder + L"\\a.xla";
        ASSERT_EQ(excel::Utf16Length(dest), c.units);
        SelectInstall(o, folder, false);
        o.win.cmdNEXT_Click();
        const std::string name = std::to_string(c.units);
        if (c.refused) {
            ExpectRefusedUntouched(o, texts::kPathTooLong1 + dest + texts::kPathTooLong2, name);
            EXPECT_FALSE(o.fs.files.count(dest)) << name;
            EXPECT_TRUE(o.fs.probes.empty()) << name;
        } else {
            EXPECT_TRUE(o.w.msg.shown.empty()) << name;
            EXPECT_TRUE(o.fs.files.count(dest)) << name;
            EXPECT_EQ(o.ui.ListCount(), 0) << name;
        }
    }
}

TEST(PathLimit, StandInRefusesSuchANameInOpenAndAdd) {
    fake::FakeRegistry reg;
    fake::FakeFileSystem fs;
    fake::FakeDrives drives;
    drives.types[L"C:\\"] = kDriveFixed;
    const std::wstring within = FolderForFullName(218) + L"\\a.xla";
    const std::wstring beyond = FolderForFullName(219) + L"\\a.xla";
    fs.files[within] = fs.files[beyond] = L"x";
    standin::Instance in(reg, fs, drives, {L"11.0", L"C:\\U\\AddIns\\", L"C:\\Office\\Library"},
                         [](const std::wstring&) { return std::wstring(); });
    in.workbooks.Add();
    for (auto call : {+[](standin::Instance& i, const std::wstring& p) { i.workbooks.Open(p); },
                      +[](standin::Instance& i, const std::wstring& p) { i.addins.Add(p, false); }}) {
        EXPECT_NO_THROW(call(in, within));
        try {
            call(in, beyond);
            ADD_FAILURE() << "a full name beyond 218 units was accepted";
        } catch (const standin::Error& e) {
            EXPECT_EQ(e.Code(), standin::kErrExcel);
        }
    }
    EXPECT_EQ(in.addins.Count(), 1u);
}

// ---- A clipboard another program holds ----

TEST(ClipboardBusy, RetriesThenShowsThePathAndGoesOn) {
    struct Case {
        int busyTries;
        bool copied;
    };
    for (const Case c : {Case{0, true}, Case{3, true}, Case{9, true}, Case{10, false}, Case{50, false}}) {
        OpsWorld o;
        o.ui.Choose(6);
        o.List(L"C:\\ツール\\a.xla", L"A", true);
        o.ui.selected = o.Row(L"C:\\ツール\\a.xla", L"A");
        o.ui.items[Ctl::txtFOLDER].text = L"C:\\ツール\\a.xla";
        o.w.clip.busyTries = c.busyTries;

        EXPECT_NO_THROW(o.win.cmdNEXT_Click()) << c.busyTries;

        const int tries = c.copied ? c.busyTries + 1 : kClipboardTries;
        EXPECT_EQ(o.w.clip.tries, tries) << c.busyTries;
        EXPECT_EQ(o.w.clip.pauses, std::vector<int>(static_cast<size_t>(tries - 1), kClipboardPauseMs)) << c.busyTries;
        EXPECT_EQ(o.w.clip.text.has_value(), c.copied) << c.busyTries;
        if (c.copied) {
            EXPECT_TRUE(o.w.msg.shown.empty()) << c.busyTries;
        } else {
            ASSERT_EQ(o.w.msg.shown.size(), 1u) << c.busyTries;
            EXPECT_EQ(o.w.msg.shown[0].text, texts::kClipboardBusy + std::wstring(L"C:\\ツール\\a.xla"));
            EXPECT_EQ(o.w.msg.shown[0].flags, kMbCritical);
            EXPECT_EQ(o.w.msg.shown[0].title, texts::kAppTitle);
        }
    }
}

}  // namespace
}  // namespace qv
