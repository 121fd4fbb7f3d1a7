// Obstacles a real PC puts in the wizard's way, made for real under Wine: another process
// holding the clipboard, a WM_CLOSE sent from another thread while a handler waits on a busy
// Excel, folders with Japanese and emoji names at and beyond Excel's limit on a full name, and
// paths beyond MAX_PATH for the wizard's own file operations.
#include "e2e_world.h"

#include <algorithm>
#include <string>
#include <vector>

#include "excel/path_limit.h"
#include "window/texts.h"

namespace qv::e2e {
namespace {

std::wstring ClipboardNow() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"(clipboard not available)";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

// This test program run a second time, holding the clipboard open until released.
class ClipboardHolder {
public:
    ClipboardHolder() {
        std::string name = "qv-clip-" + std::to_string(GetCurrentProcessId());
        held_ = CreateEventA(nullptr, TRUE, FALSE, (name + "-held").c_str());
        release_ = CreateEventA(nullptr, TRUE, FALSE, (name + "-release").c_str());
        wchar_t exe[4096];
        GetModuleFileNameW(nullptr, exe, 4096);
        std::wstring line = L"\"" + std::wstring(exe) + L"\" --hold-clipboard " + test::Widen(name);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (CreateProcessW(exe, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
            holding_ = WaitForSingleObject(held_, 20000) == WAIT_OBJECT_0;
    }
    ~ClipboardHolder() {
        Release();
        CloseHandle(held_);
        CloseHandle(release_);
    }
    bool Holding() const { return holding_; }
    void Release() {
        SetEvent(release_);
        if (pi_.hProcess) {
            WaitForSingleObject(pi_.hProcess, 20000);
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
            pi_ = {};
        }
    }

private:
    HANDLE held_ = nullptr, release_ = nullptr;
    PROCESS_INFORMATION pi_{};
    bool holding_ = false;
};

class E2eObstacles : public E2eTest {};

TEST_F(E2eObstacles, ClipboardHeldByAnotherProcessShowsThePathAndTheWizardGoesOn) {
    BuildStandardWorld();
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(6);
    SelectRow(L"Other Tool");
    const std::wstring path = Text(IDC_TXTFOLDER);
    ASSERT_EQ(path, OtherDir() + L"\\oth.xla");

    ClipboardHolder holder;
    ASSERT_TRUE(holder.Holding());
    Next();
    ASSERT_TRUE(top_.reports.empty()) << test::Narrow(top_.reports[0].operation);
    ASSERT_EQ(msg_.shown.size(), 1u);
    EXPECT_EQ(msg_.shown[0].text, texts::kClipboardBusy + path);
    EXPECT_EQ(msg_.shown[0].title, texts::kAppTitle);
    EXPECT_EQ(msg_.shown[0].flags, kMbCritical);
    EXPECT_TRUE(IsWindow(dlg_));

    // Once the other program lets go, the same button copies.
    holder.Release();
    Next();
    EXPECT_EQ(ClipboardNow(), path);
    EXPECT_EQ(msg_.shown.size(), 1u);
    EXPECT_TRUE(top_.reports.empty());
    EXPECT_TRUE(NoStandInLeft());
}

// Sends WM_CLOSE to the window once a stand-in runs, that is while a handler waits on it, and
// notes whether the window was still there when the message had been handled.
struct OutsideCloser {
    HWND dlg = nullptr;
    bool sent = false;
    bool windowStayed = false;

    static DWORD WINAPI Run(void* p) {
        auto* self = static_cast<OutsideCloser*>(p);
        if (!test::WaitForStandInCount(1, 20000)) return 1;
        Sleep(200);  // well inside the stand-in's busy time
        DWORD_PTR result = 0;
        self->sent = SendMessageTimeoutW(self->dlg, WM_CLOSE, 0, 0, SMTO_NORMAL, 60000, &result) != 0;
        self->windowStayed = IsWindow(self->dlg) != FALSE;
        return 0;
    }
};

// Waits for `thread`, handling messages meanwhile: a WM_CLOSE sent late still arrives.
void JoinPumping(HANDLE thread) {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) Pump();
}

TEST_F(E2eObstacles, WmCloseFromAnotherThreadWaitsForTheHandlerThenClosesTheWindow) {
    BuildStandardWorld();
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(2);
    SelectRow(L"Other Tool");
    ASSERT_TRUE(NoStandInLeft());
    test::StandInSettings busy;
    ASSERT_TRUE(busy.Set(L"BusyMilliseconds", L"1500"));

    OutsideCloser closer{dlg_};
    HANDLE thread = CreateThread(nullptr, 0, &OutsideCloser::Run, &closer, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    Next();  // mode 2: switch Other Tool off
    JoinPumping(thread);
    CloseHandle(thread);

    EXPECT_TRUE(closer.sent);
    EXPECT_TRUE(closer.windowStayed) << "the window went while its handler was still running";
    EXPECT_FALSE(IsWindow(dlg_));
    EXPECT_EQ(top_.closed, 1);
    EXPECT_TRUE(top_.reports.empty()) << test::Narrow(top_.reports[0].operation);
    // The handler finished normally: Excel quit and wrote the add-in as switched off.
    EXPECT_TRUE(NoStandInLeft());
    for (const auto& [name, data] : Options()) EXPECT_EQ(data.find(L"oth.xla"), std::wstring::npos) << test::Narrow(name);
    EXPECT_EQ(Manager().count(OtherDir() + L"\\oth.xla"), 1u);
}

// A folder below OtherDir() with Japanese and emoji names, padded so that `file` in it makes a
// full name of exactly `units` UTF-16 units. Created, and given without a closing separator.
std::wstring MakeFolderForFullName(const std::wstring& base, const std::wstring& file, size_t units) {
    std::wstring folder = base + L"\\アドイン";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\\U0001F600\U0001F4C1";
    CreateDirectoryW(folder.c_str(), nullptr);
    const size_t used = excel::Utf16Length(folder) + 1 + file.size() + 1;
    if (units < used + 1) return std::wstring();
    folder += L"\\" + std::wstring(units - used, L'ツ');
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

TEST_F(E2eObstacles, InstallIntoJapaneseAndEmojiFoldersUpToExcelsLimit) {
    const std::wstring src = MakeXla(SrcDir(), L"絵文字.xla", L"Emoji Tool");
    Offer(src);
    Offer(src);
    const std::wstring within = MakeFolderForFullName(OtherDir(), L"絵文字.xla", 218);
    const std::wstring beyond = MakeFolderForFullName(OtherDir() + L"\\アドイン", L"絵文字.xla", 219);
    ASSERT_FALSE(within.empty());
    ASSERT_FALSE(beyond.empty());
    ASSERT_EQ(excel::Utf16Length(within + L"\\絵文字.xla"), 218u);
    ASSERT_EQ(excel::Utf16Length(beyond + L"\\絵文字.xla"), 219u);
    ASSERT_NO_FATAL_FAILURE(Open());
    const auto optionsBefore = Options();

    // Just beyond: refused, nothing copied, Excel not asked.
    SelectRow(0);
    SetWindowTextW(Item(IDC_CBXFOLDER), beyond.c_str());
    Next();
    ASSERT_TRUE(top_.reports.empty()) << test::Narrow(top_.reports[0].operation);
    ASSERT_EQ(msg_.shown.size(), 1u);
    EXPECT_EQ(msg_.shown[0].text, texts::kPathTooLong1 + beyond + L"\\絵文字.xla" + texts::kPathTooLong2);
    EXPECT_EQ(msg_.shown[0].flags, kMbCritical);
    EXPECT_FALSE(Exists(beyond + L"\\絵文字.xla"));
    EXPECT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Options(), optionsBefore);

    // Just within: copied, listed and switched on under that name.
    SelectRow(0);
    SetWindowTextW(Item(IDC_CBXFOLDER), within.c_str());
    Next();
    ASSERT_TRUE(top_.reports.empty()) << test::Narrow(top_.reports[0].operation);
    EXPECT_EQ(msg_.shown.size(), 1u);
    EXPECT_EQ(Text(IDC_LBLKEKKA), texts::kOpenQuote + std::wstring(L"Emoji Tool") + texts::kInstallDone);
    EXPECT_EQ(test::ReadAll(within + L"\\絵文字.xla"), test::ReadAll(src));
    EXPECT_EQ(SwitchedOn(Options()).count(L"/R \"" + within + L"\\絵文字.xla\""), 1u);
    EXPECT_TRUE(NoStandInLeft());
}

// ---- The wizard's own file operations beyond MAX_PATH ----

class LongPathFiles : public testing::Test {
protected:
    // `\\?\` only to set the scene; the file system under test gets plain paths.
    static std::wstring Raw(const std::wstring& p) { return L"\\\\?\\" + p; }
    void SetUp() override {
        deep_ = scratch_.Path() + L"\\アドイン\\\U0001F600";
        CreateDirectoryW((scratch_.Path() + L"\\アドイン").c_str(), nullptr);
        CreateDirectoryW(deep_.c_str(), nullptr);
        for (wchar_t c : std::wstring(L"あいう")) {
            deep_ += L"\\" + std::wstring(90, c);
            ASSERT_TRUE(CreateDirectoryW(Raw(deep_).c_str(), nullptr)) << GetLastError();
        }
        ASSERT_GT(deep_.size(), static_cast<size_t>(MAX_PATH));
    }
    void TearDown() override {
        for (const auto& f : made_) DeleteFileW(Raw(f).c_str());
        std::wstring d = deep_;
        while (d.size() > scratch_.Path().size()) {
            RemoveDirectoryW(Raw(d).c_str());
            d.resize(d.rfind(L'\\'));
        }
    }
    std::wstring Write(const std::wstring& path, const std::string& bytes) {
        made_.push_back(path);
        HANDLE h = CreateFileW(Raw(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return L"";
        DWORD n = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        CloseHandle(h);
        return path;
    }
    std::vector<std::wstring> Entries(const std::wstring& folder) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(Raw(folder + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            std::wstring n = fd.cFileName;
            if (n != L"." && n != L"..") names.push_back(n);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }

    test::ScratchFolder scratch_;
    std::wstring deep_;
    std::vector<std::wstring> made_;
    win32::Win32FileSystem fs_;
};

TEST_F(LongPathFiles, CopyReplaceExistsAndDeleteBeyondMaxPath) {
    const std::wstring shortSrc = scratch_.Write(L"src.xla", "version 1");
    const std::wstring longSrc = Write(deep_ + L"\\新版.xla", "version 2");
    const std::wstring dst = deep_ + L"\\ツール\U0001F600.xla";
    made_.push_back(dst);
    ASSERT_FALSE(longSrc.empty());

    fs_.CopyReplace(shortSrc, dst);
    EXPECT_TRUE(fs_.FileExists(dst));
    EXPECT_FALSE(fs_.FileMissing(dst));
    EXPECT_EQ(test::ReadAll(Raw(dst)), "version 1");
    // The replace from a source beyond MAX_PATH, through a temporary file named beside it.
    fs_.CopyReplace(longSrc, dst);
    EXPECT_EQ(test::ReadAll(Raw(dst)), "version 2");
    auto names = Entries(deep_);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"ツール\U0001F600.xla", L"新版.xla"})) << "no temporary file left";
    EXPECT_EQ(fs_.ListFiles(deep_, L"*.xla").size(), 2u);

    fs_.Delete(dst);
    EXPECT_FALSE(fs_.FileExists(dst));
    EXPECT_TRUE(fs_.FileMissing(dst));
}

TEST_F(LongPathFiles, ProbesChangeNothingAndTellSharingFromRights) {
    const std::wstring file = Write(deep_ + L"\\a.xla", "x");
    EXPECT_EQ(fs_.ProbeCreate(deep_ + L"\\"), Access::Granted);
    EXPECT_EQ(fs_.ProbeCreate(scratch_.Path()), Access::Granted);
    EXPECT_EQ(fs_.ProbeCreate(deep_ + L"\\missing\\"), Access::Other);
    EXPECT_EQ(Entries(deep_), std::vector<std::wstring>{L"a.xla"}) << "the probe file is gone again";

    EXPECT_EQ(fs_.ProbeDelete(file), Access::Granted);
    EXPECT_TRUE(fs_.FileExists(file));
    EXPECT_EQ(fs_.ProbeDelete(deep_ + L"\\missing.xla"), Access::Other);
    // Held as Excel holds an open workbook: read sharing only. A sharing violation, not a want of rights.
    HANDLE held = CreateFileW(Raw(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(fs_.ProbeDelete(file), Access::Other);
    CloseHandle(held);
}

}  // namespace
}  // namespace qv::e2e
