#pragma once
// What the automation objects of one process share: the instance and how it is shown.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <functional>

#include "model/instance.h"

namespace qv::standin::com {

struct Host {
    explicit Host(Instance& i) : instance(i) {}
    Instance& instance;
    bool visible = false;
    // Called after Visible or the open workbooks change (the window follows them).
    std::function<void()> changed;
    // Called after Quit has written the add-in list.
    std::function<void()> quitting;
    // Owner of the file dialogs; null when the instance has no window.
    std::function<HWND()> owner;

    void Changed() const { if (changed) changed(); }
};

}  // namespace qv::standin::com
