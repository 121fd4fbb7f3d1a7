// quorvel.exe itself against the Excel stand-in: start-up refusals answered from outside,
// as a user would, by finding the message box by its title and pressing its button.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "window/texts.h"

namespace {

constexpr DWORD kWaitMs = 30000;
constexpr int kMessageTextId = 0xFFFF;  // the text of a message box

// The folder of the built programs: QV_BIN_DIR (a Linux path under Wine) or this exe's own.
std::wstring BinDir() {
    if (const char* env = std::getenv("QV_BIN_DIR"); env && *env) {
        std::wstring d;
        for (const char* p = env; *p; ++p) d.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p)));
        if (env[0] == '/') d = L"Z:" + d;
        while (!d.empty() && d.back() == L'\\') d.pop_back();
        return d;
    }
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring d = exe;
    return d.substr(0, d.rfind(L'\\'));
}

std::vector<DWORD> StandInProcesses() {
    std::vector<DWORD> ids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
        if (lstrcmpiW(e.szExeFile, L"excel-standin.exe") == 0) ids.push_back(e.th32ProcessID);
    CloseHandle(snap);
    return ids;
}

bool WaitUntil(bool (*done)(), DWORD ms = kWaitMs) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        if (done()) return true;
        Sleep(100);
    }
    return done();
}

bool NoStandIn() { return StandInProcesses().empty(); }

// A process this test started; ended by its id if the test leaves it running.
class Process {
public:
    Process(const std::wstring& exe, const std::wstring& args) {
        std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != FALSE;
    }
    ~Process() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi_.hProcess, 99);
            WaitForSingleObject(pi_.hProcess, 5000);
        }
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool Started() const { return started_; }
    DWORD Id() const { return pi_.dwProcessId; }
    // The exit code, or nullopt while it still runs after `ms`.
    std::optional<DWORD> Wait(DWORD ms = kWaitMs) {
        if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

// The message box titled "Quorvel SP" that process `pid` shows, polled for up to 30 s.
// The main window has the same class and title, but no message text control.
HWND FindMessageBox(DWORD pid) {
    struct Search {
        DWORD pid;
        HWND found;
    };
    for (DWORD waited = 0; waited <= kWaitMs; waited += 100) {
        Search s{pid, nullptr};
        EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD owner = 0;
                GetWindowThreadProcessId(h, &owner);
                wchar_t cls[64] = {}, title[64] = {};
                GetClassNameW(h, cls, 64);
                GetWindowTextW(h, title, 64);
                if (owner == s->pid && lstrcmpW(cls, L"#32770") == 0 && lstrcmpW(title, qv::texts::kAppTitle) == 0 &&
                    GetDlgItem(h, kMessageTextId) && IsWindowVisible(h)) {
                    s->found = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        Sleep(100);
    }
    return nullptr;
}

std::wstring MessageText(HWND box) {
    wchar_t buf[2048] = {};
    GetWindowTextW(GetDlgItem(box, kMessageTextId), buf, 2048);
    return buf;
}

void PressButton(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

// HKCU\Software\ExcelStandIn\Version for the test's duration.
class ScopedStandInVersion {
public:
    explicit ScopedStandInVersion(const std::wstring& version) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\ExcelStandIn", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr);
        wchar_t buf[64] = {};
        DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(key_, L"Version", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            old_ = buf;
        Write(version);
    }
    ~ScopedStandInVersion() {
        if (old_) Write(*old_);
        else RegDeleteValueW(key_, L"Version");
        RegCloseKey(key_);
    }

private:
    void Write(const std::wstring& v) {
        RegSetValueExW(key_, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    }
    HKEY key_ = nullptr;
    std::optional<std::wstring> old_;
};

class Smoke : public testing::Test {
protected:
    void SetUp() override {
        bin = BinDir();
        ASSERT_NE(GetFileAttributesW((bin + L"\\quorvel.exe").c_str()), INVALID_FILE_ATTRIBUTES) << "no quorvel.exe";
        ASSERT_TRUE(WaitUntil(NoStandIn)) << "a stand-in from before is still running";
    }
    void TearDown() override {
        // Whatever a failed test left behind goes, so that the Wine server can stop.
        for (DWORD id : StandInProcesses()) {
            if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
                TerminateProcess(h, 99);
                WaitForSingleObject(h, 5000);
                CloseHandle(h);
            }
        }
    }
    std::wstring bin;
};

// The user's Excel runs (visible, Book1.xls open): the wizard refuses, tells that Excel
// to quit and ends without showing its window.
TEST_F(Smoke, RunningExcelIsRefusedAndToldToQuit) {
    Process standIn(bin + L"\\excel-standin.exe", L"/running Book1.xls");
    ASSERT_TRUE(standIn.Started());
    {
        HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(L"Excel.Application", &clsid), S_OK);
        bool registered = false;
        for (DWORD waited = 0; waited < kWaitMs && !registered; waited += 100) {
            IUnknown* unk = nullptr;
            if (SUCCEEDED(GetActiveObject(clsid, nullptr, &unk)) && unk) {
                unk->Release();
                registered = true;
            } else {
                Sleep(100);
            }
        }
        if (SUCCEEDED(init)) CoUninitialize();
        ASSERT_TRUE(registered) << "the stand-in never registered as the running Excel";
    }

    Process wizard(bin + L"\\quorvel.exe", L"");
    ASSERT_TRUE(wizard.Started());
    HWND box = FindMessageBox(wizard.Id());
    ASSERT_NE(box, nullptr) << "no message box titled Quorvel SP";
    const std::wstring expected = std::wstring(qv::texts::kExcelRunning) + L"\n" + qv::texts::kOpenFilesAre + L"\n" +
                                  qv::texts::kWorkbookIndent + L"Book1.xls\n" + qv::texts::kOpenFilesEnd + L"\n\n" +
                                  qv::texts::kPleaseQuitExcel;
    EXPECT_EQ(MessageText(box), expected);
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDNO), nullptr);
    PressButton(box, IDOK);

    EXPECT_EQ(wizard.Wait(), std::optional<DWORD>(0));
    EXPECT_TRUE(standIn.Wait().has_value()) << "the running stand-in was not told to quit";
    EXPECT_TRUE(WaitUntil(NoStandIn));
}

// Excel 2007 asks whether to go on; Enter takes the default answer, No, and the wizard
// ends with no Excel left behind.
TEST_F(Smoke, UnsupportedVersionAnsweredWithEnterEnds) {
    ScopedStandInVersion version(L"12.0");
    Process wizard(bin + L"\\quorvel.exe", L"");
    ASSERT_TRUE(wizard.Started());
    HWND box = FindMessageBox(wizard.Id());
    ASSERT_NE(box, nullptr) << "no message box titled Quorvel SP";
    EXPECT_EQ(MessageText(box), qv::texts::kVersionQuestion);
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);

    EXPECT_EQ(wizard.Wait(), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitUntil(NoStandIn)) << "a stand-in outlived the wizard";
}

}  // namespace
