#pragma once
// Reads what real list and combo box controls hold, for tests that drive the dialog.
#include <windows.h>

#include <string>
#include <vector>

namespace qv::test {

inline std::vector<std::wstring> ListRows(HWND list) {
    std::vector<std::wstring> r;
    for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
        std::wstring row(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()));
        row.resize(wcslen(row.c_str()));
        r.push_back(row);
    }
    return r;
}

inline std::vector<long> ListItemData(HWND list) {
    std::vector<long> r;
    for (LRESULT i = 0, n = SendMessageW(list, LB_GETCOUNT, 0, 0); i < n; ++i)
        r.push_back(static_cast<long>(SendMessageW(list, LB_GETITEMDATA, i, 0)));
    return r;
}

inline std::vector<std::wstring> ComboRows(HWND combo) {
    std::vector<std::wstring> r;
    for (LRESULT i = 0, n = SendMessageW(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
        std::wstring row(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(row.data()));
        row.resize(wcslen(row.c_str()));
        r.push_back(row);
    }
    return r;
}

}  // namespace qv::test
