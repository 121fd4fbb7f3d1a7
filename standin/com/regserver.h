#pragma once
#include <string>

namespace qv::standin::com {

// Registers this exe as the local server of "Excel.Application" under HKLM\Software\Classes,
// with the version (CurVer) and the installation folder (InstallRoot) Office registers beside it:
// under HKLM\SOFTWARE, or in Click-to-Run's hive when the InstallLayout setting says so (the
// other layout's InstallRoot key is deleted).
// Returns false and sets `error` when a key cannot be written.
bool RegisterServer(std::wstring& error);

}  // namespace qv::standin::com
