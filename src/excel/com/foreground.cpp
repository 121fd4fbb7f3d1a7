#include "excel/com/foreground.h"

namespace qv::excel::com {

void AllowToFront(const Dispatch& app) noexcept {
    if (SUCCEEDED(CoAllowSetForegroundWindow(app.raw(), nullptr))) return;
    try {
        // Hwnd exists from Excel 2002 on; older versions simply keep the old behaviour.
        HWND main = reinterpret_cast<HWND>(static_cast<LONG_PTR>(ToLong(app.get(L"Hwnd"), L"Hwnd")));
        DWORD pid = 0;
        if (main && GetWindowThreadProcessId(main, &pid) && pid) AllowSetForegroundWindow(pid);
    } catch (...) {
    }
}

}  // namespace qv::excel::com
