#pragma once
// Excel refuses calls while it is busy: while it starts, while an add-in's open code runs, while
// it shows a dialog. On Windows its message filter answers SERVERCALL_RETRYLATER, and the
// caller's own message filter asks COM to retry. The client also retries by itself, because
// Wine's COM does neither and a client without a filter sees the refusal as the call's result.
#include <windows.h>
#include <objbase.h>

#include "platform/win32/handles.h"

namespace qv::excel::com {

// How long a refused call is retried before it fails as any other Excel failure: one deadline per
// call, whichever retries it.
inline constexpr DWORD kBusyRetryMs = 30000;
// The deadline for calls to an Excel the program did not start: a refusal there means a person is
// editing a cell or has a dialog open, which is answer enough that Excel is running.
inline constexpr DWORD kOthersBusyMs = 2000;
// The longest pause between two tries. Excel usually answers within half a second of its start;
// a longer pause would only add to every start.
inline constexpr DWORD kLongestPauseMs = 50;
// Every call names US English: the language whose names every Excel has, as VBA does.
inline constexpr LCID kCallLcid = 1033;

// RPC_E_SERVERCALL_RETRYLATER or RPC_E_CALL_REJECTED.
bool IsBusyRefusal(HRESULT hr);

// The refused call this thread is making: its deadline, and whether the message filter has
// already retried it (on Windows COM does, through the filter, and the deadline is then spent there).
struct PendingCall {
    DWORD boundMs = kBusyRetryMs;
    bool filterRetried = false;
};
PendingCall& ThisThreadsCall();

// Runs `call` again while Excel refuses it as busy, up to `boundMs` from its first try; its last
// result. A call the message filter already retried is not retried again.
template <class Call>
HRESULT CallPatiently(Call call, DWORD boundMs = kBusyRetryMs);

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
HRESULT CallPatiently(Call call, DWORD boundMs) {
    PendingCall& pending = ThisThreadsCall();
    // A call made while this one waits (an incoming call served meanwhile) keeps its own deadline.
    const PendingCall outer = pending;
    pending = PendingCall{boundMs, false};
    const DWORD start = GetTickCount();
    HRESULT hr = call();
    DWORD pause = 20;
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (!IsBusyRefusal(hr) || pending.filterRetried || spent >= boundMs) break;
        PumpingWait(nullptr, pause < boundMs - spent ? pause : boundMs - spent);
        if (pause < kLongestPauseMs) pause = pause * 2 < kLongestPauseMs ? pause * 2 : kLongestPauseMs;
        hr = call();
    }
    pending = outer;
    return hr;
}

}  // namespace qv::excel::com
