#pragma once
// The refusal while the user's own Excel is running.
#include <memory>

#include "excel/excel.h"
#include "window/wizard.h"

namespace qv {

// The user's running Excel, or nullptr when none runs or the probe itself fails.
std::unique_ptr<excel::Application> AttachRunningExcel(excel::Launcher& launcher);

// Makes a hidden instance visible, tells the user which workbooks are open and asks them to
// quit Excel, then tells the instance to quit and releases it. Every call on the instance may
// fail on its own: the failing call is skipped and the rest still happens.
void RefuseRunningExcel(Services& svc, std::unique_ptr<excel::Application> running);

}  // namespace qv
