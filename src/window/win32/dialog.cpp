#include "window/win32/dialog.h"

#include <commctrl.h>

#include <functional>

#include "startup/excel_start.h"
#include "platform/win32/handles.h"
#include "window/steps.h"
#include "window/texts.h"
#include "window/win32/controls_win32.h"
#include "window/win32/resource.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace qv::win32 {

namespace {

// Rebuilds the banner font once the dialog has taken its new font after a DPI change.
constexpr UINT kRebuildBannerFont = WM_APP + 1;

// Forwards to the program's busy cursor and remembers whether it is shown, so that the
// dialog keeps the wait cursor while COM calls let messages through.
class TrackedBusy : public BusyCursor {
public:
    explicit TrackedBusy(BusyCursor& inner) : inner_(inner) {}
    void Begin() override { inner_.Begin(); ++depth_; }
    void End() override { --depth_; inner_.End(); }
    bool Active() const { return depth_ > 0; }

private:
    BusyCursor& inner_;
    int depth_ = 0;
};

// Forwards to the program's message boxes. While one is up the program waits for the user,
// so the arrow shows; the wait cursor comes back when it closes and the handler goes on.
// A box re-enables its owner as it closes; `closed` runs then, so that the dialog can stay
// disabled for the rest of its handler.
class TrackedMessageBoxes : public MessageBoxes {
public:
    TrackedMessageBoxes(MessageBoxes& inner, const TrackedBusy& busy, std::function<void()> closed)
        : inner_(inner), busy_(busy), closed_(std::move(closed)) {}
    int Show(const std::wstring& text, const std::wstring& title, int flags) override {
        ++shown_;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        struct Closing {
            TrackedMessageBoxes& self;
            ~Closing() {
                if (--self.shown_ == 0 && self.busy_.Active()) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                if (self.closed_) self.closed_();
            }
        } closing{*this};
        return inner_.Show(text, title, flags);
    }
    bool Shown() const { return shown_ > 0; }

private:
    MessageBoxes& inner_;
    const TrackedBusy& busy_;
    std::function<void()> closed_;
    int shown_ = 0;
};

// Mouse and keyboard input that reached the queue while a handler ran. COM's wait leaves it
// queued; dispatched afterwards it would act on a list that has changed meanwhile.
void DiscardQueuedInput() {
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&m, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
    }
}

struct CreateParams {
    WindowServices* svc;
    SharedState* st;
    TopLevel* top;
};

class MainDialog {
public:
    MainDialog(HWND hwnd, const CreateParams& p)
        : hwnd_(hwnd),
          top_(*p.top),
          busy_(p.svc->busy),
          msg_(p.svc->msg, busy_, [this] {
              if (depth_ > 0 && !gone_) EnableWindow(hwnd_, FALSE);
          }),
          svc_{{p.svc->excel, p.svc->fs, p.svc->reg, p.svc->drives, p.svc->details, p.svc->sys, p.svc->accounts},
               msg_, p.svc->clip, p.svc->shell, busy_},
          ui_(hwnd),
          win_(svc_, *p.st, ui_) {}

    HWND ToolTip() const { return ui_.ToolTip(); }
    // The wait cursor shows while a handler works, but not while it waits for the user.
    bool ShowsWaitCursor() const { return busy_.Active() && !msg_.Shown(); }

    void OnInit();
    void OnCommand(int id, int code);
    void RebuildBannerFont();

    // Runs one event's work. A step refused before it changed anything is told and the window
    // stays; any other failure goes to the top level and ends the window; nothing is thrown past
    // this point. A close asked for meanwhile is carried out once the outermost work is done,
    // still inside the count, so this object outlives the window's destruction until the event
    // ends. While the work runs the window is disabled, so that no click reaches it; input
    // queued meanwhile is discarded afterwards, and the focus goes back where it was.
    template <class F>
    void Run(F&& work) {
        const bool outer = depth_ == 0;
        HWND focus = outer ? GetFocus() : nullptr;
        if (outer) EnableWindow(hwnd_, FALSE);
        ++depth_;
        try {
            work();
        } catch (const StepRefused& refused) {
            try {
                ShowNotice(msg_, refused.What());
            } catch (...) {
            }
        } catch (...) {
            Fail();
        }
        if (depth_ == 1 && closeAsked_ && !gone_) DestroyWindow(hwnd_);
        --depth_;
        if (outer && !gone_) Reopen(focus);
    }

