// End to end, files as they come on real PCs: marked as from the internet, on a drive that is
// not connected, read-only, on a server share, held for a moment by a scanner; and a new
// profile without its user add-in folder.
#include "e2e_world.h"

#include <string>
#include <thread>

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
