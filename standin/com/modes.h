#pragma once
// The ways the stand-in runs.
#include <string>
#include <vector>

namespace qv::standin::com {

// Started by COM (-Embedding): serves one instance of Excel.Application, then ends.
int RunAutomationServer();
// Started by hand: the user's own Excel, in the running object table until told to Quit. `busy`:
// every call is rejected, as while a cell is being edited, until its window is closed.
int RunUsersExcel(bool hidden, bool busy, const std::vector<std::wstring>& workbookNames);
// Prints the add-in list and the registry values behind it.
int PrintList();

}  // namespace qv::standin::com
