#pragma once
// The wizard's refusal while the user's own Excel is running.
#include <memory>

#include "excel/excel.h"
#include "startup/startup.h"

namespace qv {

// Makes a hidden instance visible, tells the user which workbooks are open and asks them to
// quit Excel, then tells the instance to quit and releases it. A hidden instance with open
// workbooks is not told to quit: it is only shown and released. Every call on the instance may
// fail on its own: the failing call is skipped and the rest still happens.
void RefuseRunningExcel(StartupDialogue& ui, std::unique_ptr<excel::Application> running);

}  // namespace qv
