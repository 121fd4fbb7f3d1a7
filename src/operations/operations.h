#pragma once
// The steps behind "次へ": the install, the switch and removal steps, the Add-in Manager
// clean-up, and the small path rules they share.
#include <memory>
#include <string>

#include "excel/excel.h"
#include "window/wizard.h"

namespace qv {

// Mode 0: copy the selected file into the target folder and leave it listed and switched on.
// Order: switch the old version off, copy, find by Name or add through a temporary workbook,
// switch on. A failed copy switches the old version back on before the failure leaves.
// Returns false, with nothing changed, when the checks before its first step refuse the
// destination (too long a name for Excel, or a folder that needs administrator rights); the
// user has been told why.
bool InstallAddin(Context& c);

// Modes 1 to 5. Each acts on the add-in behind the selected row (its full name) and quits its
// Excel instance. The removals then wait for every Excel the wizard quit to end, and only then
// delete a file or a registry value; when one does not end in time they say so, delete
// nothing and return false.
void SetAddinInstalled(Context& c, bool blnON);
// The two complete removals first check that the file can be deleted; they return false, with
// nothing changed, when that needs administrator rights (the user has been told).
bool RemoveActiveAddin(Context& c);
bool RemoveInactiveAddin(Context& c);
bool TidyMissingAddin(Context& c);

// Deletes the value named `fullName` from the current user's Add-in Manager key of the
// Excel version in the shared state. The key is only opened; a missing key or value is no failure.
void DeleteAddinManagerValue(Context& c, const std::wstring& fullName);
// "Software\Microsoft\Office\<version>.0\Excel\Add-in Manager"
std::wstring AddinManagerKey(int excelVersion);

// The add-in of `app`'s list whose full name is exactly `fullName`, found by walking the
// list in order. Throws Failure when none has it.
std::unique_ptr<excel::AddIn> FindAddinByFullName(excel::Application& app, const std::wstring& fullName);
// Full name of the add-in behind the selected row (udtADDINROW of its item data).
std::wstring SelectedAddinFullName(Context& c);

// folder + "\" + name, without doubling a "\" that ends the folder.
std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name);
// The text before the last "\" (empty when there is none).
std::wstring FolderPart(const std::wstring& path);
// Exactly (case-sensitively) one of Excel's two add-in folders. An empty user folder
// (Excel 97 has none) matches nothing.
bool IsDefaultFolder(const SharedState& st, const std::wstring& folder);

// The install's target folder: the old version's folder when there is one, else the chosen one.
std::wstring InstallFolder(Context& c);
// "X:\..." with a drive letter, or "\\server\share[\...]".
bool IsFullFolderPath(const std::wstring& folder);
// True when the target folder is an existing folder given as a full path; otherwise shows
// why and returns false.
bool CheckInstallFolder(Context& c);

// The checks made before any Excel step, so that an ordinary obstacle is met while nothing has
// changed yet. Each shows why and returns false when it refuses.
// The install's destination `fullName` in `folder` (as the window shows it): Excel must be able
// to open that name, and, when `copies`, the folder must take a new file and an old file there
// must be replaceable.
bool CheckInstallTarget(Context& c, const std::wstring& folder, const std::wstring& fullName, bool copies);
// The add-in file `fullName` can be deleted.
bool CheckRemovable(Context& c, const std::wstring& fullName);

// Mode 6: puts `path` on the clipboard, retrying while another program holds the clipboard;
// when it stays busy, shows the path in a message box instead. Never ends the program over it.
void CopyPathToClipboard(Context& c, const std::wstring& path);
inline constexpr int kClipboardTries = 10;
inline constexpr int kClipboardPauseMs = 50;

}  // namespace qv
