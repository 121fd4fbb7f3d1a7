#include "platform/win32/platform.h"

namespace qv::win32 {

int Win32MessageBoxes::Show(const std::wstring& text, const std::wstring& title, int flags) {
    return MessageBoxW(owner_, text.c_str(), title.c_str(), static_cast<UINT>(flags));
}

}  // namespace qv::win32
