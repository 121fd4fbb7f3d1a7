// quorvel.exe itself against the Excel stand-in: start-up refusals answered from outside,
// as a user would, by finding the message box by its title and pressing its button.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "control_probe.h"
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
    return qv::test::WaitForTitledWindow(pid, qv::texts::kAppTitle, kWaitMs, [](HWND h) {
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        return lstrcmpW(cls, L"#32770") == 0 && GetDlgItem(h, kMessageTextId) != nullptr;
    });
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

// The user's Excel runs: the wizard refuses with its open workbooks and ends without showing its
// window. A visible Excel is told to quit. A hidden one with an open workbook may be another
// program's, with alerts off: it is made visible and told about, but not told to quit, so it
// still runs after the wizard has ended.
TEST_F(Smoke, RunningExcelIsRefused) {
    struct Case {
        const wchar_t* args;
        const wchar_t* lead;
        const wchar_t* workbook;
        bool toldToQuit;
    };
    const Case cases[] = {
        {L"/running Book1.xls", qv::texts::kExcelRunning, L"Book1.xls", true},
        {L"/running /hidden Report.xls", qv::texts::kExcelRunningHidden, L"Report.xls", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qv::test::Narrow(c.args));
        Process standIn(bin + L"\\excel-standin.exe", c.args);
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
        EXPECT_EQ(MessageText(box), std::wstring(c.lead) + L"\n" + qv::texts::kOpenFilesAre + L"\n" +
                                        qv::texts::kWorkbookIndent + c.workbook + L"\n" + qv::texts::kOpenFilesEnd +
                                        L"\n\n" + qv::texts::kPleaseQuitExcel);
        EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
        EXPECT_EQ(GetDlgItem(box, IDNO), nullptr);
        PressButton(box, IDOK);
        EXPECT_EQ(wizard.Wait(kWaitMs), std::optional<DWORD>(0));

        if (c.toldToQuit) {
            EXPECT_TRUE(standIn.Ended(kWaitMs)) << "the running stand-in was not told to quit";
            EXPECT_TRUE(NoStandIn());
            continue;
        }
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
