#pragma once
// Which add-in files lie on the network: such a file is used by others too, so a removal
// leaves it where it is.
#include <string>

#include "platform/services.h"

namespace qv {

// GetDriveType's answers that put a drive letter on the network: a mapped network drive, and
// a letter without a root, which is how a program run elevated sees the user's mapped drives.
inline constexpr int kDriveNoRootDir = 1;
inline constexpr int kDriveRemote = 4;

// True for a path that begins with "\\" (a server share), and for one on a drive letter whose
// root ("N:\") is a network drive or has no root. Anything else, a relative path included, is
// not on the network.
bool IsNetworkPath(const std::wstring& path, Drives& drives);

}  // namespace qv
