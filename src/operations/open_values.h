#pragma once
// How Excel's OPEN, OPEN1, OPEN2… values (under ...\Excel\Options) name the add-ins it
// switches on: a full path, perhaps quoted and after switches ("/R "C:\x.xla""), or a bare
// file name for a file in one of its two default folders.
#include <string>
#include <vector>

#include "excel/facts.h"
#include "platform/services.h"

namespace qv {

// "OPEN", "OPEN1", "OPEN2"…, in any letter case.
bool IsOpenValueName(const std::wstring& name);

// The file an OPEN value names: its switches ("/R", "/A"…) and the quotes taken off. A full
// path, or a bare file name.
std::wstring OpenValueFile(const std::wstring& data);

// Whether one of the OPEN values among `values` names the add-in `fullName`: by its full path
// (letter case ignored), or by its bare file name when it lies in one of Excel's default folders.
bool OpenValuesName(const std::vector<RegValue>& values, const excel::Facts& facts, const std::wstring& fullName);

}  // namespace qv
