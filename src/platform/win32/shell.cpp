#include "platform/win32/platform.h"

#include <shellapi.h>

namespace qv::win32 {

bool Win32Shell::OpenDocument(const std::wstring& path) {
    HINSTANCE r = ShellExecuteW(owner_, L"open", path.c_str(), L"", L"", SW_SHOWMAXIMIZED);
    return reinterpret_cast<INT_PTR>(r) > 32;
}

}  // namespace qv::win32
