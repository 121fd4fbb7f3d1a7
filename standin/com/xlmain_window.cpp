#include "com/xlmain_window.h"

namespace qv::standin::com {
namespace {

constexpr const wchar_t* kClassName = L"XLMAIN";

void RegisterOnce(HINSTANCE inst) {
    static bool done = false;
    if (done) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = inst;
    wc.lpszClassName = kClassName;
    RegisterClassW(&wc);
    done = true;
}

}  // namespace

XlMainWindow::XlMainWindow(const std::wstring& caption) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    RegisterOnce(inst);
    // Never shown: the stand-in's visible face is its status window.
    hwnd_ = CreateWindowExW(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, inst,
                            nullptr);
}

XlMainWindow::~XlMainWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

std::wstring XlMainWindow::Caption() const {
    if (!hwnd_) return L"";
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

void XlMainWindow::SetCaption(const std::wstring& caption) {
    if (hwnd_) SetWindowTextW(hwnd_, caption.c_str());
}

void XlMainWindow::Show() {
    if (hwnd_) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

}  // namespace qv::standin::com
