// The main dialog hosted in the test exe: its resource, the control adapter, and the real
// dialog procedure driving the portable handlers against in-memory fakes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../native/fakes.h"
#include "control_probe.h"
#include "reg_write.h"
#include "window/failure_report.h"
#include "window/texts.h"
#include "window/win32/controls_win32.h"
#include "window/win32/dialog.h"
#include "window/win32/resource.h"
#include "window/win32/top_level.h"

namespace {

using namespace std::string_literals;
using qv::Ctl;
using qv::test::Pump;
using qv::test::WindowText;

std::wstring ClassOf(HWND h) {
    wchar_t buf[64] = {};
    GetClassNameW(h, buf, 64);
    return buf;
}

LONG_PTR StyleOf(HWND h) { return GetWindowLongPtrW(h, GWL_STYLE); }

RECT RectIn(HWND dialog, HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::wstring ToolTipText(HWND tip, HWND owner, HWND tool) {
    wchar_t buf[512] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = buf;
    SendMessageW(tip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
    return buf;
}

// Hands a key to the dialog the way the message loop does.
void PressKey(HWND dialog, UINT vk) {
    MSG m{};
    m.hwnd = GetFocus();
    m.message = WM_KEYDOWN;
    m.wParam = vk;
    m.lParam = 1;
    IsDialogMessageW(dialog, &m);
}

void InitControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
}

INT_PTR CALLBACK PlainProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }

// The dialog resource alone, without the program's procedure: its design state.
class PlainDialog : public testing::Test {
protected:
    void SetUp() override {
        InitControls();
        dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, PlainProc, 0);
        ASSERT_NE(dlg, nullptr);
    }
    void TearDown() override {
        if (dlg && IsWindow(dlg)) DestroyWindow(dlg);
        Pump();
    }
    HWND Item(int id) const { return GetDlgItem(dlg, id); }
    HWND dlg = nullptr;
};

TEST_F(PlainDialog, DesignTextsMatchTheWizardsTexts) {
    struct Case {
        int id;
        std::wstring text;
    };
    const Case cases[] = {
        {IDC_OPTBTN0, qv::texts::kOptCaption0}, {IDC_OPTBTN1, qv::texts::kOptCaption1},
        {IDC_OPTBTN2, qv::texts::kOptCaption2}, {IDC_OPTBTN3, qv::texts::kOptCaption3},
        {IDC_OPTBTN4, qv::texts::kOptCaption4}, {IDC_OPTBTN5, qv::texts::kOptCaption5},
        {IDC_OPTBTN6, qv::texts::kOptCaption6},
        {IDC_LBLOPT0, qv::texts::kLblOpt0}, {IDC_LBLOPT1, qv::texts::kLblOpt1}, {IDC_LBLOPT2, qv::texts::kLblOpt2},
        {IDC_LBLOPT3, qv::texts::kLblOpt3}, {IDC_LBLOPT4, qv::texts::kLblOpt4}, {IDC_LBLOPT5, qv::texts::kLblOpt5},
        {IDC_LBLMSG0, qv::texts::kLblMsg0Design}, {IDC_CMDADDIN, qv::texts::kCmdAddinCaption},
        {IDC_LBLMSG1, L""}, {IDC_LABEL3, qv::texts::kLabel3}, {IDC_TXTFOLDER, L"Text1"},
        {IDC_CMDFOLDER, qv::texts::kCmdFolderCaption}, {IDC_LABEL7, qv::texts::kLabel7},
        {IDC_TXTSTEP, L"Text2"}, {IDC_LBLKEKKA, L"Label4"}, {IDC_CMDNEXT, qv::texts::kCmdNextCaption},
        {IDC_CMDEND, qv::texts::kCmdEndCaption}, {IDC_CMDMANUAL, qv::texts::kCmdManualCaption},
        {IDC_LABEL2, qv::texts::kLabel2}, {IDC_LABEL1, qv::texts::kLabel1}, {IDC_LBLVERSION, L"Label5"},
    };
    EXPECT_EQ(WindowText(dlg), qv::texts::kAppTitle);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_NE(Item(c.id), nullptr);
        EXPECT_EQ(WindowText(Item(c.id)), c.text);
    }
}

