#include "excel/com/patience.h"

#include "platform/win32/com_object.h"

namespace qv::excel::com {

PendingCall& ThisThreadsCall() {
    thread_local PendingCall call;
    return call;
}

bool IsBusyRefusal(HRESULT hr) { return hr == RPC_E_SERVERCALL_RETRYLATER || hr == RPC_E_CALL_REJECTED; }

bool PumpingWait(HANDLE h, DWORD ms) {
    // CoWaitForMultipleHandles needs a handle; an event nobody sets stands in for a plain pause.
    static HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE wait = h ? h : never;
    if (!wait) {
        Sleep(ms);
        return false;
    }
    DWORD index = 0;
    HRESULT hr = CoWaitForMultipleHandles(0, ms, 1, &wait, &index);
    if (hr == RPC_E_NO_SYNC || hr == CO_E_NOTINITIALIZED) return WaitForSingleObject(wait, ms) == WAIT_OBJECT_0 && h;
    return hr == S_OK && h != nullptr;
}

namespace {

class Filter final : public win32::RefCounted<IMessageFilter, IID_IMessageFilter> {
public:
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    // Asks COM to call again after a short pause while Excel is busy, up to the call's deadline,
    // and marks that it did: the deadline is then spent, and the caller does not start another.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
        if (rejectType != SERVERCALL_RETRYLATER && rejectType != SERVERCALL_REJECTED) return static_cast<DWORD>(-1);
        PendingCall& pending = ThisThreadsCall();
        pending.filterRetried = true;
        return elapsedMs < pending.boundMs ? kLongestPauseMs : static_cast<DWORD>(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

}  // namespace

RetryingMessageFilter::RetryingMessageFilter() : filter_(new Filter) {
    if (FAILED(CoRegisterMessageFilter(filter_.get(), previous_.put()))) previous_.reset();
}

RetryingMessageFilter::~RetryingMessageFilter() {
    win32::ComPtr<IMessageFilter> ours;
    CoRegisterMessageFilter(previous_.get(), ours.put());
}

}  // namespace qv::excel::com
