#pragma once
// The question asked when a call to the program's own Excel has not returned for a long time.
#include "platform/services.h"

namespace qv {

// Asked on the watchdog's thread, so the box has no owner while the window's thread waits in the
// call. It comes to the front and stays above Excel's window, which the watchdog has just brought
// forward. True: wait on; false: end that Excel.
bool AskToKeepWaitingForExcel(MessageBoxes& msg);

}  // namespace qv
