#pragma once
// The stand-in's path words. The rules themselves are the core's, so the wizard and the
// stand-in split, root and compare paths alike.
#include <string>

#include "platform/paths.h"

namespace qv::standin {

inline std::wstring FolderOf(const std::wstring& path) { return paths::FolderPart(path); }
inline std::wstring FileNameOf(const std::wstring& path) { return paths::FileNamePart(path); }
inline std::wstring StemOf(const std::wstring& path) { return paths::StemPart(path); }
inline std::wstring WithoutClosingSeparator(std::wstring folder) {
    return paths::WithoutClosingSeparator(std::move(folder));
}
inline std::wstring FoldCase(std::wstring s) { return paths::FoldCase(std::move(s)); }
inline bool SameText(const std::wstring& a, const std::wstring& b) { return paths::EqualNoCase(a, b); }
inline std::wstring DriveRoot(const std::wstring& path) { return paths::DriveRoot(path); }
// The LocalServer32 command for the server at `exe`: quoted when it holds a blank, since
// COM splits an unquoted command line at its first blank.
std::wstring ServerCommand(const std::wstring& exe);

}  // namespace qv::standin
