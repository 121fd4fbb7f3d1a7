#pragma once
// The details provider of the Windows program.
#include <memory>

#include "fileinfo/details.h"

namespace qv::win32 {

// Reads the file's own summary property set first and presents it under the Japanese
// details-view headers; asks Shell.Application only for a file without one. Open throws
// qv::Failure when the folder or the file cannot be opened.
std::unique_ptr<DetailsProvider> MakeDetailsProvider();

}  // namespace qv::win32
