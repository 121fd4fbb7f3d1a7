#pragma once
// Reads what real controls hold, for tests that drive the dialog.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace qv::test {

inline std::wstring WindowText(HWND h) {
    wchar_t buf[4096] = {};
    GetWindowTextW(h, buf, 4096);
    return buf;
}

// A visible top-level window of process `pid` titled `title` that `accept` takes, polled every
// 50 ms for up to `ms`; nullptr when none came. The wizard's window and its message boxes share
// the title, so `accept` tells them apart.
inline HWND WaitForTitledWindow(DWORD pid, const wchar_t* title, DWORD ms,
                                const std::function<bool(HWND)>& accept = [](HWND) { return true; }) {
    struct Search {
        DWORD pid;
        const wchar_t* title;
        const std::function<bool(HWND)>* accept;
        HWND found;
    };
    for (DWORD waited = 0; waited <= ms; waited += 50) {
        Search s{pid, title, &accept, nullptr};
        EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD owner = 0;
                GetWindowThreadProcessId(h, &owner);
                if (owner != s->pid || !IsWindowVisible(h) || WindowText(h) != s->title) return TRUE;
                if (!(*s->accept)(h)) return TRUE;
                s->found = h;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        Sleep(50);
    }
    return nullptr;
}

// Handles the thread's waiting messages, as the message loop would.
inline void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

// The rows of a list box or a combo box, through its own count, length and text messages.
inline std::vector<std::wstring> Rows(HWND control, UINT count, UINT length, UINT text) {
    std::vector<std::wstring> r;
    for (LRESULT i = 0, n = SendMessageW(control, count, 0, 0); i < n; ++i) {
        std::wstring row(static_cast<size_t>(SendMessageW(control, length, i, 0)) + 1, L'\0');
        SendMessageW(control, text, i, reinterpret_cast<LPARAM>(row.data()));
        row.resize(wcslen(row.c_str()));
        r.push_back(row);
    }
    return r;
}
inline std::vector<std::wstring> ListRows(HWND list) { return Rows(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }
inline std::vector<std::wstring> ComboRows(HWND combo) { return Rows(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT); }

inline std::vector<long> ListItemData(HWND list) {
    std::vector<long> r;
    for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i)
        r.push_back(static_cast<long>(SendMessageW(list, LB_GETITEMDATA, i, 0)));
    return r;
}

}  // namespace qv::test