    // The one way every close request takes: the close box, Alt+F4, Escape, and a WM_CLOSE
    // that another program or thread sends. A sent message is dispatched inside COM's wait for
    // Excel and inside a message box's loop, so it can arrive while a handler runs; the window
    // then stays until the handler has finished, with its Excel quit.
    void RequestClose() {
        closeAsked_ = true;
        if (depth_ == 0) Run([] {});
    }

    // Called at WM_NCDESTROY: the object goes with the window, but not while one of its
    // handlers is still on the stack.
    static void Destroyed(MainDialog* d) {
        d->gone_ = true;
        if (d->depth_ == 0) delete d;
    }
    static void AfterEvent(MainDialog* d) {
        if (d->gone_ && d->depth_ == 0) delete d;
    }
    bool Gone() const { return gone_; }
    bool InHandler() const { return depth_ > 0; }
    TopLevel& Top() { return top_; }

private:
    void Fail() noexcept;
    void Reopen(HWND focus);
    void SetDesignToolTips();
    void ModeButtonClicked(int index);

    HWND hwnd_;
    TopLevel& top_;
    TrackedBusy busy_;
    TrackedMessageBoxes msg_;
    WindowServices svc_;
    DialogControls ui_;
    MainWindow win_;
    UniqueFont bannerFont_;  // the banner label's, while the window lives
    int depth_ = 0;
    bool gone_ = false;
    bool closeAsked_ = false;
};

void MainDialog::Fail() noexcept {
    FailureInfo info;
    try {
        info = DescribeCurrentException();
    } catch (...) {
    }
    try {
        top_.ReportAndExit(hwnd_, info);
    } catch (...) {
    }
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void MainDialog::Reopen(HWND focus) {
    DiscardQueuedInput();
    EnableWindow(hwnd_, TRUE);
    // The handler may have hidden or disabled the control that had the focus.
    if (!focus || !IsChild(hwnd_, focus) || !IsWindowVisible(focus) || !IsWindowEnabled(focus))
        focus = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (focus) SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
}

// Tool tips the window carries from its design; the handlers set the others.
void MainDialog::SetDesignToolTips() {
    ui_.SetToolTip(Ctl::optBTN0, texts::kOptTip0);
    ui_.SetToolTip(Ctl::cmdADDIN, texts::kCmdAddinTip);
    ui_.SetToolTip(Ctl::cbxFOLDER, texts::kCbxFolderTip);
    ui_.SetToolTip(Ctl::txtFOLDER, texts::kTxtFolderTip);
    ui_.SetToolTip(Ctl::cmdEND, texts::kCmdEndTip);
    ui_.SetToolTip(Ctl::cmdMANUAL, texts::kCmdManualTip);
}

void MainDialog::RebuildBannerFont() {
    HFONT base = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!base || !GetObjectW(base, sizeof lf, &lf)) return;
    lf.lfHeight *= 2;
    lf.lfWeight = FW_BOLD;
    UniqueFont font(CreateFontIndirectW(&lf));
    if (!font) return;
    SendDlgItemMessageW(hwnd_, IDC_LABEL1, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    bannerFont_ = std::move(font);
}

void MainDialog::OnInit() {
    RebuildBannerFont();
    Run([&] {
        SetDesignToolTips();
        win_.Form_Load();
    });
    if (gone_) return;
    // The first mode button takes the focus, which chooses mode 0.
    SetFocus(GetDlgItem(hwnd_, IDC_OPTBTN0));
    Run([&] {
        if (win_.ShownMode() != Mode::Install) {
            CheckRadioButton(hwnd_, IDC_OPTBTN0, IDC_OPTBTN6, IDC_OPTBTN0);
            win_.optBTN_Click(0);
        }
    });
}

// A mode button's click counts when its button is the chosen one and its list is not already
// shown: a mode switch that was refused is tried again by the same button.
void MainDialog::ModeButtonClicked(int index) {
    HWND b = GetDlgItem(hwnd_, IDC_OPTBTN0 + index);
    if (SendMessageW(b, BM_GETCHECK, 0, 0) != BST_CHECKED || win_.ShownMode() == static_cast<Mode>(index)) return;
    Run([&] { win_.optBTN_Click(index); });
}

void MainDialog::OnCommand(int id, int code) {
    // Escape, or a WM_CLOSE the dialog manager turned into IDCANCEL, is a close request also
    // while a handler works.
    if (id == IDCANCEL) {
        RequestClose();
        return;
    }
    // One event at a time: notifications raised while a handler works are its own doing.
    if (InHandler()) return;
    if (id >= IDC_OPTBTN0 && id <= IDC_OPTBTN6) {
        if (code == BN_CLICKED) ModeButtonClicked(id - IDC_OPTBTN0);
        return;
    }
    switch (id) {
    case IDC_LSTADDIN:
        if (code == LBN_SELCHANGE) Run([&] { win_.lstADDIN_Click(); });
        break;
    case IDC_CMDADDIN:
        if (code == BN_CLICKED) Run([&] { win_.cmdADDIN_Click(); });
        break;
    case IDC_CMDFOLDER:
        if (code == BN_CLICKED) Run([&] { win_.cmdFolder_Click(); });
        break;
    case IDC_CMDMANUAL:
        if (code == BN_CLICKED) Run([&] { win_.cmdMANUAL_Click(); });
        break;
    case IDC_CMDNEXT:
        if (code == BN_CLICKED) Run([&] { win_.cmdNEXT_Click(); });
        break;
    case IDC_CMDEND:
        if (code == BN_CLICKED) Run([&] { win_.cmdEND_Click(); });
        break;
    default:
        break;
    }
}

MainDialog* FromWindow(HWND h) { return reinterpret_cast<MainDialog*>(GetWindowLongPtrW(h, DWLP_USER)); }

// The programs' icon in the title bar, the taskbar and Alt+Tab, large and small at the sizes
// the system asks for; Explorer takes the exe's first icon resource by itself.
void SetWindowIcons(HWND h) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(h, GWLP_HINSTANCE));
    const struct {
        WPARAM which;
        int cx, cy;
    } kinds[] = {{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}};
    for (const auto& k : kinds) {
        // Shared: the system frees it, and a second window gets the same handle.
        HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, GetSystemMetrics(k.cx),
                                 GetSystemMetrics(k.cy), LR_SHARED);
        if (icon) SendMessageW(h, WM_SETICON, k.which, reinterpret_cast<LPARAM>(icon));
    }
}

