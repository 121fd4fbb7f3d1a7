// Obstacles of a real PC, made for real under Wine: another process holding the clipboard, a
// WM_CLOSE sent from another thread while a handler waits on a busy Excel, Japanese and emoji
// folders at and beyond Excel's limit on a full name, and paths beyond MAX_PATH.
#include "e2e_world.h"

#include <string>

#include "excel/path_limit.h"
#include "window/texts.h"

namespace qv::e2e {
namespace {

class E2eObstacles : public E2eTest {};

TEST_F(E2eObstacles, ClipboardHeldByAnotherProcessShowsThePathAndTheWizardGoesOn) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard(6));
    SelectRow(L"Other Tool");
    // This test program run again (see main.cpp) holds the clipboard until released.
    const std::string name = "qv-clip-" + std::to_string(GetCurrentProcessId());
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, (name + "-held").c_str());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (name + "-release").c_str());
    wchar_t exe[4096];
    GetModuleFileNameW(nullptr, exe, 4096);
    test::Process holder(exe, L"--hold-clipboard " + test::Widen(name));
    ASSERT_TRUE(holder.Started());
    ASSERT_EQ(WaitForSingleObject(held, 20000), WAIT_OBJECT_0);

    Next();
    SetEvent(release);
    holder.Wait(20000);
    for (HANDLE h : {held, release}) CloseHandle(h);
    ExpectBox(texts::kClipboardBusy + OtherDir() + L"\\oth.xla");
    EXPECT_TRUE(IsWindow(dlg_));
}

// Sends WM_CLOSE once a stand-in runs, that is while "次へ" waits on it, and notes whether the
// window was still there once the message had been handled.
struct OutsideCloser {
    HWND dlg;
    bool windowStayed = false;
    static DWORD WINAPI Run(void* p) {
        auto* self = static_cast<OutsideCloser*>(p);
        if (!test::WaitForStandInCount(1, 20000)) return 1;
        Sleep(200);  // well inside the stand-in's busy time
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(self->dlg, WM_CLOSE, 0, 0, SMTO_NORMAL, 60000, &result))
            self->windowStayed = IsWindow(self->dlg) != FALSE;
        return 0;
    }
};

TEST_F(E2eObstacles, WmCloseFromAnotherThreadWaitsForTheHandlerThenClosesTheWindow) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard(2));
    SelectRow(L"Other Tool");
    ASSERT_TRUE(NoStandInLeft());
    test::StandInSettings busy;
    ASSERT_TRUE(busy.Set(L"BusyMilliseconds", L"1500"));

    OutsideCloser closer{dlg_};
    HANDLE thread = CreateThread(nullptr, 0, &OutsideCloser::Run, &closer, 0, nullptr);
    Next();  // mode 2: switch Other Tool off
    // Handles messages while waiting, so that a WM_CLOSE sent late still arrives.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) Pump();
    CloseHandle(thread);

    EXPECT_TRUE(closer.windowStayed) << "the window went while its handler was still running";
    EXPECT_FALSE(IsWindow(dlg_));
    EXPECT_EQ(top_.closed, 1);
    // The handler finished normally: Excel quit and wrote the add-in as switched off.
    EXPECT_EQ(Manager().count(OtherDir() + L"\\oth.xla"), 1u);
}

TEST_F(E2eObstacles, InstallIntoJapaneseAndEmojiFoldersUpToExcelsLimit) {
    const std::wstring src = MakeXla(SrcDir(), L"絵文字.xla", L"Emoji Tool");
    Offer(src);
    // other\アドイン\😀\<padding>\絵文字.xla of exactly 218 and 219 UTF-16 units.
    std::wstring base = OtherDir() + L"\\アドイン";
    CreateDirectoryW(base.c_str(), nullptr);
    CreateDirectoryW((base += L"\\\U0001F600").c_str(), nullptr);
    auto folderFor = [&](size_t units) {
        std::wstring f = base + L"\\" + std::wstring(units - excel::Utf16Length(base) - 9, L'ツ');
        CreateDirectoryW(f.c_str(), nullptr);
        return f;
    };
    const std::wstring within = folderFor(218), beyond = folderFor(219);
    ASSERT_EQ(excel::Utf16Length(beyond + L"\\絵文字.xla"), 219u);
    ASSERT_NO_FATAL_FAILURE(Open());
    const auto options = Options();

    SelectRow(0);
    SetWindowTextW(Item(IDC_CBXFOLDER), beyond.c_str());
    Next();
    ExpectBox(texts::kPathTooLong1 + beyond + L"\\絵文字.xla" + texts::kPathTooLong2);
    EXPECT_FALSE(Exists(beyond + L"\\絵文字.xla"));
    EXPECT_EQ(Options(), options);
    EXPECT_EQ(Rows().size(), 1u);

    SelectRow(0);
    SetWindowTextW(Item(IDC_CBXFOLDER), within.c_str());
    Next();
    EXPECT_EQ(test::ReadAll(within + L"\\絵文字.xla"), test::ReadAll(src));
    EXPECT_EQ(SwitchedOn(Options()).count(L"/R \"" + within + L"\\絵文字.xla\""), 1u);
}

TEST(LongPathFiles, CopyReplaceExistsDeleteAndProbesBeyondMaxPath) {
    test::ScratchFolder scratch;
    std::wstring deep = scratch.Path();
    const std::wstring parts[] = {L"アドイン", L"\U0001F600", std::wstring(120, L'あ'), std::wstring(120, L'い')};
    for (const auto& part : parts)
        CreateDirectoryW((L"\\\\?\\" + (deep += L"\\" + part)).c_str(), nullptr);
    ASSERT_GT(deep.size(), static_cast<size_t>(MAX_PATH));
    const std::wstring one = scratch.Write(L"one.xla", "1"), dst = deep + L"\\ツール.xla";
    win32::Win32FileSystem fs;

    fs.CopyReplace(one, dst, qv::ZoneMark::KeepSource);
    fs.CopyReplace(one, dst, qv::ZoneMark::KeepSource);  // the replace, through a temporary file named beside it
    EXPECT_TRUE(fs.FileExists(dst));
    EXPECT_EQ(test::ReadAll(L"\\\\?\\" + dst), "1");
    EXPECT_EQ(fs.ListFiles(deep, L"*"), std::vector<std::wstring>{L"ツール.xla"}) << "no temporary file left";
    EXPECT_EQ(fs.ProbeCreate(deep + L"\\"), Access::Granted);
    EXPECT_EQ(fs.ProbeDelete(dst), Access::Granted);
    // Held as Excel holds an open workbook: a sharing violation, not a want of rights.
    HANDLE held =
        CreateFileW((L"\\\\?\\" + dst).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(fs.ProbeDelete(dst), Access::Other);
    CloseHandle(held);
    EXPECT_EQ(fs.ListFiles(deep, L"*").size(), 1u) << "no probe file left";
    fs.Delete(dst);
    EXPECT_TRUE(fs.FileMissing(dst));
    for (; deep.size() > scratch.Path().size(); deep.resize(deep.rfind(L'\\')))
        RemoveDirectoryW((L"\\\\?\\" + deep).c_str());
}

}  // namespace
}  // namespace qv::e2e
