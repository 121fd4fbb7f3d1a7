#include "platform/win32/platform.h"

namespace qv::win32 {

int Win32MessageBoxes::Show(const std::wstring& text, const std::wstring& title, int flags) {
    // An owner on another thread would tie the box to a window that cannot answer meanwhile.
    HWND owner = owner_ && GetWindowThreadProcessId(owner_, nullptr) == GetCurrentThreadId() ? owner_ : nullptr;
    return MessageBoxW(owner, text.c_str(), title.c_str(), static_cast<UINT>(flags));
}

}  // namespace qv::win32
