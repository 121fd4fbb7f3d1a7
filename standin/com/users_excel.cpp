// The user's own Excel, started by hand: registered in the running object table, where
// GetActiveObject finds it, and running until it is told to Quit (or its window is closed).
#include "com/gate.h"
#include "com/host.h"
#include "com/ids.h"
#include "com/modes.h"
#include "com/objects.h"
#include "com/machine.h"
#include "com/server.h"
#include "com/status_window.h"
#include "platform/win32/handles.h"

namespace qv::standin::com {
namespace {

// Posted to the main thread once Quit has returned to its caller.
constexpr UINT kTearDown = WM_APP + 1;

}  // namespace

int RunUsersExcel(bool hidden, bool busy, bool unregistered, const std::vector<std::wstring>& workbookNames) {
    qv::win32::ComInit com;
    if (FAILED(com.result())) return 1;
    const DWORD thread = GetCurrentThreadId();
    SetMainThread(thread);
    Machine machine;
    std::unique_ptr<Instance> owned = machine.NewInstance();
    Instance& instance = *owned;
    StartGate(instance.settings());
    if (busy) RejectEveryCall();
    for (auto& name : workbookNames) instance.workbooks.AddNamed(name);
    Host host(instance);
    host.visible = !hidden;
    StatusWindow window([&] {
        host.quitAsked = true;
        PostThreadMessageW(thread, kTearDown, 0, 0);
    });
    host.changed = [&] { window.Update(host); };
    host.quitting = [&] { PostThreadMessageW(thread, kTearDown, 0, 0); };
    host.owner = [&] { return window.handle(); };
    window.Update(host);

    win32::ComPtr<IDispatch> app(NewApplication(host));
    DWORD rot = 0;
    if (unregistered) host.mainWindow.Show();
    else if (FAILED(RegisterActiveObject(app.get(), kClsid, ACTIVEOBJECT_STRONG, &rot))) return 1;
    bool tornDown = false;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == kTearDown && msg.hwnd == nullptr) {
            if (tornDown) continue;
            tornDown = true;
            if (rot) RevokeActiveObject(rot, nullptr);
            CoDisconnectObject(app.get(), 0);
            app.reset();
            EndMessageLoop();
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (!tornDown) {
        if (rot) RevokeActiveObject(rot, nullptr);
        CoDisconnectObject(app.get(), 0);
        app.reset();
    }
    // However it was told to end, it takes its shutdown time and writes its whole list.
    Sleep(instance.settings().exitDelayMilliseconds);
    instance.End();
    return 0;
}

}  // namespace qv::standin::com
