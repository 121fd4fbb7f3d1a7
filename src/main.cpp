// quorvel.exe: start-up checks, then the main window and its message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <utility>

#include "excel/com/com_excel.h"
#include "excel/com/patience.h"
#include "platform/win32/platform.h"
#include "startup/startup.h"
#include "startup/win32/win32_services.h"

#include "platform/win32/handles.h"
#include "window/failure_report.h"
#include "window/steps.h"
#include "window/not_responding.h"
#include "window/win32/dialog.h"
#include "window/win32/top_level.h"

namespace {

// Per-monitor DPI awareness where the system has it; the manifest asks for the same, and
// older systems simply keep what the manifest gave.
void EnablePerMonitorDpi() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return;
    FARPROC proc = GetProcAddress(user32, "SetProcessDpiAwarenessContext");
    if (!proc) return;
    SetContext set;
    static_assert(sizeof set == sizeof proc);
    memcpy(&set, &proc, sizeof set);
    set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
}

int MessageLoop(HWND dialog) {
    MSG msg;
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        if (IsWindow(dialog) && IsDialogMessageW(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Everything the program uses lives here, so that it goes (and any Excel instance a
// handler still holds is told to quit) before COM is shut down.
int Run(HINSTANCE instance, int show, qv::win32::MessageBoxTopLevel& top) {
    qv::win32::Win32MessageBoxes msg;
    qv::win32::Win32Clipboard clip;
    qv::win32::Win32Shell shell;
    qv::win32::Win32BusyCursor busy;
    qv::excel::com::LauncherOptions options;
    options.keepWaiting = [&msg](unsigned long) { return qv::AskToKeepWaitingForExcel(msg); };
    qv::win32::Win32Services world(std::move(options));
    qv::WindowServices svc{world.Core(), msg, clip, shell, busy};
    auto awaitExcel = [&] { world.AwaitExcel(); };
    qv::SharedState st;

    qv::WizardStartup dialogue(msg);
    if (qv::Main(svc, st, dialogue) != qv::StartupOutcome::ShowWindow) {
        awaitExcel();
        return 0;
    }

    HWND dialog = qv::win32::CreateMainDialog(instance, svc, st, top);
    if (!dialog) {
        // A close request during the window's load ends the program quietly.
        if (!top.Reported() && !top.Closed())
            top.ReportAndExit(nullptr, {L"", L"", static_cast<long>(HRESULT_FROM_WIN32(GetLastError()))});
        awaitExcel();
        return top.ExitCode();
    }
    msg.SetOwner(dialog);
    clip.SetOwner(dialog);
    shell.SetOwner(dialog);
    ShowWindow(dialog, show);
    int code = MessageLoop(dialog);
    // The window shows nothing while the program waits for its Excel.
    if (IsWindow(dialog)) ShowWindow(dialog, SW_HIDE);
    awaitExcel();
    if (IsWindow(dialog)) DestroyWindow(dialog);
    return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    // Every later load, ours or a system DLL's, searches System32 only, never the folder the
    // program was started from (a user's Downloads). DLLs that the loader resolved before this
    // line, the few allowed imports and their own (such as COMCTL32's), are beyond its reach.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    EnablePerMonitorDpi();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    qv::win32::ComInit com;
    qv::excel::com::RetryingMessageFilter retry;
    qv::win32::MessageBoxTopLevel top;
    try {
        return Run(instance, show, top);
    } catch (...) {
        top.ReportAndExit(nullptr, qv::DescribeCurrentException());
        return top.ExitCode();
    }
}
