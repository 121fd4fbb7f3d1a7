#pragma once
#include <string>

namespace qv::standin::com {

// Registers this exe as the local server of "Excel.Application" under HKLM\Software\Classes.
// Returns false and sets `error` when a key cannot be written.
bool RegisterServer(std::wstring& error);

}  // namespace qv::standin::com
