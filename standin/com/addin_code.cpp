#include "com/addin_code.h"

#include "platform/paths.h"

namespace qv::standin::com {
namespace {

constexpr const wchar_t* kBoxTitle = L"Microsoft Excel";

// The owner of the boxes: the process serves one instance, with one XLMAIN window.
HWND g_owner = nullptr;

// The first message box of this thread owned by XLMAIN; null when none is up.
HWND FindBox() {
    struct Search {
        HWND found = nullptr;
    } search;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(w, cls, 16);
            if (lstrcmpW(cls, L"#32770") != 0 || GetWindow(w, GW_OWNER) != g_owner) return TRUE;
            reinterpret_cast<Search*>(lp)->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ModalMilliseconds have passed: press the box's OK, as a person would. The timer runs in the
// box's own message loop, on the thread that shows it. With boxes nested by re-entrant calls,
// each timer closes one of them.
void CALLBACK PressOk(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (HWND box = FindBox())
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

}  // namespace

void RunAddinCode(Host& host, const std::wstring& path, const wchar_t* procedure) {
    const Settings& s = host.instance.settings();
    if (!IsModalFile(s, path)) return;
    std::wstring text = L"The add-in code " + std::wstring(procedure) + L" of \"" + paths::FileNamePart(path) +
                        L"\" shows this message.\n\n(Excel stand-in: the file is named in ModalFiles.)";
    ShowExcelBox(host.mainWindow.handle(), text, s.modalMilliseconds);
}

void ShowExcelBox(HWND owner, const std::wstring& text, unsigned long closeAfterMs) {
    g_owner = owner;
    UINT_PTR timer = closeAfterMs ? SetTimer(nullptr, 0, closeAfterMs, &PressOk) : 0;
    MessageBoxW(owner, text.c_str(), kBoxTitle, MB_OK);
    if (timer) KillTimer(nullptr, timer);
}

}  // namespace qv::standin::com
