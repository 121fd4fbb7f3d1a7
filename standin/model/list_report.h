#pragma once
// The text of `excel-standin.exe /list`: one line per add-in in enumeration order,
// "Name|FullName|Title|Path|Installed" with Installed written True or False; then the
// Options values OPEN… under "[Options]" and the Add-in Manager values under "[Add-in Manager]",
// each as name=data.
#include <string>
#include <vector>

#include "model/addin_manager.h"

namespace qv::standin {

std::vector<std::wstring> ListReport(const AddinManager& addins, Registry& reg);

}  // namespace qv::standin
