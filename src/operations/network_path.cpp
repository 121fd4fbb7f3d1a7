#include "operations/network_path.h"

namespace qv {

namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

bool IsNetworkPath(const std::wstring& path, Drives& drives) {
    if (path.rfind(L"\\\\", 0) == 0) return true;
    if (path.size() < 2 || path[1] != L':' || !IsAsciiLetter(path[0])) return false;
    wchar_t letter = path[0];
    if (letter >= L'a') letter = static_cast<wchar_t>(letter - L'a' + L'A');
    const int type = drives.DriveType(std::wstring(1, letter) + L":\\");
    return type == kDriveRemote || type == kDriveNoRootDir;
}

}  // namespace qv
