#pragma once
// The ways the stand-in runs.
#include <string>
#include <vector>

namespace qv::standin::com {

// Started by COM (-Embedding): serves one instance of Excel.Application, then ends.
int RunAutomationServer();
// Started by hand: the user's own Excel, in the running object table until told to Quit. `busy`:
// every call is rejected, as while a cell is being edited, until its window is closed.
// `unregistered`: just opened, its window not yet out of focus, so not yet in the table (Excel
// registers only then); its XLMAIN window is on the screen.
int RunUsersExcel(bool hidden, bool busy, bool unregistered, const std::vector<std::wstring>& workbookNames);
// Prints the add-in list and the registry values behind it.
int PrintList();

}  // namespace qv::standin::com
