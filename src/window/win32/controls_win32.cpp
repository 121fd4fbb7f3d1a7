#include "window/win32/controls_win32.h"

#include <commctrl.h>

#include <iterator>

#include "platform/error.h"
#include "window/texts.h"
#include "window/win32/resource.h"

namespace qv::win32 {

namespace {

struct CtlId {
    Ctl ctl;
    int id;
};

constexpr CtlId kIds[] = {
    {Ctl::optBTN0, IDC_OPTBTN0}, {Ctl::optBTN1, IDC_OPTBTN1}, {Ctl::optBTN2, IDC_OPTBTN2},
    {Ctl::optBTN3, IDC_OPTBTN3}, {Ctl::optBTN4, IDC_OPTBTN4}, {Ctl::optBTN5, IDC_OPTBTN5},
    {Ctl::optBTN6, IDC_OPTBTN6},
    {Ctl::lblopt0, IDC_LBLOPT0}, {Ctl::lblopt1, IDC_LBLOPT1}, {Ctl::lblopt2, IDC_LBLOPT2},
    {Ctl::lblopt3, IDC_LBLOPT3}, {Ctl::lblopt4, IDC_LBLOPT4}, {Ctl::lblopt5, IDC_LBLOPT5},
    {Ctl::lblMSG0, IDC_LBLMSG0}, {Ctl::lstADDIN, IDC_LSTADDIN}, {Ctl::cmdADDIN, IDC_CMDADDIN},
    {Ctl::lblMSG1, IDC_LBLMSG1}, {Ctl::Label3, IDC_LABEL3}, {Ctl::cbxFOLDER, IDC_CBXFOLDER},
    {Ctl::txtFOLDER, IDC_TXTFOLDER}, {Ctl::cmdFolder, IDC_CMDFOLDER}, {Ctl::Label7, IDC_LABEL7},
    {Ctl::txtSTEP, IDC_TXTSTEP}, {Ctl::lblKEKKA, IDC_LBLKEKKA}, {Ctl::cmdNEXT, IDC_CMDNEXT},
    {Ctl::cmdEND, IDC_CMDEND}, {Ctl::cmdMANUAL, IDC_CMDMANUAL}, {Ctl::Label2, IDC_LABEL2},
    {Ctl::Frame1, IDC_FRAME1}, {Ctl::Text1, IDC_TEXT1}, {Ctl::Label1, IDC_LABEL1},
    {Ctl::lblVERSION, IDC_LBLVERSION},
};
static_assert(std::size(kIds) == static_cast<size_t>(Ctl::lblVERSION) + 1, "every control has an ID");

std::wstring WindowText(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    int got = GetWindowTextW(h, s.data(), n + 1);
    s.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return s;
}

bool IsCombo(HWND h) {
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    return lstrcmpiW(cls, WC_COMBOBOXW) == 0;
}

// The edit field inside an editable combo box.
HWND ComboEdit(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(combo, &info) ? info.hwndItem : nullptr;
}

int DroppedHeight(HWND combo) {
    RECT r{};
    SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r.bottom - r.top;
}

[[noreturn]] void Fail(const wchar_t* operation, int row, int count) {
    throw Failure(texts::kOpWindow,
                  std::wstring(operation) + L": row " + std::to_wstring(row) + L" of " + std::to_wstring(count),
                  0);
}

}  // namespace

int ControlId(Ctl c) {
    for (const auto& e : kIds)
        if (e.ctl == c) return e.id;
    return 0;
}

DialogControls::DialogControls(HWND dialog) : dlg_(dialog) {
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    // Long tips wrap instead of running off the screen.
    if (tip_) SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 480);
}

DialogControls::~DialogControls() {
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
}

HWND DialogControls::Item(Ctl c) const { return GetDlgItem(dlg_, ControlId(c)); }

void DialogControls::SetCaption(const std::wstring& text) { SetWindowTextW(dlg_, text.c_str()); }

void DialogControls::Close() { DestroyWindow(dlg_); }

std::wstring DialogControls::Text(Ctl c) { return WindowText(Item(c)); }

void DialogControls::SetText(Ctl c, const std::wstring& text) {
    HWND h = Item(c);
    SetWindowTextW(h, text.c_str());
    // The folder field often holds a path longer than it is wide. It shows the path from its
    // start (the drive and the first folders), which tells where the file lies; the rest
    // scrolls into view with the caret.
    if (c == Ctl::txtFOLDER) {
        SendMessageW(h, EM_SETSEL, 0, 0);
        SendMessageW(h, EM_SCROLLCARET, 0, 0);
    }
}

// The control's own visibility, as set on it, whether or not the window is shown yet.
bool DialogControls::Visible(Ctl c) { return (GetWindowLongPtrW(Item(c), GWL_STYLE) & WS_VISIBLE) != 0; }

void DialogControls::LeaveIfFocused(HWND h) {
    HWND focus = GetFocus();
    if (focus && (focus == h || IsChild(h, focus))) SendMessageW(dlg_, WM_NEXTDLGCTL, 0, FALSE);
}

void DialogControls::SetVisible(Ctl c, bool visible) {
    HWND h = Item(c);
    if (!visible) LeaveIfFocused(h);
    ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
}

