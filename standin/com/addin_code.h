#pragma once
// An add-in's own code that shows a window, as a VBA MsgBox in Workbook_Open, AddinInstall or
// AddinUninstall does: for the files named in ModalFiles, a modal box titled "Microsoft Excel",
// owned by the instance's hidden XLMAIN window, inside the call that ran the code. Meanwhile
// the box's own message loop serves the process, so calls may come in re-entrantly, as in Excel.
#include <string>

#include "com/host.h"

namespace qv::standin::com {

// Shows the box when `path` is one of the ModalFiles and returns once it is closed: by OK, by
// WM_CLOSE, or by itself after ModalMilliseconds (when not 0). Does nothing for other files.
void RunAddinCode(Host& host, const std::wstring& path, const wchar_t* procedure);

// Shows a modal box titled "Microsoft Excel", owned by `owner` (the XLMAIN window), and returns once
// it is closed: by OK, by WM_CLOSE, or by itself after `closeAfterMs` (when not 0).
void ShowExcelBox(HWND owner, const std::wstring& text, unsigned long closeAfterMs);

}  // namespace qv::standin::com
