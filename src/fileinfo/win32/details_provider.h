#pragma once
// The details provider of the Windows program.
#include <memory>

#include "fileinfo/details.h"

namespace qv::win32 {

// Asks Shell.Application first; where the shell cannot give details (GetDetailsOf fails, as
// under Wine, or the shell object cannot be created) it reads the file's own summary property
// set and presents it under the Japanese details-view headers. Open throws qv::Failure when
// the folder or the file cannot be opened.
std::unique_ptr<DetailsProvider> MakeDetailsProvider();

}  // namespace qv::win32