bool DialogControls::Enabled(Ctl c) { return IsWindowEnabled(Item(c)) != FALSE; }

void DialogControls::SetEnabled(Ctl c, bool enabled) {
    HWND h = Item(c);
    if (!enabled) LeaveIfFocused(h);
    EnableWindow(h, enabled ? TRUE : FALSE);
}

void DialogControls::AddTool(HWND h, const std::wstring& text) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = dlg_;
    ti.uId = reinterpret_cast<UINT_PTR>(h);
    ti.lpszText = const_cast<wchar_t*>(text.c_str());
    if (tools_.count(h)) {
        SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    } else if (SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti))) {
        tools_.insert(h);
    }
}

void DialogControls::SetToolTip(Ctl c, const std::wstring& text) {
    HWND h = Item(c);
    if (!tip_ || !h) return;
    AddTool(h, text);
    // The mouse is over the combo box's own edit field, not the combo box.
    if (IsCombo(h))
        if (HWND edit = ComboEdit(h)) AddTool(edit, text);
}

void DialogControls::SetReadOnly(Ctl c, bool readOnly) {
    HWND h = Item(c);
    if (IsCombo(h)) h = ComboEdit(h);
    SendMessageW(h, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

bool DialogControls::Checked(Ctl option) { return SendMessageW(Item(option), BM_GETCHECK, 0, 0) == BST_CHECKED; }

Rect DialogControls::Bounds(Ctl c) {
    RECT r{};
    GetWindowRect(Item(c), &r);
    MapWindowPoints(nullptr, dlg_, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void DialogControls::SetBounds(Ctl c, const Rect& r) {
    HWND h = Item(c);
    if (!IsCombo(h)) {
        MoveWindow(h, r.left, r.top, r.width, r.height, TRUE);
        return;
    }
    // A combo box's window height also sizes its drop-down list, and how the list's share
    // is counted differs between systems: move it, then correct until the list keeps its
    // height.
    int list = DroppedHeight(h);
    MoveWindow(h, r.left, r.top, r.width, r.height + list, TRUE);
    int drift = list - DroppedHeight(h);
    if (drift != 0) MoveWindow(h, r.left, r.top, r.width, r.height + list + drift, TRUE);
}

void DialogControls::ListClear() { SendMessageW(List(), LB_RESETCONTENT, 0, 0); }

int DialogControls::ListAdd(const std::wstring& text) {
    LRESULT row = SendMessageW(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (row < 0) Fail(L"LB_ADDSTRING", ListCount(), ListCount());
    return static_cast<int>(row);
}

void DialogControls::CheckRow(int row, const wchar_t* operation) {
    int count = ListCount();
    if (row < 0 || row >= count) Fail(operation, row, count);
}

// Each call to Excel pumps the window's messages, so a list drawn after every row is drawn once
// per add-in. Only a shown list is held, since WM_SETREDRAW TRUE would show a hidden one; while
// held, its WS_VISIBLE style is off, so whether it was held is remembered here.
void DialogControls::ListHoldDrawing() {
    if (drawingHeld_ || !Visible(Ctl::lstADDIN)) return;
    SendMessageW(List(), WM_SETREDRAW, FALSE, 0);
    drawingHeld_ = true;
}

void DialogControls::ListResumeDrawing() {
    if (!drawingHeld_) return;
    drawingHeld_ = false;
    SendMessageW(List(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(List(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void DialogControls::ListSetItemData(int row, long data) {
    CheckRow(row, L"LB_SETITEMDATA");
    SendMessageW(List(), LB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(data));
}

long DialogControls::ListItemData(int row) {
    CheckRow(row, L"LB_GETITEMDATA");
    return static_cast<long>(SendMessageW(List(), LB_GETITEMDATA, static_cast<WPARAM>(row), 0));
}

int DialogControls::ListIndex() {
    LRESULT sel = SendMessageW(List(), LB_GETCURSEL, 0, 0);
    return sel < 0 ? -1 : static_cast<int>(sel);
}

std::wstring DialogControls::ListText() {
    int row = ListIndex();
    if (row < 0) return L"";
    LRESULT n = SendMessageW(List(), LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (n <= 0) return L"";
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    LRESULT got = SendMessageW(List(), LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(s.data()));
    s.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return s;
}

void DialogControls::ListRemove(int row) {
    CheckRow(row, L"LB_DELETESTRING");
    SendMessageW(List(), LB_DELETESTRING, static_cast<WPARAM>(row), 0);
}

int DialogControls::ListCount() {
    LRESULT n = SendMessageW(List(), LB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
}

void DialogControls::ComboClear() { SendMessageW(Combo(), CB_RESETCONTENT, 0, 0); }

void DialogControls::ComboAdd(const std::wstring& text) {
    if (SendMessageW(Combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0) {
        int n = static_cast<int>(SendMessageW(Combo(), CB_GETCOUNT, 0, 0));
        Fail(L"CB_ADDSTRING", n, n);
    }
}

void DialogControls::ComboSelect(int index) {
    int n = static_cast<int>(SendMessageW(Combo(), CB_GETCOUNT, 0, 0));
    if (index < 0 || index >= n) Fail(L"CB_SETCURSEL", index, n);
    SendMessageW(Combo(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace qv::win32
