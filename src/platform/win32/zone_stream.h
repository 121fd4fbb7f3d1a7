#pragma once
// A file's Zone.Identifier stream by name. NTFS keeps it as an alternate data stream of the
// file; Wine, which has none, keeps a file literally named "<name>:Zone.Identifier" beside it.
// The same name reaches both through the wide file functions.
#include <string>

namespace qv::win32 {

inline std::wstring ZoneStreamPath(const std::wstring& path) { return path + L":Zone.Identifier"; }

}  // namespace qv::win32
