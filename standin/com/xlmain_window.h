#pragma once
// Excel's hidden main window: class XLMAIN, owned by the instance's process, titled with the
// application's Caption. Clients find the process of an instance through it.
#include <windows.h>

#include <string>

namespace qv::standin::com {

class XlMainWindow {
public:
    explicit XlMainWindow(const std::wstring& caption);
    ~XlMainWindow();
    XlMainWindow(const XlMainWindow&) = delete;
    XlMainWindow& operator=(const XlMainWindow&) = delete;

    HWND handle() const { return hwnd_; }
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    // On the screen, as the window of an Excel the user has opened; it does not take the focus.
    void Show();

private:
    HWND hwnd_ = nullptr;
};

}  // namespace qv::standin::com
