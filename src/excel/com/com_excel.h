#pragma once
// The Excel boundary over COM automation: Excel (or the stand-in) reached late-bound
// through IDispatch. The caller initialises COM on its thread.
#include <functional>
#include <memory>

#include "excel/excel.h"

namespace qv::excel::com {

// How the launcher waits for its instances, and what it does about a call that does not return:
// an add-in's own code may show a window inside the invisible Excel, and the call then waits
// for an answer nobody sees.
struct LauncherOptions {
    // How long Create() waits for the earlier instances to end.
    int exitWaitMs = kExcelExitWaitMs;
    // After this long without a return, the visible windows of that Excel's process come to the front.
    int frontAfterMs = 3000;
    // After this long without a return, `keepWaiting` is asked, on the watchdog's own thread.
    int askAfterMs = 120000;
    // True: wait on (and ask again after another askAfterMs). False: end that instance's process,
    // so that the pending call fails. Empty: never ask.
    std::function<bool(unsigned long processId)> keepWaiting;
};

std::unique_ptr<Launcher> MakeLauncher(LauncherOptions options = {});

}  // namespace qv::excel::com
