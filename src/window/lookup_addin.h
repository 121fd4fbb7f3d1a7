#pragma once
// Look-ups in Excel's add-in list, each with an Excel instance of its own.
#include <string>

#include "window/wizard.h"

namespace qv {

// Sets strADDINPATH and strADDINTITLE to the folder and title of the first listed add-in
// whose Name is `name` (exact case) and whose file exists; both empty when there is none.
// The instance is told to quit.
void LookupAddinByName(Context& c, const std::wstring& name);

// True when a listed add-in carries `title` (exact case) under a file name other than the
// selected row's text. The instance is released without Quit.
bool IsTitleUsedByOtherAddin(Context& c, const std::wstring& title);

}  // namespace qv
