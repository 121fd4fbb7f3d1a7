#pragma once
// The stand-in's own path rule. The others are the core's (platform/paths.h), so the wizard and
// the stand-in split, root and compare paths alike.
#include <string>

namespace qv::standin {

// The LocalServer32 command for the server at `exe`: quoted when it holds a blank, since
// COM splits an unquoted command line at its first blank.
std::wstring ServerCommand(const std::wstring& exe);

}  // namespace qv::standin
