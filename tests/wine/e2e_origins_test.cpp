// End to end, files as they come on real PCs: marked as from the internet, on a drive that is
// not connected, read-only, on a server share, held for a moment by a scanner; and a new
// profile without its user add-in folder.
#include "e2e_world.h"

#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "console/utf8.h"

#include "operations/texts.h"
#include "platform/win32/platform.h"
#include "prefix_link.h"
#include "window/texts.h"

namespace qv::e2e {
namespace {

const std::string kMarked = "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=https://example.com/a.xla\r\n";

class E2eOrigins : public E2eTest {
protected:
    win32::Win32FileSystem fs;
};

// quorvelc run as a deployment tool runs it, once no Excel of the wizard's is left.
struct Quorvelc {
    DWORD exit = 9999;
    nlohmann::json json;
    std::string err;
};
Quorvelc RunQuorvelc(const std::wstring& args) {
    test::Ran r = test::Run(test::BinDir() + L"\\quorvelc.exe", args + L" --utf8 --json", 120000);
    Quorvelc q{r.exit.value_or(9999), nlohmann::json(), r.err};
    if (!r.out.empty()) q.json = nlohmann::json::parse(r.out, nullptr, false);
    return q;
}
std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// The names in the tests' own trash (test.sh points XDG_DATA_HOME at a scratch folder);
// empty when XDG_DATA_HOME is not set.
std::wstring TrashFiles() {
    wchar_t unix[1024];
    DWORD n = GetEnvironmentVariableW(L"XDG_DATA_HOME", unix, 1024);
    if (n == 0 || n >= 1024) return L"";
    std::wstring path = L"Z:" + std::wstring(unix, n) + L"/Trash/files";
    for (auto& ch : path)
        if (ch == L'/') ch = L'\\';
    return path;
}
int InTrash(const std::wstring& trash, const std::wstring& stem) {
    int count = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((trash + L"\\" + stem + L"*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do ++count; while (FindNextFileW(h, &fd));
    FindClose(h);
    return count;
}

// A file from a CD is read-only: the installed copy is not, so the next version replaces it.
TEST_F(E2eOrigins, AReadOnlySourceInstallsWritableAndItsNextVersionGoesOverIt) {
    const std::wstring src = MakeXla(SrcDir(), L"cd.xla", L"CD Tool"), dest = UserDir() + L"\\cd.xla";
    ASSERT_TRUE(SetFileAttributesW(src.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    Quorvelc first = RunQuorvelc(L"install " + Quoted(src));
    ASSERT_EQ(first.exit, 0u) << first.err;
    const DWORD a = GetFileAttributesW(dest.c_str());
    ASSERT_NE(a, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), 0u);
    EXPECT_NE(GetFileAttributesW(src.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "the source is never changed";

    ASSERT_TRUE(SetFileAttributesW(src.c_str(), FILE_ATTRIBUTE_NORMAL));
    MakeXla(SrcDir(), L"cd.xla", L"CD Tool", L"version 2");
    ASSERT_TRUE(SetFileAttributesW(src.c_str(), FILE_ATTRIBUTE_READONLY));
    Quorvelc second = RunQuorvelc(L"install " + Quoted(src));
    EXPECT_EQ(second.exit, 0u) << second.err;
    EXPECT_EQ(Files().at(dest).bytes, Files().at(src).bytes);
    EXPECT_TRUE(Listed().at(L"CD Tool").installed);
    SetFileAttributesW(src.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A marked file already in the user's add-in folder is asked about as a copy would be.
TEST_F(E2eOrigins, AMarkedFileInstalledInPlaceIsAskedAboutAndUnblocked) {
    const std::wstring wizard = MakeXla(UserDir(), L"here.xla", L"Here Tool");
    const std::wstring console = MakeXla(UserDir(), L"cons.xla", L"Cons Tool");
    fs.WriteZoneStream(wizard, kMarked);
    fs.WriteZoneStream(console, kMarked);
    Offer(wizard);
    ASSERT_NO_FATAL_FAILURE(Open());
    SelectRow(L"here.xla");
    msg_.answers = {kIdYes};
    Next();
    ExpectBox(texts::kUnblockQuestion, kMbYesNoCancelWarningNo);
    EXPECT_EQ(fs.ReadZoneStream(wizard).state, StreamState::Absent);
    EXPECT_TRUE(Listed().at(L"Here Tool").installed);

    Quorvelc kept = RunQuorvelc(L"install " + Quoted(console) + L" --folder user");
    EXPECT_EQ(kept.exit, 0u) << kept.err;
    ASSERT_TRUE(kept.json.is_object()) << kept.err;
    EXPECT_EQ(kept.json["warnings"][0]["code"], "marked-from-internet");
    EXPECT_EQ(fs.ReadZoneStream(console).text, kMarked);
    Quorvelc unblocked = RunQuorvelc(L"install " + Quoted(console) + L" --folder user --unblock");
    EXPECT_EQ(unblocked.exit, 0u) << unblocked.err;
    EXPECT_EQ(fs.ReadZoneStream(console).state, StreamState::Absent);
}

// N: is a network drive of the test prefix (set-up): its file is used by others and stays, in
// mode 4 and in quorvelc's remove alike, while the entry and its registry value go.
TEST_F(E2eOrigins, AFileOnANetworkDriveStaysWhileItsEntryGoes) {
    if (GetDriveTypeW(L"N:\\") != DRIVE_REMOTE) GTEST_SKIP() << "needs the prefix's network drive N:";
    const std::wstring folder = L"N:\\qv-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    BuildStandardWorld();
    const std::wstring mode4 = MakeXla(folder, L"net4.xla", L"Net Four");
    const std::wstring removed = MakeXla(folder, L"netc.xla", L"Net Console");
    RegisterOff(mode4);
    RegisterOn(removed);
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(4);
    SelectRow(L"Net Four");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), texts::kOpenQuote + std::wstring(L"Net Four") + texts::kDeleteDone);
    EXPECT_TRUE(Exists(mode4)) << "the copy every colleague uses stays";
    EXPECT_EQ(Manager().count(mode4), 0u) << "the entry goes";

    Quorvelc q = RunQuorvelc(L"remove netc.xla");
    EXPECT_EQ(q.exit, 0u) << q.err;
    ASSERT_TRUE(q.json.is_object()) << q.err;
    EXPECT_EQ(q.json["results"][0]["fileDisposal"], "left");
    EXPECT_TRUE(Exists(removed));
    EXPECT_EQ(Listed().count(L"Net Console"), 0u);
    EXPECT_EQ(Manager().count(removed), 0u);
    for (const auto& on : SwitchedOn(Options())) EXPECT_EQ(on.find(L"netc.xla"), std::wstring::npos) << test::Narrow(on);
    DeleteFileW(mode4.c_str());
    DeleteFileW(removed.c_str());
    RemoveDirectoryW(folder.c_str());
}

// A removal can be undone: the file lies in the trash (under Wine, the desktop's); --permanent
// leaves nothing there.
TEST_F(E2eOrigins, ARemovedFileLandsInTheTrashUnlessPermanent) {
    const std::wstring trash = TrashFiles();
    if (trash.empty()) GTEST_SKIP() << "needs XDG_DATA_HOME (test.sh sets it)";
    BuildStandardWorld();
    const std::wstring off = OtherDir() + L"\\off.xla", oth = OtherDir() + L"\\oth.xla";
    const int offBefore = InTrash(trash, L"off.xla"), othBefore = InTrash(trash, L"oth.xla");

    Quorvelc recycled = RunQuorvelc(L"remove off.xla");
    EXPECT_EQ(recycled.exit, 0u) << recycled.err;
    ASSERT_TRUE(recycled.json.is_object()) << recycled.err;
    EXPECT_EQ(recycled.json["results"][0]["fileDisposal"], "recycled");
    EXPECT_FALSE(Exists(off));
    EXPECT_EQ(InTrash(trash, L"off.xla"), offBefore + 1);
    EXPECT_EQ(Manager().count(off), 0u);

    Quorvelc deleted = RunQuorvelc(L"remove oth.xla --permanent");
    EXPECT_EQ(deleted.exit, 0u) << deleted.err;
    ASSERT_TRUE(deleted.json.is_object()) << deleted.err;
    EXPECT_EQ(deleted.json["results"][0]["fileDisposal"], "deleted");
    EXPECT_FALSE(Exists(oth));
    EXPECT_EQ(InTrash(trash, L"oth.xla"), othBefore);
}

TEST_F(E2eOrigins, AMarkedFileIsAskedAboutAndEachAnswerIsKept) {
    struct Case { const wchar_t* file; int answer; bool installed; bool copyMarked; } cases[] = {
        {L"yes.xla", kIdYes, true, false},
        {L"no.xla", kIdNo, true, true},
        {L"cancel.xla", kIdCancel, false, false},
    };
    for (const auto& c : cases) {
        const std::wstring src = MakeXla(SrcDir(), c.file, c.file);
        fs.WriteZoneStream(src, kMarked);
        Offer(src);
    }
    ASSERT_NO_FATAL_FAILURE(Open());
    for (const auto& c : cases) {
        SCOPED_TRACE(test::Narrow(c.file));
        const std::wstring src = SrcDir() + L"\\" + c.file, dest = UserDir() + L"\\" + c.file;
        SelectRow(c.file);
        msg_.answers = {c.answer};
        Next();
        ExpectBox(texts::kUnblockQuestion, kMbYesNoCancelWarningNo);
        EXPECT_EQ(Exists(dest), c.installed);
        EXPECT_EQ(RowOf(c.file) >= 0, !c.installed) << "a cancelled row stays";
        const ZoneStream copy = fs.ReadZoneStream(dest);
        EXPECT_EQ(copy.state == StreamState::Present, c.copyMarked);
        if (c.copyMarked) {
            EXPECT_EQ(copy.text, kMarked);
        }
        EXPECT_EQ(fs.ReadZoneStream(src).text, kMarked) << "the offered file keeps its mark";
    }
    EXPECT_TRUE(Listed().at(L"yes.xla").installed);
    EXPECT_EQ(Listed().count(L"cancel.xla"), 0u);
}

TEST_F(E2eOrigins, AFileOnADriveThatIsNotConnectedIsNotTidiedAway) {
    test::PrefixLink drive("q:", "/nonexistent/qv-unconnected-share");
    if (!drive.Ok()) GTEST_SKIP() << "needs WINEPREFIX";
    BuildStandardWorld();
    RegisterOn(L"Q:\\AddIns\\away.xla");
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(5);
    EXPECT_EQ(Rows(), std::vector<std::wstring>{L"gone"}) << "only the file that is really gone";

    ASSERT_TRUE(NoStandInLeft());
    test::Ran tidy = test::Run(test::BinDir() + L"\\quorvelc.exe", L"tidy --utf8");
    EXPECT_EQ(tidy.exit, 0u) << tidy.err;
    EXPECT_NE(tidy.out.find("Q:\\AddIns\\away.xla"), std::string::npos) << tidy.out;
    bool registered = false;
    for (const auto& on : SwitchedOn(Options())) registered = registered || on.find(L"Q:\\AddIns\\away.xla") != std::wstring::npos;
    EXPECT_TRUE(registered) << "still switched on";
}

TEST_F(E2eOrigins, ARemovalRefusesAReadOnlyFileButLeavesAServersFileInPlace) {
    test::PrefixLink server("unc/qv-server/share", "/tmp/qv-share-" + std::to_string(GetCurrentProcessId()), true);
    if (!server.Ok()) GTEST_SKIP() << "needs WINEPREFIX";
    BuildStandardWorld();
    const std::wstring shared = MakeXla(L"\\\\qv-server\\share", L"net.xla", L"Net Tool");
    RegisterOff(shared);
    const std::wstring off = OtherDir() + L"\\off.xla";
    ASSERT_TRUE(SetFileAttributesW(off.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(4);

    SelectRow(L"Off Tool");
    Next();
    ExpectBox(texts::kReadOnlyFile1 + off + texts::kReadOnlyFile2);
    EXPECT_TRUE(Exists(off));

    SelectRow(L"Net Tool");
    Next();
    EXPECT_TRUE(Exists(shared)) << "the copy every colleague uses stays";
    EXPECT_EQ(Manager().count(shared), 0u) << "the entry goes";
    EXPECT_EQ(Manager().count(off), 1u) << "the refused one is still listed";
    SetFileAttributesW(off.c_str(), 0);
}

TEST_F(E2eOrigins, ANewProfileGetsItsUserFolderAtTheFirstInstall) {
    const std::wstring src = MakeXla(SrcDir(), L"first.xla", L"First Tool");
    ASSERT_TRUE(RemoveDirectoryW(UserDir().c_str()));
    Offer(src);
    ASSERT_NO_FATAL_FAILURE(Open());
    SelectRow(L"first.xla");
    ASSERT_EQ(Text(IDC_CBXFOLDER), UserDir());
    Next();
    EXPECT_TRUE(Exists(UserDir() + L"\\first.xla"));
    EXPECT_TRUE(Listed().at(L"First Tool").installed);
}

// A scanner holding the old file for a moment delays a version up; it does not fail it.
TEST_F(E2eOrigins, AVersionUpWaitsOutAShortHoldOnTheOldFile) {
    BuildStandardWorld();
    const std::wstring old = OtherDir() + L"\\oth.xla";
    Offer(MakeXla(SrcDir(), L"oth.xla", L"Other Tool", L"version 2"));
    ASSERT_NO_FATAL_FAILURE(Open());
    SelectRow(L"oth.xla");
    HANDLE held = CreateFileW(old.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release([held] {
        Sleep(1000);
        CloseHandle(held);
    });
    Next();
    release.join();
    EXPECT_EQ(Files().at(old).bytes, Files().at(SrcDir() + L"\\oth.xla").bytes);
    EXPECT_TRUE(Listed().at(L"Other Tool").installed);
}

}  // namespace
}  // namespace qv::e2e
