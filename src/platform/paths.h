#pragma once
// Windows path rules, in one place for the wizard, the console program and the stand-in.
// Paths are text here: nothing is asked of the file system.
#include <string>

namespace qv::paths {

// The text after the last "\" (the whole text when there is none).
std::wstring FileNamePart(const std::wstring& path);
// The text before the last "\" (empty when there is none).
std::wstring FolderPart(const std::wstring& path);
// folder + "\" + name, without doubling a "\" that ends the folder.
std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name);
// "\\server\..." : a network path.
bool IsNetworkPath(const std::wstring& path);
// "C:" alone: a drive's root as Excel gives a folder, without its separator.
bool IsBareDrive(const std::wstring& folder);
// A bare drive gets its "\" back, so that it names the root ("C:" gives "C:\"); else unchanged.
std::wstring WithRootSeparator(const std::wstring& folder);
// "X:\..." with a drive letter, or "\\server\share[\...]".
bool IsFullFolderPath(const std::wstring& folder);
// File name without its extension.
std::wstring StemPart(const std::wstring& path);
// The file name's extension from its last ".", dot included; empty when it has none.
std::wstring ExtensionPart(const std::wstring& path);
// `folder` without closing "\" characters.
std::wstring WithoutClosingSeparator(std::wstring folder);
// Root of the drive a full path lies on: "C:\" or "\\server\share\"; empty when there is none.
std::wstring DriveRoot(const std::wstring& path);
// Windows compares file names without regard to letter case. Only A-Z are folded, so that
// every platform agrees.
std::wstring FoldCase(std::wstring text);
bool EqualNoCase(const std::wstring& a, const std::wstring& b);

}  // namespace qv::paths
