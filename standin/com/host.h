#pragma once
// What the automation objects of one process share: the instance and how it is shown.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <functional>

#include "com/xlmain_window.h"
#include "model/instance.h"

namespace qv::standin::com {

struct Host {
    explicit Host(Instance& i) : instance(i), mainWindow(L"Microsoft Excel") {}
    Instance& instance;
    XlMainWindow mainWindow;
    bool visible = false;
    bool displayAlerts = true;
    // Quit was asked. The list is written when the process ends, whether or not it was.
    bool quitAsked = false;
    // Called after Visible or the open workbooks change (the window follows them).
    std::function<void()> changed;
    // Called after Quit has been asked.
    std::function<void()> quitting;
    // Owner of the file dialogs; null when the instance has no window.
    std::function<HWND()> owner;

    void Changed() const { if (changed) changed(); }
};

}  // namespace qv::standin::com
