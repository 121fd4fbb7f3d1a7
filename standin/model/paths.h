#pragma once
// Windows path text handled portably: folders, file names, case-blind comparison.
#include <string>

namespace qv::standin {

// Folder of a full path, without the closing "\"; empty when the path has no "\".
std::wstring FolderOf(const std::wstring& path);
// Text after the last "\" (the whole text when there is none).
std::wstring FileNameOf(const std::wstring& path);
// File name without its extension.
std::wstring StemOf(const std::wstring& path);
// `folder` without closing "\" characters.
std::wstring WithoutClosingSeparator(std::wstring folder);
// Windows compares file names without regard to letter case; only A-Z are folded so that every
// platform agrees.
std::wstring FoldCase(std::wstring s);
bool SameText(const std::wstring& a, const std::wstring& b);
// The LocalServer32 command for the server at `exe`: quoted when it holds a blank, since
// COM splits an unquoted command line at its first blank.
std::wstring ServerCommand(const std::wstring& exe);
// Root of the drive a full path lies on: "C:\" or "\\server\share\"; empty when there is none.
std::wstring DriveRoot(const std::wstring& path);

}  // namespace qv::standin
