#pragma once
// Learning the process of a new Excel without calling it: Excel may be modal before it answers
// (a first-run notice, a licence prompt), and a call would then only wait. The processes whose
// image is the registered local server of "Excel.Application" are listed before the creation and
// compared with those running meanwhile and after it.
#include <windows.h>

#include <string>
#include <vector>

namespace qv::excel::com {

// The file name of the local server registered for `clsid` (for Excel, "EXCEL.EXE"); empty when
// none is registered.
std::wstring LocalServerImage(const CLSID& clsid);

// The ids of the running processes whose image has the file name `image` (letter case ignored).
std::vector<DWORD> ProcessesOf(const std::wstring& image);

// The one process of `image` that is not in `before`; 0 when there is none or more than one.
DWORD OneNewProcess(const std::wstring& image, const std::vector<DWORD>& before);

}  // namespace qv::excel::com
