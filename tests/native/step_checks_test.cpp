// Obstacles of a real PC met before any Excel step: a folder that needs administrator rights,
// a destination too long for Excel; and a clipboard another program holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "excel/path_limit.h"
#include "model/error.h"
#include "model/instance.h"
#include "ops_world.h"
#include "operations/texts.h"
#include "window/texts.h"

namespace qv {
namespace {

using fake::OpsWorld;

std::wstring Admin(const std::wstring& folder, bool hint) {
    return texts::kAdminFolder1 + folder + texts::kAdminFolder2 + (hint ? texts::kAdminUserFolderHint : L"");
}

// "次へ" in `mode`: 0 installs D:\src\a.xla into the folder `at` (over a listed old version when
// `versionUp`); 3 and 4 remove the add-in whose file is `at`.
void Next(OpsWorld& o, int mode, const std::wstring& at, bool versionUp = false) {
    o.ShowMode(mode);
    if (mode == 0) {
        o.ui.items[Ctl::cmdNEXT].text = texts::kInstall1Run;
        o.fs.files[L"D:\\src\\a.xla"] = L"new";
        o.fs.folders.insert(at);
        o.ui.selected = o.FileRow(L"D:\\src\\a.xla");
        o.ui.items[versionUp ? Ctl::txtFOLDER : Ctl::cbxFOLDER].text = at;
        if (versionUp) {
            o.List(paths::JoinFolder(at, L"a.xla"), L"A", true);
            o.st.strADDINPATH = at;
        }
    } else {
        o.List(at, L"A", mode == 3);
        o.ui.selected = o.Row(at, L"A");
    }
    try {
        o.win.cmdNEXT_Click();
    } catch (const Failure&) {  // a file the fake keeps holding: the step's own failure
    }
}

TEST(StepChecks, OnlyADenialRefusesAndThenNothingChanges) {
    const std::wstring lib = L"C:\\Program Files\\Office\\Library", user = fake::kUserFolder;
    struct Case {
        const char* name;
        int mode;
        std::wstring at, denied, held;
        bool versionUp;
        std::wstring message;  // empty: the step goes on to Excel
    } cases[] = {
        {"new install", 0, lib, lib + L"\\", L"", false, Admin(lib, true)},
        {"new install over an old file", 0, lib, lib + L"\\a.xla", L"", false, Admin(lib, true)},
        {"new install at a root", 0, L"C:\\", L"C:\\", L"", false, Admin(L"C:\\", true)},
        {"new install into the user folder", 0, user, user + L"\\", L"", false, Admin(user, false)},
        {"version up", 0, lib, lib + L"\\a.xla", L"", true, Admin(lib, false)},
        {"version up, Excel holding the old file", 0, lib, L"", lib + L"\\a.xla", true, L""},
        {"mode 3", 3, lib + L"\\a.xla", lib + L"\\a.xla", L"", false, Admin(lib, false)},
        {"mode 3 keeps a file on a share", 3, L"\\\\srv\\s\\a.xla", L"\\\\srv\\s\\a.xla", L"", false, L""},
        {"mode 4 at a root", 4, L"C:\\a.xla", L"C:\\a.xla", L"", false, Admin(L"C:\\", false)},
        {"mode 4, a file in use", 4, lib + L"\\a.xla", L"", lib + L"\\a.xla", false, L""},
    };
    for (const auto& c : cases) {
        OpsWorld o;
        if (c.mode == 0 && !c.versionUp && c.denied.back() != L'\\') o.fs.files[c.denied] = L"old";
        o.fs.denied.insert(c.denied);
        o.fs.locked.insert(c.held);
        Next(o, c.mode, c.at, c.versionUp);
        EXPECT_EQ(o.excel.instancesCreated, c.message.empty() ? 1 : 0) << c.name;
        if (c.message.empty()) {
            EXPECT_TRUE(o.w.msg.shown.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(o.w.msg.shown.size(), 1u) << c.name;
        EXPECT_EQ(o.w.msg.shown[0].text, c.message) << c.name;
        EXPECT_EQ(o.w.msg.shown[0].flags, kMbCritical) << c.name;
        EXPECT_TRUE(o.fs.log.empty() && o.reg.log.empty()) << c.name;
        EXPECT_EQ(o.ui.ListCount(), 1) << c.name;
        EXPECT_EQ(o.ui.items[Ctl::lblKEKKA].text, L"(before)") << c.name;
    }
}

TEST(StepChecks, ReadOnlyFilesAreRefusedBeforeAnythingChanges) {
    const std::wstring lib = L"C:\\Program Files\\Office\\Library", share = L"\\\\srv\\s\\a.xla";
    struct Case { const char* name; int mode; std::wstring at, readOnly; bool versionUp, refused; } cases[] = {
        {"version up over a read-only old file", 0, lib, lib + L"\\a.xla", true, true},
        {"new install over a read-only file", 0, lib, lib + L"\\a.xla", false, true},
        {"mode 3", 3, lib + L"\\a.xla", lib + L"\\a.xla", false, true},
        {"mode 4", 4, lib + L"\\a.xla", lib + L"\\a.xla", false, true},
        {"mode 4 leaves a read-only file on a share as it is", 4, share, share, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpsWorld o;
        o.fs.files[c.readOnly] = L"old";
        o.fs.readOnly.insert(c.readOnly);
        Next(o, c.mode, c.at, c.versionUp);
        EXPECT_EQ(o.excel.instancesCreated, c.refused ? 0 : 1);
        ASSERT_EQ(o.fs.files.count(c.readOnly), 1u);
        EXPECT_EQ(o.fs.files[c.readOnly].rfind(L"old", 0), 0u) << "neither deleted nor replaced";
        if (!c.refused) continue;
        ASSERT_EQ(o.w.msg.shown.size(), 1u);
        EXPECT_EQ(o.w.msg.shown[0].text, texts::kReadOnlyFile1 + c.readOnly + texts::kReadOnlyFile2);
        EXPECT_EQ(o.w.msg.shown[0].flags, kMbCritical);
        EXPECT_EQ(o.ui.ListCount(), 1);
    }
}

// A file from the internet is asked about only when it is copied; the copy carries the mark
// exactly when the user keeps it, and the offered file is never changed.
TEST(StepChecks, MarkOfTheWebIsAskedAboutBeforeExcelStarts) {
    const std::string marked = "[ZoneTransfer]\r\nZoneId=3\r\n", intranet = "[ZoneTransfer]\r\nZoneId=1\r\n";
    const std::wstring src = L"D:\\src\\a.xla", dest = L"C:\\Tools\\a.xla";
    struct Case { const char* name; std::string zone; bool unreadable; std::vector<int> answers; bool asked, installed; std::optional<std::string> copyZone; } cases[] = {
        {"unmarked", "", false, {}, false, true, std::nullopt},
        {"intranet mark is kept without a question", intranet, false, {}, false, true, intranet},
        {"unreadable stream", "", true, {}, false, true, std::nullopt},
        {"marked, Yes unblocks the copy", marked, false, {kIdYes}, true, true, std::nullopt},
        {"marked, No keeps the mark", marked, false, {kIdNo}, true, true, marked},
        {"marked, Cancel changes nothing", marked, false, {kIdCancel}, true, false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpsWorld o;
        if (!c.zone.empty()) o.fs.zones[src] = c.zone;
        if (c.unreadable) o.fs.unreadableZones.insert(src);
        o.w.msg.answers = c.answers;
        Next(o, 0, L"C:\\Tools");
        ASSERT_EQ(o.w.msg.shown.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(o.w.msg.shown[0].text, texts::kUnblockQuestion);
            EXPECT_EQ(o.w.msg.shown[0].flags, 3 + 48 + 256);
        }
        EXPECT_EQ(o.excel.instancesCreated, c.installed ? 1 : 0);
        EXPECT_EQ(o.fs.files.count(dest), c.installed ? 1u : 0u);
        EXPECT_EQ(o.ui.ListCount(), c.installed ? 0 : 1) << "a cancelled row stays";
        EXPECT_EQ(o.fs.zones.count(dest) ? std::optional(o.fs.zones[dest]) : std::nullopt, c.copyZone);
        EXPECT_EQ(o.fs.zones.count(src) ? o.fs.zones[src] : "", c.zone) << "the offered file keeps its own mark";
    }
}

// A marked file that already lies in the destination folder is asked about as a copy is, and
// loses its mark there when the user unblocks it. Once the file is in place, a mark that is not
// as asked is told in an information box, and the install is complete all the same.
TEST(StepChecks, MarkInPlaceAndAfterTheCopyIsToldNotFailed) {
    const std::string marked = "[ZoneTransfer]\r\nZoneId=3\r\n";
    const std::wstring src = L"D:\\src\\a.xla", dest = L"C:\\Tools\\a.xla";
    struct Case {
        const char* name;
        bool inPlace;
        int answer;
        bool streamless, wine, destFails;
        bool installed;
        bool markedAfter;
        const wchar_t* warning;  // the information box after the question; none when null
    };
    const Case cases[] = {
        {"in place, Yes removes the mark", true, kIdYes, false, false, false, true, false, nullptr},
        {"in place, No keeps it", true, kIdNo, false, false, false, true, true, nullptr},
        {"in place, Cancel changes nothing", true, kIdCancel, false, false, false, false, true, nullptr},
        {"in place, the mark cannot be removed", true, kIdYes, false, false, true, true, true, texts::kMarkNotRemoved1},
        {"copy kept on a drive without streams", false, kIdNo, true, false, false, true, false, texts::kMarkNotKept1},
        {"copy kept, mark cannot be set after the rename", false, kIdNo, false, true, true, true, false,
         texts::kMarkNotSet1},
        {"copy unblocked on a drive without streams", false, kIdYes, true, false, false, true, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpsWorld o;
        const std::wstring offered = c.inPlace ? dest : src;
        o.ShowMode(0);
        o.ui.items[Ctl::cmdNEXT].text = texts::kInstall1Run;
        o.fs.files[offered] = L"new";
        o.fs.zones[offered] = marked;
        o.fs.folders.insert(L"C:\\Tools");
        o.ui.selected = o.FileRow(offered);
        o.ui.items[Ctl::cbxFOLDER].text = L"C:\\Tools";
        if (c.streamless) o.fs.streamless = {dest + L".~qv", dest};
        o.fs.streamsStayBehind = c.wine;
        if (c.destFails) o.fs.streamFails = {dest};
        o.w.msg.answers = {c.answer};

        o.win.cmdNEXT_Click();

        ASSERT_EQ(o.w.msg.shown.size(), c.warning ? 2u : 1u);
        EXPECT_EQ(o.w.msg.shown[0].text, texts::kUnblockQuestion);
        if (c.warning) {
            EXPECT_EQ(o.w.msg.shown[1].text, c.warning + dest + texts::kMarkClose);
            EXPECT_EQ(o.w.msg.shown[1].flags, kMbInformation);
        }
        EXPECT_EQ(o.excel.instancesCreated, c.installed ? 1 : 0);
        EXPECT_EQ(o.Addin(dest) != nullptr && o.Addin(dest)->Installed, c.installed);
        EXPECT_EQ(o.ui.ListCount(), c.installed ? 0 : 1);
        EXPECT_EQ(o.fs.zones.count(dest) == 1, c.markedAfter);
        if (c.installed) {
            EXPECT_NE(o.ui.items[Ctl::lblKEKKA].text.find(L"のインストールが完了しました。"), std::wstring::npos);
        }
        if (!c.inPlace) {
            EXPECT_EQ(o.fs.zones[src], marked) << "the offered file keeps its own mark";
        }
    }
}

TEST(StepChecks, ANewInstallMakesAMissingUserFolderAndNoOtherFolder) {
    for (const std::wstring& folder : {std::wstring(fake::kUserFolder), std::wstring(L"C:\\Elsewhere")}) {
        SCOPED_TRACE(std::string(folder.begin(), folder.end()));
        OpsWorld o;
        o.ShowMode(0);
        o.ui.items[Ctl::cmdNEXT].text = texts::kInstall1Run;
        o.fs.files[L"D:\\src\\a.xla"] = L"new";
        o.fs.folders.erase(folder);
        o.ui.selected = o.FileRow(L"D:\\src\\a.xla");
        o.ui.items[Ctl::cbxFOLDER].text = folder;
        o.win.cmdNEXT_Click();
        const bool user = folder == fake::kUserFolder;
        EXPECT_EQ(o.fs.FolderExists(folder), user);
        EXPECT_EQ(o.fs.files.count(folder + L"\\a.xla"), user ? 1u : 0u);
        EXPECT_EQ(o.w.msg.shown.size(), user ? 0u : 1u) << "any other folder must exist";
    }
}

// A folder with Japanese and emoji names (an emoji is two UTF-16 units) where a.xla makes a
// full name of exactly `units`.
std::wstring FolderFor(size_t units) {
    const std::wstring base = L"C:\\アドイン\\\U0001F600";  // 3 + 4 + 1 + 2 units
    return base + L"\\" + std::wstring(units - 10 - 1 - 6, L'あ');
}

TEST(StepChecks, InstallRefusesAFullNameExcelCannotOpen) {
    for (size_t units : {218u, 219u}) {
        OpsWorld o;
        const std::wstring dest = FolderFor(units) + L"\\a.xla";
        Next(o, 0, FolderFor(units));
        EXPECT_EQ(o.fs.files.count(dest), units == 218 ? 1u : 0u) << units;
        if (units == 219) {
            ASSERT_EQ(o.w.msg.shown.size(), 1u);
            EXPECT_EQ(o.w.msg.shown[0].text, texts::kPathTooLong1 + dest + texts::kPathTooLong2);
            EXPECT_EQ(o.excel.instancesCreated, 0);
        }
    }
}

TEST(StepChecks, StandInRefusesSuchANameInOpenAndAdd) {
    fake::FakeRegistry reg;
    fake::FakeFileSystem fs;
    fake::FakeDrives drives;
    const std::wstring within = FolderFor(218) + L"\\a.xla", beyond = FolderFor(219) + L"\\a.xla";
    fs.files[within] = fs.files[beyond] = L"x";
    standin::Instance in(reg, fs, drives, {L"11.0", L"C:\\U\\", L"C:\\L"}, [](const std::wstring&) { return L""; });
    in.workbooks.Add();
    EXPECT_NO_THROW(in.workbooks.Open(within));
    EXPECT_NO_THROW(in.addins.Add(within, false));
    for (auto call : {+[](standin::Instance& i, const std::wstring& p) { i.workbooks.Open(p); },
                      +[](standin::Instance& i, const std::wstring& p) { i.addins.Add(p, false); }}) {
        try {
            call(in, beyond);
            ADD_FAILURE() << "accepted";
        } catch (const standin::Error& e) {
            EXPECT_EQ(e.Code(), standin::kErrExcel);
        }
    }
}

TEST(StepChecks, BusyClipboardIsRetriedThenThePathShown) {
    for (int busy : {0, 9, 10}) {
        OpsWorld o;
        o.w.clip.busyTries = busy;
        o.ui.items[Ctl::txtFOLDER].text = L"C:\\ツール\\a.xla";
        Next(o, 6, L"C:\\ツール\\a.xla");
        const int tries = std::min(busy + 1, kClipboardTries);
        EXPECT_EQ(o.w.clip.pauses, std::vector<int>(static_cast<size_t>(tries - 1), kClipboardPauseMs)) << busy;
        EXPECT_EQ(o.w.clip.text.has_value(), busy < 10) << busy;
        std::vector<std::wstring> shown;
        for (auto& m : o.w.msg.shown) shown.push_back(m.text);
        EXPECT_EQ(shown, busy < 10 ? std::vector<std::wstring>{}
                                   : std::vector<std::wstring>{texts::kClipboardBusy + std::wstring(L"C:\\ツール\\a.xla")});
    }
}

}  // namespace
}  // namespace qv