TEST_F(PlainDialog, ControlKindsAndStyles) {
    struct Case {
        int id;
        const wchar_t* cls;
        LONG_PTR typeMask, type;  // (style & typeMask) == type
        LONG_PTR required, forbidden;
    };
    const LONG_PTR kNone = 0;
    const Case cases[] = {
        {IDC_OPTBTN0, L"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON, WS_GROUP | WS_TABSTOP, kNone},
        {IDC_OPTBTN1, L"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON, kNone, WS_GROUP},
        {IDC_OPTBTN6, L"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON, kNone, WS_GROUP},
        {IDC_LBLOPT0, L"Static", kNone, kNone, WS_GROUP, kNone},
        {IDC_LSTADDIN, L"ListBox", kNone, kNone, LBS_NOTIFY | WS_TABSTOP,
         LBS_SORT | LBS_MULTIPLESEL | LBS_EXTENDEDSEL},
        {IDC_CMDADDIN, L"Button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, kNone},
        {IDC_CBXFOLDER, L"ComboBox", 3, CBS_DROPDOWN, WS_TABSTOP, CBS_SORT},
        {IDC_TXTFOLDER, L"Edit", kNone, kNone, ES_READONLY, WS_TABSTOP},
        {IDC_CMDFOLDER, L"Button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, kNone},
        {IDC_TXTSTEP, L"Edit", kNone, kNone, ES_MULTILINE | ES_READONLY, kNone},
        {IDC_FRAME1, L"Button", BS_TYPEMASK, BS_GROUPBOX, kNone, kNone},
        {IDC_TEXT1, L"Edit", kNone, kNone, ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_TABSTOP, kNone},
        {IDC_CMDNEXT, L"Button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, kNone},
        {IDC_CMDEND, L"Button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, kNone},
        {IDC_CMDMANUAL, L"Button", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, kNone},
        {IDC_LABEL1, L"Static", kNone, kNone, kNone, kNone},
        {IDC_PICTURE1, L"Static", kNone, kNone, kNone, kNone},
        {IDC_IMAGE1, L"Static", kNone, kNone, kNone, kNone},
        {IDC_IMAGE2, L"Static", kNone, kNone, kNone, kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        HWND h = Item(c.id);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(lstrcmpiW(ClassOf(h).c_str(), c.cls), 0) << ClassOf(h);
        LONG_PTR s = StyleOf(h);
        EXPECT_EQ(s & c.typeMask, c.type);
        EXPECT_EQ(s & c.required, c.required);
        EXPECT_EQ(s & c.forbidden, 0);
    }
    // The help text sits inside its frame.
    RECT frame = RectIn(dlg, Item(IDC_FRAME1)), text = RectIn(dlg, Item(IDC_TEXT1));
    EXPECT_TRUE(text.left >= frame.left && text.top >= frame.top && text.right <= frame.right &&
                text.bottom <= frame.bottom);
}

TEST_F(PlainDialog, EveryControlNameHasItsOwnControl) {
    std::vector<int> ids;
    for (int i = 0; i <= static_cast<int>(Ctl::lblVERSION); ++i) {
        int id = qv::win32::ControlId(static_cast<Ctl>(i));
        SCOPED_TRACE(i);
        EXPECT_NE(Item(id), nullptr);
        for (int seen : ids) EXPECT_NE(seen, id);
        ids.push_back(id);
    }
}

TEST_F(PlainDialog, ArrowKeysStayAmongTheModeButtons) {
    HWND h = Item(IDC_OPTBTN0);
    std::vector<int> order;
    for (int i = 0; i < 8; ++i) {
        order.push_back(GetDlgCtrlID(h));
        h = GetNextDlgGroupItem(dlg, h, FALSE);
    }
    EXPECT_EQ(order, (std::vector<int>{IDC_OPTBTN0, IDC_OPTBTN1, IDC_OPTBTN2, IDC_OPTBTN3, IDC_OPTBTN4,
                                       IDC_OPTBTN5, IDC_OPTBTN6, IDC_OPTBTN0}));
}

// ---- The version block and the manifest, as linked into this exe from the same .rc ----

std::string Resource(LPCWSTR name, LPCWSTR type) {
    HRSRC r = FindResourceW(nullptr, name, type);
    if (!r) return {};
    HGLOBAL g = LoadResource(nullptr, r);
    const char* p = static_cast<const char*>(LockResource(g));
    return p ? std::string(p, SizeofResource(nullptr, r)) : std::string();
}

bool ContainsWide(const std::string& bytes, const std::wstring& text) {
    std::string needle(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes.find(needle) != std::string::npos;
}

TEST(Resources, VersionBlockIsJapaneseAndTheProjectsVersion) {
    std::string v = Resource(MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    ASSERT_FALSE(v.empty());
    const DWORD signature = 0xFEEF04BD;
    size_t at = v.find(std::string(reinterpret_cast<const char*>(&signature), 4));
    ASSERT_NE(at, std::string::npos);
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, v.data() + at, sizeof fixed);
    EXPECT_EQ(fixed.dwFileVersionMS, MAKELONG(QV_VERSION_MINOR, QV_VERSION_MAJOR));
    EXPECT_EQ(fixed.dwFileVersionLS, MAKELONG(0, QV_VERSION_PATCH));
    EXPECT_TRUE(ContainsWide(v, L"041104B0"));
    EXPECT_TRUE(ContainsWide(v, L"Quorvel SP"));
}

TEST(Resources, ManifestAsksForCommonControls6AndPerMonitorDpi) {
    std::string m = Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_FALSE(m.empty());
    for (const char* part : {"Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "true/PM", "PerMonitorV2"}) {
        SCOPED_TRACE(part);
        EXPECT_NE(m.find(part), std::string::npos);
    }
}

// ---- Scaling with the screen's DPI ----
// Wine reads the DPI once per process, so each size is measured by a child run of this
// exe, started after the setting has been written.

const wchar_t kDpiChildVar[] = L"QV_DPI_CHILD";

// The child half: runs only inside the child process that ScalesWithTheScreenDpi starts.
TEST(DialogDpi, ChildReportsClientSize) {
    if (!GetEnvironmentVariableW(kDpiChildVar, nullptr, 0)) GTEST_SKIP() << "only run as the child of ScalesWithTheScreenDpi";
    InitControls();
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, PlainProc, 0);
    ASSERT_NE(dlg, nullptr);
    RECT r{};
    GetClientRect(dlg, &r);
    DestroyWindow(dlg);
    printf("client size: %ld %ld\n", r.right, r.bottom);
}

// Client size of the dialog in a child process started at `dpi`; {0, 0} on failure.
std::pair<long, long> ChildClientSize(DWORD dpi) {
    EXPECT_TRUE(qv::test::SetRegDword(L"Control Panel\\Desktop", L"LogPixels", dpi));
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    SetEnvironmentVariableW(kDpiChildVar, L"1");
    auto ran = qv::test::Run(exe, L"--gtest_filter=DialogDpi.ChildReportsClientSize", 60000);
    SetEnvironmentVariableW(kDpiChildVar, nullptr);
    std::pair<long, long> size{0, 0};
    size_t at = ran.out.find("client size: ");
    if (at == std::string::npos || sscanf(ran.out.c_str() + at, "client size: %ld %ld", &size.first, &size.second) != 2)
        return {0, 0};
    return size;
}

TEST(DialogDpi, ScalesWithTheScreenDpi) {
    qv::test::SavedKey setting(L"Control Panel\\Desktop");
    auto at96 = ChildClientSize(96);
    auto at144 = ChildClientSize(144);
    ASSERT_GT(at96.first, 0);
    ASSERT_GT(at144.first, 0);
    EXPECT_NEAR(static_cast<double>(at144.first) / at96.first, 1.5, 0.1);
    EXPECT_NEAR(static_cast<double>(at144.second) / at96.second, 1.5, 0.1);
}

// ---- The control adapter over the plain dialog ----

class AdapterTest : public PlainDialog {
protected:
    void SetUp() override {
        PlainDialog::SetUp();
        ui = std::make_unique<qv::win32::DialogControls>(dlg);
    }
    void TearDown() override {
        ui.reset();
        PlainDialog::TearDown();
    }
    HWND List() const { return Item(IDC_LSTADDIN); }
    std::unique_ptr<qv::win32::DialogControls> ui;
};

TEST_F(AdapterTest, ListRowsKeepInsertionOrderAndItemData) {
    const std::vector<std::wstring> rows{L"b.xla", L"a.xla", L""};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ui->ListAdd(rows[i]), i);
    ui->ListSetItemData(0, 3);
    ui->ListSetItemData(1, 1);
    ui->ListSetItemData(2, 70000);
    EXPECT_EQ(qv::test::ListRows(List()), rows);
    EXPECT_EQ(qv::test::ListItemData(List()), (std::vector<long>{3, 1, 70000}));
    EXPECT_EQ(ui->ListItemData(2), 70000);

    EXPECT_EQ(ui->ListIndex(), -1);
    EXPECT_EQ(ui->ListText(), L"");
    SendMessageW(List(), LB_SETCURSEL, 1, 0);
    EXPECT_EQ(ui->ListIndex(), 1);
    EXPECT_EQ(ui->ListText(), L"a.xla");

    ui->ListRemove(0);
    EXPECT_EQ(ui->ListCount(), 2);
    EXPECT_EQ(ui->ListItemData(0), 1);
    ui->ListClear();
    EXPECT_EQ(ui->ListCount(), 0);
    EXPECT_EQ(ui->ListIndex(), -1);
}

TEST_F(AdapterTest, RowsOutOfRangeFail) {
    ui->ListAdd(L"one.xla");
    struct Case {
        const char* name;
        void (*run)(qv::Controls&);
    };
    const Case cases[] = {
        {"ItemData(-1)", [](qv::Controls& c) { c.ListItemData(-1); }},
        {"ItemData(count)", [](qv::Controls& c) { c.ListItemData(1); }},
        {"SetItemData(count)", [](qv::Controls& c) { c.ListSetItemData(1, 5); }},
        {"Remove(count)", [](qv::Controls& c) { c.ListRemove(1); }},
        {"ComboSelect(none)", [](qv::Controls& c) { c.ComboSelect(0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.run(*ui);
            ADD_FAILURE() << "no failure";
        } catch (const qv::Failure& f) {
            EXPECT_EQ(f.What(), qv::texts::kOpWindow);
        }
    }
    EXPECT_EQ(ui->ListCount(), 1);
}

TEST_F(AdapterTest, TextsCaptionsJapaneseAndTheStartOfALongPath) {
    struct Case {
        Ctl ctl;
        std::wstring text;
    };
    const Case cases[] = {
        {Ctl::lblKEKKA, L"「テスト」のインストールが完了しました。"},
        {Ctl::txtSTEP, qv::texts::kSteps3},
        {Ctl::cmdNEXT, qv::texts::kInstall1Run},
        {Ctl::txtFOLDER, L"C:\\users\\root\\AppData\\Roaming\\Microsoft\\AddIns\\"
                         L"とても長いフォルダの名前がここに続きます\\最後のアドイン.xla"},
        {Ctl::cbxFOLDER, L"D:\\任意\\フォルダ"},
        {Ctl::Text1, qv::texts::kHelpText},
        {Ctl::lblMSG1, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.ctl));
        ui->SetText(c.ctl, c.text);
        EXPECT_EQ(ui->Text(c.ctl), c.text);
        EXPECT_EQ(WindowText(Item(qv::win32::ControlId(c.ctl))), c.text);
    }
    // A folder path too long for its box shows its start, even where the box was scrolled
    // to the end of the path before: for a one-line edit EM_GETFIRSTVISIBLELINE gives the
    // index of the first character shown.
    const HWND folder = Item(IDC_TXTFOLDER);
    const std::wstring longPath = L"C:\\Users\\yamada\\AppData\\Roaming\\Microsoft\\AddIns\\"
                                  L"部署で共有している請求書作成ツールの最新版\\seikyu.xla";
    for (const auto& before : {std::wstring(L"C:\\"), longPath}) {
        SCOPED_TRACE(before);
        ui->SetText(Ctl::txtFOLDER, before);
        const auto end = static_cast<WPARAM>(before.size());
        SendMessageW(folder, EM_SETSEL, end, static_cast<LPARAM>(end));
        SendMessageW(folder, EM_SCROLLCARET, 0, 0);
        ui->SetText(Ctl::txtFOLDER, longPath);
        EXPECT_EQ(SendMessageW(folder, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
        // The path really is wider than the box: its last character is not in view.
        RECT box{};
        GetClientRect(folder, &box);
        const LRESULT last = SendMessageW(folder, EM_POSFROMCHAR, longPath.size() - 1, 0);
        EXPECT_TRUE(last == -1 || static_cast<short>(LOWORD(last)) >= box.right) << LOWORD(last);
    }
    ui->SetCaption(L"キャプション");
    EXPECT_EQ(WindowText(dlg), L"キャプション");
}

TEST_F(AdapterTest, VisibleEnabledReadOnlyCheckedAndClose) {
    ASSERT_FALSE(IsWindowVisible(dlg));  // each control's visibility is its own even so
    EXPECT_TRUE(ui->Visible(Ctl::cmdFolder));
    ui->SetVisible(Ctl::cmdFolder, false);
    EXPECT_FALSE(ui->Visible(Ctl::cmdFolder));
    EXPECT_EQ(StyleOf(Item(IDC_CMDFOLDER)) & WS_VISIBLE, 0);
    ui->SetVisible(Ctl::cmdFolder, true);
    EXPECT_TRUE(ui->Visible(Ctl::cmdFolder));

    EXPECT_TRUE(ui->Enabled(Ctl::cmdNEXT));
    ui->SetEnabled(Ctl::cmdNEXT, false);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_CMDNEXT)));
    EXPECT_FALSE(ui->Enabled(Ctl::cmdNEXT));
    ui->SetEnabled(Ctl::cmdNEXT, true);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_CMDNEXT)));

    ui->SetReadOnly(Ctl::txtFOLDER, false);
    EXPECT_EQ(StyleOf(Item(IDC_TXTFOLDER)) & ES_READONLY, 0);
    ui->SetReadOnly(Ctl::txtFOLDER, true);
    EXPECT_NE(StyleOf(Item(IDC_TXTFOLDER)) & ES_READONLY, 0);

    EXPECT_FALSE(ui->Checked(Ctl::optBTN4));
    SendMessageW(Item(IDC_OPTBTN4), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(ui->Checked(Ctl::optBTN4));
    EXPECT_FALSE(ui->Checked(Ctl::optBTN0));

    ui->Close();
    EXPECT_FALSE(IsWindow(dlg));
}

TEST_F(AdapterTest, FocusMovesOnWhenItsControlIsHiddenOrDisabled) {
    ShowWindow(dlg, SW_SHOW);
    SetForegroundWindow(dlg);
    struct Case {
        Ctl ctl;
        bool hide;
    };
    for (const Case c : {Case{Ctl::cmdNEXT, false}, Case{Ctl::cbxFOLDER, true}, Case{Ctl::cmdADDIN, true}}) {
        SCOPED_TRACE(static_cast<int>(c.ctl));
        HWND h = Item(qv::win32::ControlId(c.ctl));
        SetFocus(h);
        ASSERT_TRUE(GetFocus() == h || IsChild(h, GetFocus()));
        if (c.hide) ui->SetVisible(c.ctl, false);
        else ui->SetEnabled(c.ctl, false);
        HWND now = GetFocus();
        EXPECT_NE(now, nullptr);
        EXPECT_NE(now, h);
        EXPECT_FALSE(IsChild(h, now));
    }
}

TEST_F(AdapterTest, BoundsInDialogClientPixels) {
    qv::Rect combo = ui->Bounds(Ctl::cbxFOLDER);
    RECT r = RectIn(dlg, Item(IDC_CBXFOLDER));
    EXPECT_EQ(combo, (qv::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}));
    EXPECT_GT(combo.width, 0);
    EXPECT_GT(combo.height, 0);

    ui->SetBounds(Ctl::txtFOLDER, combo);
    EXPECT_EQ(ui->Bounds(Ctl::txtFOLDER), combo);
    EXPECT_TRUE(SameRect(RectIn(dlg, Item(IDC_TXTFOLDER)), r));

    // Moving the combo box keeps its drop-down list.
    RECT before{}, after{};
    SendMessageW(Item(IDC_CBXFOLDER), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&before));
    qv::Rect moved{combo.left + 5, combo.top + 3, combo.width - 10, combo.height};
    ui->SetBounds(Ctl::cbxFOLDER, moved);
    EXPECT_EQ(ui->Bounds(Ctl::cbxFOLDER), moved);
    SendMessageW(Item(IDC_CBXFOLDER), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&after));
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_EQ(after.bottom - before.bottom, 3);
}

TEST_F(AdapterTest, ComboEntriesSelectionAndFreeText) {
    HWND combo = Item(IDC_CBXFOLDER);
    ui->ComboAdd(L"C:\\Users\\u\\AddIns");
    ui->ComboAdd(L"C:\\Office\\Library");
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    ui->ComboSelect(1);
    EXPECT_EQ(ui->Text(Ctl::cbxFOLDER), L"C:\\Office\\Library");
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    ui->SetText(Ctl::cbxFOLDER, L"E:\\共有");
    EXPECT_EQ(ui->Text(Ctl::cbxFOLDER), L"E:\\共有");
    ui->ComboClear();
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(AdapterTest, ToolTipsAddAndReplace) {
    HWND tip = ui->ToolTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(ClassOf(tip), TOOLTIPS_CLASSW);
    ui->SetToolTip(Ctl::cmdNEXT, qv::texts::kNextTip3);
    EXPECT_EQ(ToolTipText(tip, dlg, Item(IDC_CMDNEXT)), qv::texts::kNextTip3);
    ui->SetToolTip(Ctl::cmdNEXT, qv::texts::kNextTip6);
    EXPECT_EQ(ToolTipText(tip, dlg, Item(IDC_CMDNEXT)), qv::texts::kNextTip6);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    ui->SetToolTip(Ctl::cbxFOLDER, qv::texts::kCbxFolderTip);
    HWND combo = Item(IDC_CBXFOLDER);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    EXPECT_EQ(ToolTipText(tip, dlg, combo), qv::texts::kCbxFolderTip);
    EXPECT_EQ(ToolTipText(tip, dlg, info.hwndItem), qv::texts::kCbxFolderTip);
}

// ---- The real dialog procedure with fake services ----

struct RecordingTopLevel : qv::win32::TopLevel {
    std::vector<qv::FailureInfo> reports;
    std::vector<HWND> owners;
    int closed = 0;
    void ReportAndExit(HWND owner, const qv::FailureInfo& f) override {
        owners.push_back(owner);
        reports.push_back(f);
    }
    void WindowClosed() override { ++closed; }
};

class MainDialogTest : public testing::Test {
protected:
    void SetUp() override { InitControls(); }
    // A failure report that the test did not take (std::exchange) fails it.
    void TearDown() override {
        if (dlg && IsWindow(dlg)) DestroyWindow(dlg);
        Pump();
        EXPECT_TRUE(top.reports.empty()) << "a failure report the test did not take";
    }
    // Showing costs Wine about two seconds when the window goes again, so only the tests
    // about the keyboard focus show it.
    void Open(bool show = false) {
        dlg = qv::win32::CreateMainDialog(GetModuleHandleW(nullptr), w.svc, w.st, top);
        ASSERT_NE(dlg, nullptr);
        if (show) {
            ShowWindow(dlg, SW_SHOW);
            SetForegroundWindow(dlg);
        }
        Pump();
    }
    HWND Item(int id) const { return GetDlgItem(dlg, id); }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // Selects a row as the user does: the list tells the dialog.
    void SelectRow(int row) {
        SendMessageW(Item(IDC_LSTADDIN), LB_SETCURSEL, row, 0);
        SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_LSTADDIN, LBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(IDC_LSTADDIN)));
    }
    std::vector<std::wstring> Rows() const { return qv::test::ListRows(Item(IDC_LSTADDIN)); }
    std::vector<long> RowData() const { return qv::test::ListItemData(Item(IDC_LSTADDIN)); }
    void AddFile(const std::wstring& path, bool done = false) { w.st.strSELFILE.push_back({path, done}); }
    void AddAddin(const std::wstring& folder, const std::wstring& name, const std::wstring& title, bool installed) {
        w.excel.addins.push_back({name, folder + L"\\" + name, title, folder, installed});
        w.fs.files[folder + L"\\" + name] = L"x";
        w.details.Add(folder + L"\\" + name, L"someone", title);
    }

    qv::fake::World w;
    RecordingTopLevel top;
    HWND dlg = nullptr;
};

TEST_F(MainDialogTest, LoadFillsTheWindowWithItsTipsAndRunsModeZeroWithTheFocusOnItsButton) {
    AddFile(L"C:\\A\\one.xla");
    AddFile(L"C:\\B\\two.xla", true);
    AddFile(L"three.xla");
    ASSERT_NO_FATAL_FAILURE(Open(true));
    EXPECT_EQ(WindowText(dlg), qv::texts::kAppTitle);
    // The programs' icon in the title bar and the taskbar, at the sizes the system asks for.
    for (auto [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
        auto icon = reinterpret_cast<HICON>(SendMessageW(dlg, WM_GETICON, which, 0));
        ASSERT_NE(icon, nullptr) << "WM_GETICON " << which;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, GetSystemMetrics(metric)) << "WM_GETICON " << which;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    EXPECT_EQ(Text(IDC_TEXT1), qv::texts::kHelpText);
    EXPECT_EQ(Text(IDC_LBLVERSION), L"Ver 1.0.2");
    EXPECT_EQ(Text(IDC_TXTFOLDER), L"");
    EXPECT_TRUE(SameRect(RectIn(dlg, Item(IDC_TXTFOLDER)), RectIn(dlg, Item(IDC_CBXFOLDER))));
    HWND tip = qv::win32::MainDialogToolTip(dlg);
    ASSERT_NE(tip, nullptr);
    // The design's tips, and mode zero's on the Next button.
    for (auto [id, text] : {std::pair{IDC_OPTBTN0, qv::texts::kOptTip0}, {IDC_CMDADDIN, qv::texts::kCmdAddinTip},
                            {IDC_CBXFOLDER, qv::texts::kCbxFolderTip}, {IDC_TXTFOLDER, qv::texts::kTxtFolderTip},
                            {IDC_CMDEND, qv::texts::kCmdEndTip}, {IDC_CMDMANUAL, qv::texts::kCmdManualTip},
                            {IDC_CMDNEXT, qv::texts::kNextTip0}})
        EXPECT_EQ(ToolTipText(tip, dlg, Item(id)), text) << id;
    LOGFONTW body{}, banner{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0)), sizeof body, &body);
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Item(IDC_LABEL1), WM_GETFONT, 0, 0)), sizeof banner, &banner);
    EXPECT_GT(std::abs(banner.lfHeight), std::abs(body.lfHeight));
    EXPECT_GE(banner.lfWeight, FW_BOLD);
    EXPECT_EQ(GetFocus(), Item(IDC_OPTBTN0));
    EXPECT_TRUE(Checked(IDC_OPTBTN0));
    for (int id = IDC_OPTBTN1; id <= IDC_OPTBTN6; ++id) EXPECT_FALSE(Checked(id)) << id;
    // The mode switch replaced the design texts and left out the installed entry.
    EXPECT_EQ(Text(IDC_LBLMSG0), qv::texts::kListHeader0);
    EXPECT_EQ(Text(IDC_TXTSTEP), qv::texts::kSteps0);
    EXPECT_EQ(Text(IDC_CMDNEXT), qv::texts::kInstall1Run);
    EXPECT_EQ(Text(IDC_LBLKEKKA), L"");
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"one.xla", L"three.xla"}));
    EXPECT_EQ(RowData(), (std::vector<long>{1, 3}));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_CMDNEXT)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_CBXFOLDER)));
    EXPECT_EQ(w.excel.instancesCreated, 0);
}

