// One process per instance: the class object is registered for a single use and revoked once
// the instance exists, so every CoCreateInstance starts a process of its own. The process ends
// when the last reference goes, with or without Quit, as an invisible automation Excel does: it
// first takes its shutdown time, then writes its whole add-in list, changed or not.
// As Excel started for automation, the instance is in the running object table from its creation
// (weakly: the table's entry must not keep it alive) until its shutdown begins, and its XLMAIN
// window stays until the process ends.
#include <memory>
#include <new>

#include "com/addin_code.h"
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

// How long a process started by COM waits for its instance to be asked for. COM asks right
// after the class is registered; a client that went away meanwhile never will.
constexpr UINT kUnusedTimeoutMs = 10000;
// Posted to the main thread: show the start-up notice; Quit was asked, so shutdown begins.
constexpr UINT kShowNotice = WM_APP + 1;
constexpr UINT kShutdownBegins = WM_APP + 2;

struct Process {
    Machine machine;
    std::unique_ptr<Instance> instance;
    std::unique_ptr<Host> host;
    std::unique_ptr<StatusWindow> window;
    DWORD cookie = 0;
    DWORD rot = 0;

    void Revoke() {
        if (cookie) CoRevokeClassObject(std::exchange(cookie, 0));
    }
    void LeaveRunningObjectTable() {
        if (rot) RevokeActiveObject(std::exchange(rot, 0), nullptr);
    }

    IDispatch* CreateApplication() {
        instance = machine.NewInstance();
        StartGate(instance->settings());
        host = std::make_unique<Host>(*instance);
        window = std::make_unique<StatusWindow>([this] {
            host->visible = false;
            window->Update(*host);
        });
        host->changed = [this] { window->Update(*host); };
        host->owner = [this] { return window->handle(); };
        host->quitting = [] { PostThreadMessageW(GetCurrentThreadId(), kShutdownBegins, 0, 0); };
        IDispatch* app = NewApplication(*host);
        RegisterActiveObject(app, kClsid, ACTIVEOBJECT_WEAK, &rot);
        // Refused from the first call on; the box itself comes once CoCreateInstance has returned.
        if (!instance->settings().startupNotice.empty()) {
            SetNoticeOpen(true);
            PostThreadMessageW(GetCurrentThreadId(), kShowNotice, 0, 0);
        }
        return app;
    }
};

class Factory : public IClassFactory {
public:
    explicit Factory(Process& p) : p_(p) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory lives on the stack of the server for the whole process.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (p_.instance) return CO_E_SERVER_STOPPING;
        HRESULT hr = CLASS_E_NOAGGREGATION;
        if (!outer) {
            try {
                IDispatch* app = p_.CreateApplication();
                hr = app->QueryInterface(riid, out);
                app->Release();
            } catch (const std::bad_alloc&) {
                hr = E_OUTOFMEMORY;
            } catch (...) {
                hr = E_UNEXPECTED;
            }
        }
        p_.Revoke();
        // The single use is spent: without an instance to serve, the process has nothing to wait for.
        if (FAILED(hr)) EndMessageLoop();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) ObjectCreated();
        else ObjectDestroyed();
        return S_OK;
    }

private:
    Process& p_;
};

}  // namespace

int RunAutomationServer() {
    qv::win32::ComInit com;
    if (FAILED(com.result())) return 1;
    SetMainThread(GetCurrentThreadId());
    Process p;
    Factory factory(p);
    if (FAILED(CoRegisterClassObject(kClsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &p.cookie))) return 1;
    UINT_PTR timer = SetTimer(nullptr, 0, kUnusedTimeoutMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer) {
            KillTimer(nullptr, timer);
            if (!AnyObjectCreated()) break;
            continue;
        }
        if (msg.hwnd == nullptr && msg.message == kEndIfUnused) {
            if (p.cookie) break;
            continue;
        }
        if (msg.hwnd == nullptr && msg.message == kShutdownBegins) {
            p.LeaveRunningObjectTable();
            continue;
        }
        if (msg.hwnd == nullptr && msg.message == kShowNotice && p.host) {
            const Settings& s = p.instance->settings();
            ShowExcelBox(p.host->mainWindow.handle(), s.startupNotice, s.startupNoticeMilliseconds);
            SetNoticeOpen(false);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // Shutdown begins: out of the table at once; the XLMAIN window stays until the process ends.
    p.LeaveRunningObjectTable();
    p.Revoke();
    p.window.reset();
    // A process that never served an instance has no list to write.
    if (p.instance) {
        Sleep(p.instance->settings().exitDelayMilliseconds);
        p.instance->End();
    }
    return 0;
}

}  // namespace qv::standin::com
