#pragma once
// Excel refuses calls while it is busy: while it starts, while an add-in's open code runs, while
// it shows a dialog. On Windows its message filter answers SERVERCALL_RETRYLATER, and the
// caller's own message filter asks COM to retry. The client also retries by itself, because
// Wine's COM does neither and a client without a filter sees the refusal as the call's result.
#include <windows.h>
#include <objbase.h>

#include "platform/win32/handles.h"

namespace qv::excel::com {

// How long a refused call is retried before it fails as any other Excel failure.
inline constexpr DWORD kBusyRetryMs = 30000;
// Every call names US English: the language whose names every Excel has, as VBA does.
inline constexpr LCID kCallLcid = 1033;

// RPC_E_SERVERCALL_RETRYLATER or RPC_E_CALL_REJECTED.
bool IsBusyRefusal(HRESULT hr);

// Runs `call` again while Excel refuses it as busy, up to kBusyRetryMs; its last result.
template <class Call>
HRESULT CallPatiently(Call call);

// Waits `ms` milliseconds (or until `h` is signalled, when given) while the thread's messages
// and incoming COM calls are still served, so the window stays alive. True when `h` was signalled.
bool PumpingWait(HANDLE h, DWORD ms);

// The thread's message filter that retries calls Excel rejects; registered for the lifetime
// of the object (CoRegisterMessageFilter), the previous filter restored afterwards.
class RetryingMessageFilter {
public:
    RetryingMessageFilter();
    ~RetryingMessageFilter();
    RetryingMessageFilter(const RetryingMessageFilter&) = delete;
    RetryingMessageFilter& operator=(const RetryingMessageFilter&) = delete;

private:
    win32::ComPtr<IMessageFilter> filter_;
    win32::ComPtr<IMessageFilter> previous_;
};

template <class Call>
HRESULT CallPatiently(Call call) {
    HRESULT hr = call();
    if (!IsBusyRefusal(hr)) return hr;
    const DWORD start = GetTickCount();
    DWORD pause = 20;
    while (IsBusyRefusal(hr) && GetTickCount() - start < kBusyRetryMs) {
        PumpingWait(nullptr, pause);
        if (pause < 200) pause *= 2;
        hr = call();
    }
    return hr;
}

}  // namespace qv::excel::com
