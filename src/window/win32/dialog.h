#pragma once
// The main window fm_tarnwick: the dialog resource IDD_MAIN driven by the portable handlers.
#include <windows.h>

#include "startup/state.h"
#include "window/wizard.h"
#include "window/win32/top_level.h"

namespace qv::win32 {

// Creates the modeless, still hidden main dialog. Its load runs the window's load handler,
// puts the focus on the first mode button and runs that mode once. Returns null when the
// window could not be created or a failure during its load has already ended it.
// `svc`, `st` and `top` must outlive the window.
HWND CreateMainDialog(HINSTANCE instance, WindowServices& svc, SharedState& st, TopLevel& top);

// The tool tip window of a main dialog (for tests), or null.
HWND MainDialogToolTip(HWND dialog);

// True while a handler of the dialog shows the busy cursor: it works, and no message box of
// its own waits for the user.
bool MainDialogBusy(HWND dialog);

}  // namespace qv::win32