TEST_F(MainDialogTest, TabOrder) {
    AddFile(L"C:\\A\\one.xla");
    ASSERT_NO_FATAL_FAILURE(Open(true));
    // Every control of the focus order shown and enabled, whatever the mode left hidden.
    for (int id : {IDC_CBXFOLDER, IDC_CMDFOLDER, IDC_CMDADDIN, IDC_CMDNEXT}) {
        ShowWindow(Item(id), SW_SHOWNA);
        EnableWindow(Item(id), TRUE);
    }
    const std::vector<int> expected{IDC_OPTBTN0, IDC_LSTADDIN, IDC_CMDADDIN, IDC_CBXFOLDER, IDC_CMDFOLDER,
                                    IDC_TEXT1, IDC_CMDNEXT, IDC_CMDEND, IDC_CMDMANUAL, IDC_OPTBTN0};
    std::vector<int> walked;
    HWND h = Item(IDC_OPTBTN0);
    for (size_t i = 0; i < expected.size(); ++i) {
        walked.push_back(GetDlgCtrlID(h));
        h = GetNextDlgTabItem(dlg, h, FALSE);
    }
    EXPECT_EQ(walked, expected);

    // The Tab key through the dialog manager goes the same way.
    SetFocus(Item(IDC_OPTBTN0));
    PressKey(dlg, VK_TAB);
    EXPECT_EQ(GetFocus(), Item(IDC_LSTADDIN));
    PressKey(dlg, VK_TAB);
    EXPECT_EQ(GetFocus(), Item(IDC_CMDADDIN));
}

