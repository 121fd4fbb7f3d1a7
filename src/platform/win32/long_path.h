#pragma once
// Paths the wide file functions take whatever their length: a full path that would meet
// MAX_PATH (or the shorter limit of folder functions) gets the "\\?\" prefix, so that an add-in
// in a deep folder can be copied, replaced, tested and deleted like any other.
#include <string>

namespace qv::win32 {

// `path` itself when it is short, relative or already prefixed; otherwise its full,
// normalized form with "\\?\" (or "\\?\UNC\" for a share).
std::wstring LongPath(const std::wstring& path);

}  // namespace qv::win32
