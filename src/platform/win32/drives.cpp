#include "platform/win32/platform.h"

namespace qv::win32 {

int Win32Drives::DriveType(const std::wstring& root) { return static_cast<int>(GetDriveTypeW(root.c_str())); }

}  // namespace qv::win32