TEST_F(MainDialogTest, ArrowKeyChoosesTheNextMode) {
    AddAddin(L"C:\\Lib", L"tool.xla", L"Tool", false);
    ASSERT_NO_FATAL_FAILURE(Open(true));
    SetFocus(Item(IDC_OPTBTN0));
    PressKey(dlg, VK_DOWN);
    EXPECT_EQ(GetFocus(), Item(IDC_OPTBTN1));
    EXPECT_TRUE(Checked(IDC_OPTBTN1));
    EXPECT_FALSE(Checked(IDC_OPTBTN0));
    EXPECT_EQ(Text(IDC_LBLMSG0), qv::texts::kListHeader1);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Tool"}));
    EXPECT_EQ(w.excel.instancesCreated, 1);
    EXPECT_EQ(w.excel.instancesAlive, 0);
}

TEST_F(MainDialogTest, ModeRunsOnlyWhenItsButtonBecomesChosen) {
    AddAddin(L"C:\\Lib", L"tool.xla", L"Tool", true);
    ASSERT_NO_FATAL_FAILURE(Open());
    Click(IDC_OPTBTN3);
    EXPECT_TRUE(Checked(IDC_OPTBTN3));
    EXPECT_EQ(Text(IDC_LBLMSG0), qv::texts::kListHeader3);
    EXPECT_EQ(w.excel.instancesCreated, 1);
    Click(IDC_OPTBTN3);
    EXPECT_EQ(w.excel.instancesCreated, 1);
    Click(IDC_OPTBTN6);
    EXPECT_EQ(w.excel.instancesCreated, 2);
    EXPECT_EQ(Text(IDC_CMDNEXT), qv::texts::kCopyToClipboard);
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"Tool"}));
    EXPECT_EQ(RowData(), (std::vector<long>{1}));
    EXPECT_EQ(w.excel.instancesAlive, 0);
}

