#pragma once
// A file's details as the Windows shell shows them in its details view, read through the
// automation object Shell.Application (Folder.GetDetailsOf).
#include <memory>
#include <string>

#include "fileinfo/details.h"

namespace qv::win32 {

// The shell's details of `fileName` in `folder`. Null when the shell cannot give details
// here at all (no Shell.Application, or GetDetailsOf unimplemented, as under Wine). Throws
// qv::Failure when the shell says the folder or the file does not exist.
std::unique_ptr<FileDetails> OpenShellDetails(const std::wstring& folder, const std::wstring& fileName);

}  // namespace qv::win32
