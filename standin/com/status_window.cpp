#include "com/status_window.h"

#include "com/ids.h"

namespace qv::standin::com {
namespace {

constexpr const wchar_t* kClassName = L"ExcelStandInWindow";

}  // namespace

StatusWindow::~StatusWindow() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK StatusWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<StatusWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_SIZE:
        if (self && self->list_) MoveWindow(self->list_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_CLOSE:
        if (self && self->onClose_) {
            try {
                self->onClose_();
            } catch (...) {
            }
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

void StatusWindow::Update(const Host& host) {
    if (!hwnd_ && !host.visible) return;
    if (!hwnd_) {
        HINSTANCE inst = GetModuleHandleW(nullptr);
        WNDCLASSW wc{};
        wc.lpfnWndProc = &StatusWindow::Proc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClassName;
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, kClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 320,
                                200, nullptr, nullptr, inst, nullptr);
        if (!hwnd_) return;
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        RECT r;
        GetClientRect(hwnd_, &r);
        list_ = CreateWindowExW(0, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 0,
                                0, r.right, r.bottom, hwnd_, nullptr, inst, nullptr);
    }
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    for (auto& w : host.instance.workbooks.All())
        SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.name.c_str()));
    ShowWindow(hwnd_, host.visible ? SW_SHOWNOACTIVATE : SW_HIDE);
}

}  // namespace qv::standin::com