TEST_F(MainDialogTest, FailureInAHandlerReachesTheTopLevelAndEndsTheWindow) {
    AddAddin(L"C:\\Lib", L"tool.xla", L"Tool", true);
    ASSERT_NO_FATAL_FAILURE(Open());
    w.excel.failing.insert(L"Create");
    Click(IDC_OPTBTN2);
    auto reports = std::exchange(top.reports, {});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0],
              (qv::FailureInfo{qv::texts::kOpExcel + L" (Create)"s, L"fake failure", static_cast<long>(0x800A03ECL)}));
    EXPECT_EQ(top.owners[0], dlg);
    EXPECT_FALSE(IsWindow(dlg));
    EXPECT_EQ(top.closed, 1);
}

TEST_F(MainDialogTest, ListSelectionRunsTheRowHandler) {
    AddFile(L"C:\\A\\one.xla");
    w.st.strADDINFOLDER[0] = L"C:\\Users\\u\\AddIns";
    w.st.strADDINFOLDER[1] = L"C:\\Office\\Library";
    w.fs.files[L"C:\\A\\one.xla"] = L"x";
    w.details.Add(L"C:\\A\\one.xla", L"someone", L"One");
    ASSERT_NO_FATAL_FAILURE(Open());
    SelectRow(0);
    // A new install: the folder choice offers Excel's two add-in folders, the title shows.
    HWND combo = Item(IDC_CBXFOLDER);
    EXPECT_NE(StyleOf(combo) & WS_VISIBLE, 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(WindowText(combo), L"C:\\Users\\u\\AddIns");
    EXPECT_EQ(Text(IDC_LBLMSG1), L"One");
    EXPECT_GE(w.excel.instancesCreated, 1);
    EXPECT_EQ(w.excel.instancesAlive, 0);
}

// The dialog's cursor as the mouse over it would set it: the wait cursor while a handler works.
HCURSOR CursorOverDialog(HWND dlg) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(dlg, WM_SETCURSOR, reinterpret_cast<WPARAM>(dlg), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
}

// Looks at the dialog's cursor while a handler reads a file's details, that is, while the
// handler shows the busy cursor and messages can still reach the window.
class DetailsCursorProbe : public qv::fake::FakeDetailsProvider {
public:
    std::unique_ptr<qv::FileDetails> Open(const std::wstring& folder, const std::wstring& name) override {
        if (dlg) {
            cursorsSeen.push_back(CursorOverDialog(dlg));
            busySeen.push_back(qv::win32::MainDialogBusy(dlg));
        }
        return FakeDetailsProvider::Open(folder, name);
    }
    HWND dlg = nullptr;
    std::vector<HCURSOR> cursorsSeen;
    std::vector<bool> busySeen;
};

// Looks at the dialog's cursor while one of the program's message boxes waits for the user.
// The box's own window shows the arrow once the mouse is over it.
class MessageBoxCursorProbe : public qv::fake::FakeMessageBoxes {
public:
    int Show(const std::wstring& text, const std::wstring& title, int flags) override {
        cursorAtShow = GetCursor();
        cursorOverDialog = CursorOverDialog(dlg);
        busyWhileShown = qv::win32::MainDialogBusy(dlg);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return FakeMessageBoxes::Show(text, title, flags);
    }
    HWND dlg = nullptr;
    HCURSOR cursorAtShow = nullptr, cursorOverDialog = nullptr;
    bool busyWhileShown = true;
};

// Sets the wait cursor as the program's busy cursor does, and notes the cursor the handler
// has when its work ends.
class CursorSettingBusy : public qv::BusyCursor {
public:
    void Begin() override {
        if (depth++ == 0) SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    }
    void End() override {
        if (--depth == 0) {
            cursorAtEnd = GetCursor();
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        }
    }
    int depth = 0;
    HCURSOR cursorAtEnd = nullptr;
};

// A row whose file has no title: the handler reads the file's details, then warns.
TEST_F(MainDialogTest, WaitCursorWhileAHandlerWorksArrowWhileItsMessageBoxWaits) {
    DetailsCursorProbe details;
    MessageBoxCursorProbe boxes;
    CursorSettingBusy busy;
    qv::WindowServices svc{{w.launcher, w.fs, w.reg, w.drives, details, w.sys, w.accounts}, boxes, w.clip, w.shell, busy};
    AddFile(L"C:\\A\\untitled.xla");
    w.st.strADDINFOLDER[1] = L"C:\\Office\\Library";
    details.Add(L"C:\\A\\untitled.xla", L"someone", L"");
    dlg = qv::win32::CreateMainDialog(GetModuleHandleW(nullptr), svc, w.st, top);
    ASSERT_NE(dlg, nullptr);
    details.dlg = boxes.dlg = dlg;
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), wait = LoadCursorW(nullptr, IDC_WAIT);
    EXPECT_EQ(CursorOverDialog(dlg), arrow);
    EXPECT_FALSE(qv::win32::MainDialogBusy(dlg));

    SelectRow(0);
    ASSERT_FALSE(details.cursorsSeen.empty());
    EXPECT_EQ(details.cursorsSeen[0], wait);
    EXPECT_TRUE(details.busySeen[0]);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.cursorAtShow, arrow);
    EXPECT_EQ(boxes.cursorOverDialog, arrow);
    EXPECT_FALSE(boxes.busyWhileShown);
    EXPECT_EQ(busy.cursorAtEnd, wait) << "the handler went on working after the box closed";
    EXPECT_EQ(busy.depth, 0);
    EXPECT_FALSE(qv::win32::MainDialogBusy(dlg));
}

