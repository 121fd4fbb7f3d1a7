#pragma once
// The small window of a visible stand-in: titled "Excel stand-in", it lists the open workbooks.
#include <windows.h>

#include <functional>

#include "com/host.h"

namespace qv::standin::com {

class StatusWindow {
public:
    // `onClose` runs when the user closes the window.
    explicit StatusWindow(std::function<void()> onClose) : onClose_(std::move(onClose)) {}
    ~StatusWindow();
    StatusWindow(const StatusWindow&) = delete;
    StatusWindow& operator=(const StatusWindow&) = delete;

    // Shows or hides the window as `host.visible` says and lists the workbooks.
    void Update(const Host& host);
    HWND handle() const { return hwnd_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    std::function<void()> onClose_;
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
};

}  // namespace qv::standin::com