INT_PTR OnInitDialog(HWND h, LPARAM lp) {
    SetWindowIcons(h);
    const auto* p = reinterpret_cast<const CreateParams*>(lp);
    MainDialog* d = nullptr;
    try {
        d = new MainDialog(h, *p);
    } catch (...) {
        FailureInfo info;
        try {
            info = DescribeCurrentException();
        } catch (...) {
        }
        try {
            p->top->ReportAndExit(h, info);
        } catch (...) {
        }
        DestroyWindow(h);
        return FALSE;
    }
    SetWindowLongPtrW(h, DWLP_USER, reinterpret_cast<LONG_PTR>(d));
    d->OnInit();
    MainDialog::AfterEvent(d);
    // The focus is set already.
    return FALSE;
}

INT_PTR CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) return OnInitDialog(h, lp);
    MainDialog* d = FromWindow(h);
    if (!d) return FALSE;
    switch (msg) {
    case WM_COMMAND:
        d->OnCommand(LOWORD(wp), HIWORD(wp));
        MainDialog::AfterEvent(d);
        return TRUE;
    case WM_CLOSE:
        d->RequestClose();
        MainDialog::AfterEvent(d);
        return TRUE;
    case WM_SETCURSOR:
        if (d->ShowsWaitCursor()) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            SetWindowLongPtrW(h, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_DPICHANGED: {
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        SetWindowPos(h, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        PostMessageW(h, kRebuildBannerFont, 0, 0);
        // The dialog manager rescales the controls and the dialog font where it can.
        return FALSE;
    }
    case kRebuildBannerFont:
        d->RebuildBannerFont();
        return TRUE;
    case WM_DESTROY:
        try {
            d->Top().WindowClosed();
        } catch (...) {
        }
        return FALSE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(h, DWLP_USER, 0);
        MainDialog::Destroyed(d);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

HWND CreateMainDialog(HINSTANCE instance, WindowServices& svc, SharedState& st, TopLevel& top) {
    CreateParams p{&svc, &st, &top};
    HWND h = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, DialogProc, reinterpret_cast<LPARAM>(&p));
    return h && IsWindow(h) ? h : nullptr;
}

HWND MainDialogToolTip(HWND dialog) {
    MainDialog* d = FromWindow(dialog);
    return d ? d->ToolTip() : nullptr;
}

bool MainDialogBusy(HWND dialog) {
    MainDialog* d = FromWindow(dialog);
    return d && d->ShowsWaitCursor();
}

}  // namespace qv::win32
