// quorvel.exe itself against the Excel stand-in: start-up refusals answered from outside,
// as a user would, by finding the message box by its title and pressing its button.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "window/texts.h"
#include "wine_env.h"

namespace {

using qv::test::Process;
constexpr DWORD kWaitMs = 30000;
constexpr int kMessageTextId = 0xFFFF;  // the text of a message box

bool NoStandIn() { return qv::test::WaitForStandInCount(0, kWaitMs); }

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

class Smoke : public testing::Test {
protected:
    void SetUp() override {
        bin = qv::test::BinDir();
        ASSERT_NE(GetFileAttributesW((bin + L"\\quorvel.exe").c_str()), INVALID_FILE_ATTRIBUTES) << "no quorvel.exe";
        ASSERT_TRUE(NoStandIn()) << "a stand-in from before is still running";
    }
    // Whatever a failed test left behind goes, so that the Wine server can stop.
    void TearDown() override { qv::test::EndLeftoverStandIns(); }
    std::wstring bin;
    qv::test::StandInSettings settings;
};

// The user's Excel runs (visible, Book1.xls open): the wizard refuses, tells that Excel
// to quit and ends without showing its window.
TEST_F(Smoke, RunningExcelIsRefusedAndToldToQuit) {
    Process standIn(bin + L"\\excel-standin.exe", L"/running Book1.xls");
    ASSERT_TRUE(standIn.Started());
    {
        HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const bool registered = qv::test::WaitForRunningExcel(kWaitMs);
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

    EXPECT_EQ(wizard.Wait(kWaitMs), std::optional<DWORD>(0));
    EXPECT_TRUE(standIn.Ended(kWaitMs)) << "the running stand-in was not told to quit";
    EXPECT_TRUE(NoStandIn());
}

// A hidden Excel with an open workbook may be another program's, with alerts off: the wizard shows
// it and tells about it, but does not tell it to quit, so it still runs after the wizard has ended.
TEST_F(Smoke, HiddenExcelWithAWorkbookIsShownButNotToldToQuit) {
    Process standIn(bin + L"\\excel-standin.exe", L"/running /hidden Report.xls");
    ASSERT_TRUE(standIn.Started());
    {
        HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const bool registered = qv::test::WaitForRunningExcel(kWaitMs);
        if (SUCCEEDED(init)) CoUninitialize();
        ASSERT_TRUE(registered) << "the stand-in never registered as the running Excel";
    }

    Process wizard(bin + L"\\quorvel.exe", L"");
    ASSERT_TRUE(wizard.Started());
    HWND box = FindMessageBox(wizard.Id());
    ASSERT_NE(box, nullptr) << "no message box titled Quorvel SP";
    EXPECT_EQ(MessageText(box), std::wstring(qv::texts::kExcelRunningHidden) + L"\n" + qv::texts::kOpenFilesAre + L"\n" +
                                    qv::texts::kWorkbookIndent + L"Report.xls\n" + qv::texts::kOpenFilesEnd + L"\n\n" +
                                    qv::texts::kPleaseQuitExcel);
    PressButton(box, IDOK);
    EXPECT_EQ(wizard.Wait(kWaitMs), std::optional<DWORD>(0));
    EXPECT_FALSE(standIn.Ended(3000)) << "the hidden Excel was told to quit";
    // It was made visible: its status window shows.
    bool shown = false;
    std::pair<DWORD, bool*> search(standIn.Id(), &shown);
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<std::pair<DWORD, bool*>*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid == s->first && IsWindowVisible(h)) *s->second = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    EXPECT_TRUE(shown) << "the hidden Excel was not made visible";
}

// Excel 2007 asks whether to go on; Enter takes the default answer, No, and the wizard
// ends with no Excel left behind.
TEST_F(Smoke, UnsupportedVersionAnsweredWithEnterEnds) {
    ASSERT_TRUE(settings.Set(L"Version", L"12.0"));
    Process wizard(bin + L"\\quorvel.exe", L"");
    ASSERT_TRUE(wizard.Started());
    HWND box = FindMessageBox(wizard.Id());
    ASSERT_NE(box, nullptr) << "no message box titled Quorvel SP";
    EXPECT_EQ(MessageText(box), qv::texts::kVersionQuestion);
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);

    EXPECT_EQ(wizard.Wait(kWaitMs), std::optional<DWORD>(0));
    EXPECT_TRUE(NoStandIn()) << "a stand-in outlived the wizard";
}

}  // namespace
