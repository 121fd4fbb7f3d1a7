// The 操作説明 button with the program's real folder: the manual that the build writes beside
// the programs is exactly the file handed to the shell.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../native/fakes.h"
#include "platform/win32/platform.h"
#include "wine_env.h"
#include "window/win32/dialog.h"
#include "window/win32/resource.h"
#include "window/win32/top_level.h"

namespace {

class CountingTopLevel : public qv::win32::TopLevel {
public:
    int reports = 0;
    void ReportAndExit(HWND, const qv::FailureInfo&) override { ++reports; }
    void WindowClosed() override {}
};

TEST(ManualBesideExe, ButtonHandsTheBuiltManualToTheShell) {
    const std::wstring folder = qv::test::BinDir();
    const std::wstring manual = folder + L"\\操作説明.pdf";
    ASSERT_NE(GetFileAttributesW((folder + L"\\quorvel.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    bool read = false;
    std::string pdf = qv::test::ReadAll(manual, &read);
    ASSERT_TRUE(read) << "no manual beside quorvel.exe: " << qv::test::Narrow(manual);
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    qv::fake::World w;
    qv::win32::Win32SystemInfo sys;  // the real program folder; everything else is faked
    qv::WindowServices svc{{w.launcher, w.fs, w.reg, w.drives, w.details, sys, w.accounts}, w.msg, w.clip, w.shell, w.busy};
    CountingTopLevel top;
    HWND dlg = qv::win32::CreateMainDialog(GetModuleHandleW(nullptr), svc, w.st, top);
    ASSERT_NE(dlg, nullptr);
    SendMessageW(GetDlgItem(dlg, IDC_CMDMANUAL), BM_CLICK, 0, 0);
    EXPECT_EQ(w.shell.opened, std::vector<std::wstring>{manual});
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_EQ(top.reports, 0);
    EXPECT_TRUE(w.msg.shown.empty());
    DestroyWindow(dlg);
}

}  // namespace
