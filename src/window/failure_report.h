#pragma once
// The report the top level shows when a failure ends the program.
#include <string>

#include "platform/failure_info.h"

namespace qv {

// The message box text: the header, an empty line, then one line each for the operation,
// the detail and the code (hexadecimal), leaving out the ones that are empty.
std::wstring FailureReportText(const FailureInfo& f);

}  // namespace qv
