#pragma once
// Text conversions between Excel's file-dialog arguments and the Windows common dialogs.
#include <string>
#include <vector>

namespace qv::standin {

// Excel's filter "Add-ins (*.xla),*.xla,All files (*.*),*.*" (description,pattern pairs
// separated by commas) as the common dialog's filter: each text ends with NUL and the list with
// a second NUL. An empty filter means "All Files (*.*)".
std::wstring DialogFilter(const std::wstring& excelFilter);

// The common dialog's answer with multiple selection (explorer style): either one full path,
// or the folder followed by the file names, each ended by NUL. Gives the full paths in order.
std::vector<std::wstring> SelectedPaths(const std::wstring& buffer);

}  // namespace qv::standin