// The exit button, the close box and Escape unload the window and touch nothing else.
TEST_F(MainDialogTest, ExitButtonCloseBoxAndEscapeUnloadTheWindow) {
    AddFile(L"C:\\A\\one.xla");
    struct Case {
        const char* name;
        int item;  // 0: the dialog itself
        UINT msg;
        WPARAM wp;
    };
    for (const Case c : {Case{"exit button", IDC_CMDEND, BM_CLICK, 0}, Case{"close box", 0, WM_CLOSE, 0},
                         Case{"escape", 0, WM_COMMAND, IDCANCEL}, Case{"system close", 0, WM_SYSCOMMAND, SC_CLOSE}}) {
        SCOPED_TRACE(c.name);
        top = {};
        ASSERT_NO_FATAL_FAILURE(Open());
        SendMessageW(c.item ? Item(c.item) : dlg, c.msg, c.wp, 0);
        EXPECT_FALSE(IsWindow(dlg));
        EXPECT_EQ(top.closed, 1);
        EXPECT_TRUE(top.reports.empty());
    }
    EXPECT_TRUE(w.excel.log.empty());
    EXPECT_TRUE(w.fs.log.empty());
    EXPECT_TRUE(w.reg.log.empty());
    EXPECT_TRUE(w.msg.shown.empty());
}

}  // namespace
