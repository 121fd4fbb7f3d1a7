#include "platform/win32/platform.h"

namespace qv::win32 {

void Win32BusyCursor::Begin() {
    if (depth_++ == 0) previous_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void Win32BusyCursor::End() {
    if (depth_ == 0) return;  // an unmatched End changes nothing
    if (--depth_ == 0) {
        SetCursor(previous_ ? previous_ : LoadCursorW(nullptr, IDC_ARROW));
        previous_ = nullptr;
    }
}

}  // namespace qv::win32
