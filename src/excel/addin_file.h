#pragma once
// Which files are Excel add-ins: the ".xla" files.
#include <string>

#include "platform/paths.h"

namespace qv::excel {

// Whether the file name in `path` (a bare name or a full path) ends in ".xla", letter case folded
// as Windows folds it for file names.
inline bool IsXlaName(const std::wstring& path) { return paths::EqualNoCase(paths::ExtensionPart(path), L".xla"); }

}  // namespace qv::excel
