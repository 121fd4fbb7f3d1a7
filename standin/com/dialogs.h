#pragma once
// Excel's GetOpenFilename and GetSaveAsFilename: the Windows common dialogs, or the scripted
// answers under HKCU\Software\ExcelStandIn\Answers when that key holds one (it is consumed).
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qv::standin::com {

// The chosen full paths; nullopt on Cancel. `excelFilter` is Excel's "text,pattern,…" form.
std::optional<std::vector<std::wstring>> AskOpenFilenames(HWND owner, const std::wstring& excelFilter,
                                                          const std::wstring& title, bool multiSelect);
// The chosen full path; nullopt on Cancel. Nothing is saved.
std::optional<std::wstring> AskSaveAsFilename(HWND owner, const std::wstring& initial,
                                              const std::wstring& excelFilter, const std::wstring& title);

}  // namespace qv::standin::com
