// The end-to-end fixture's set-up, tear-down and control helpers.
#include "e2e_world.h"

#include <cstdio>

#include "window/texts.h"

namespace qv::e2e {

namespace {

// The pictures show the folders a user would have, not the tests' scratch folder under
// %TEMP%: a profile of its own, which no other test uses, emptied before and after.
constexpr const wchar_t* kPictureProfile = L"C:\\Users\\yamada";

// Creates `path` and every missing folder above it.
bool CreateTree(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    return CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

}  // namespace

void E2eTest::SetUp() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    com_ = std::make_unique<win32::ComInit>();
    std::wstring problem = test::StandInRegistrationProblem();
    ASSERT_TRUE(problem.empty()) << test::Narrow(problem);
    test::EndLeftoverStandIns();

    SaveAndClear(OptionsKey());
    SaveAndClear(ManagerKey());
    savedKeys_.push_back(std::make_unique<SavedKey>(kAnswersKey));
    RegDeleteTreeW(HKEY_CURRENT_USER, kAnswersKey);

    if (TakingScreenshots()) {
        root_ = kPictureProfile;
        test::RemoveTree(root_);
        user_ = root_ + L"\\AppData\\Roaming\\Microsoft\\AddIns";
        lib_ = root_ + L"\\AppData\\Local\\Programs\\Microsoft Office\\root\\Office16\\Library";
        other_ = root_ + L"\\Documents\\Excelアドイン";
        src_ = root_ + L"\\Downloads";
    } else {
        scratch_ = std::make_unique<test::ScratchFolder>();
        root_ = scratch_->Path();
        user_ = root_ + L"\\user";
        lib_ = root_ + L"\\lib";
        other_ = root_ + L"\\other";
        src_ = root_ + L"\\src";
    }
    for (const auto& dir : {UserDir(), LibDir(), OtherDir(), SrcDir()})
        ASSERT_TRUE(CreateTree(dir)) << test::Narrow(dir);
    settings_ = std::make_unique<test::StandInSettings>();
    ASSERT_TRUE(settings_->Set(L"Version", L"11.0"));
    ASSERT_TRUE(settings_->Set(L"UserLibraryPath", UserDir() + L"\\"));
    ASSERT_TRUE(settings_->Set(L"LibraryPath", LibDir()));

    // What start-up learns from Excel 2003 with these settings.
    st_.intEXCELVER = 11;
    st_.strADDINFOLDER[0] = UserDir();
    st_.strADDINFOLDER[1] = LibDir();
}

void E2eTest::SaveAndClear(const std::wstring& key) {
    savedKeys_.push_back(std::make_unique<SavedKey>(key));
    ClearValues(key);
}

void E2eTest::AsExcel(int major) {
    excelMajor_ = major;
    SaveAndClear(OptionsKey());
    SaveAndClear(ManagerKey());
    ASSERT_TRUE(settings_->Set(L"Version", std::to_wstring(major) + L".0"));
    st_.intEXCELVER = major;
}

void E2eTest::TearDown() {
    if (dlg_ && IsWindow(dlg_)) DestroyWindow(dlg_);
    Pump();
    for (const auto& f : top_.reports)
        ADD_FAILURE() << "failure report: " << test::Narrow(f.operation) << ": " << test::Narrow(f.detail) << " (0x"
                      << std::hex << static_cast<unsigned long>(f.code) << std::dec << ")";
    for (const auto& m : msg_.shown) ADD_FAILURE() << "message box: " << test::Narrow(m.text);
    // A stand-in left by a failing test is ended so that it cannot disturb the next one.
    if (!NoStandInLeft()) {
        ADD_FAILURE() << "a stand-in was still running at the end of the test";
        test::EndLeftoverStandIns();
    }
    svc_.reset();
    details_.reset();
    cappedLauncher_.reset();
    launcher_.reset();
    settings_.reset();
    while (!savedKeys_.empty()) savedKeys_.pop_back();  // the last saved goes back first
    com_.reset();
    if (!scratch_) test::RemoveTree(root_);
    scratch_.reset();
}

void E2eTest::ExpectBox(const std::wstring& text, int flags) {
    const auto shown = std::exchange(msg_.shown, {});
    ASSERT_EQ(shown.size(), 1u) << "expected: " << test::Narrow(text);
    EXPECT_EQ(shown[0].text, text);
    EXPECT_EQ(shown[0].title, texts::kAppTitle);
    EXPECT_EQ(shown[0].flags, flags);
}

void E2eTest::ExpectUnchanged(const WorldState& before, bool onOrderKept) const {
    if (onOrderKept) EXPECT_EQ(Options(), before.options);
    else EXPECT_EQ(SwitchedOn(Options()), SwitchedOn(before.options));
    EXPECT_EQ(Manager(), before.manager);
    EXPECT_TRUE(Files() == before.files) << "files changed";
}

void E2eTest::Screenshot(const std::wstring& name) {
    if (!TakingScreenshots()) return;
    std::vector<std::wstring> record;
    if (Shown(IDC_CBXFOLDER)) record.push_back(L"folder\t" + Text(IDC_CBXFOLDER));
    if (Shown(IDC_TXTFOLDER)) record.push_back(L"folder\t" + Text(IDC_TXTFOLDER));
    for (const auto& row : st_.strSELFILE)
        if (!row.Path.empty()) record.push_back(L"source\t" + row.Path);
    if (!st_.strSRCFILE.empty()) record.push_back(L"source\t" + st_.strSRCFILE);
    EXPECT_TRUE(SaveScreenshot(dlg_, name, record)) << test::Narrow(name);
}

std::wstring E2eTest::MakeXla(const std::wstring& folder, const std::wstring& name, const std::wstring& title,
                              const std::wstring& author) {
    std::wstring path = folder + L"\\" + name;
    EXPECT_TRUE(win32::WriteXlaFixture(path, title, author)) << test::Narrow(path);
    return path;
}

void E2eTest::RegisterOn(const std::wstring& fullPath, bool bare) {
    int n = 0;
    for (const auto& [name, data] : Options())
        if (name.rfind(L"OPEN", 0) == 0) ++n;
    std::wstring valueName = n == 0 ? L"OPEN" : L"OPEN" + std::to_wstring(n);
    std::wstring data = bare ? L"\"" + fullPath.substr(fullPath.rfind(L'\\') + 1) + L"\"" : L"/R \"" + fullPath + L"\"";
    SetString(OptionsKey(), valueName, data);
}

void E2eTest::BuildStandardWorld() {
    RegisterOn(MakeXla(UserDir(), L"usr.xla", L"User Tool"), true);
    MakeXla(LibDir(), L"lib.xla", L"Library Tool");
    RegisterOn(MakeXla(LibDir(), L"ms.xla", L"MS Tool", L"Microsoft Corporation"), true);
    RegisterOn(MakeXla(OtherDir(), L"oth.xla", L"Other Tool"));
    RegisterOff(MakeXla(OtherDir(), L"off.xla", L"Off Tool"));
    RegisterOn(OtherDir() + L"\\gone.xla");
}

void E2eTest::RegisterOff(const std::wstring& fullPath) { SetString(ManagerKey(), fullPath, L""); }

void E2eTest::AnswerOpen(const std::vector<std::wstring>& paths) {
    ASSERT_TRUE(test::SetRegMulti(kAnswersKey, L"GetOpenFilename", paths));
}

void E2eTest::AnswerSaveAs(const std::wstring& path) { SetString(kAnswersKey, L"GetSaveAsFilename", path); }

void E2eTest::Open() {
    ASSERT_EQ(openCount_++, 0) << "one window per test";
    if (!svc_) {
        launcher_ = excel::com::MakeLauncher(launcherOptions_);
        cappedLauncher_ = std::make_unique<CappedWaitLauncher>(*launcher_, exitWaitCapMs_);
        details_ = win32::MakeDetailsProvider();
        svc_ = std::make_unique<WindowServices>(
            WindowServices{{*cappedLauncher_, fs_, reg_, drives_, *details_, sys_, accounts_}, msg_, clip_, shell_, busy_});
    }
    dlg_ = win32::CreateMainDialog(GetModuleHandleW(nullptr), *svc_, st_, top_);
    ASSERT_NE(dlg_, nullptr);
    clip_.SetOwner(dlg_);
    shell_.SetOwner(dlg_);
    Pump();
}

void E2eTest::OpenStandard(int mode) {
    BuildStandardWorld();
    ASSERT_NO_FATAL_FAILURE(Open());
    if (mode >= 0) Mode(mode);
}

void E2eTest::SelectRow(int row) {
    HWND list = Item(IDC_LSTADDIN);
    ASSERT_NE(SendMessageW(list, LB_SETCURSEL, row, 0), LB_ERR) << "row " << row;
    SendMessageW(dlg_, WM_COMMAND, MAKEWPARAM(IDC_LSTADDIN, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

int E2eTest::RowOf(const std::wstring& text) const {
    auto rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == text) return static_cast<int>(i);
    return -1;
}

void E2eTest::SelectRow(const std::wstring& text) {
    int row = RowOf(text);
    ASSERT_GE(row, 0) << "no row " << test::Narrow(text);
    SelectRow(row);
}

std::vector<std::wstring> E2eTest::Rows() const { return test::ListRows(Item(IDC_LSTADDIN)); }

std::vector<long> E2eTest::RowData() const { return test::ListItemData(Item(IDC_LSTADDIN)); }

std::vector<std::wstring> E2eTest::ComboEntries() const { return test::ComboRows(Item(IDC_CBXFOLDER)); }

std::map<std::wstring, ListedAddin> E2eTest::Listed() const {
    EXPECT_TRUE(NoStandInLeft()) << "the list as Excel wrote it on its way out";
    bool ran = false;
    std::map<std::wstring, ListedAddin> byTitle;
    for (auto& a : StandInList(&ran)) byTitle[a.title] = a;
    EXPECT_TRUE(ran) << "excel-standin.exe /list did not run";
    return byTitle;
}

bool SaveScreenshot(HWND dialog, const std::wstring& name, const std::vector<std::wstring>& record) {
    const char* env = std::getenv("QV_SCREENSHOTS");
    if (!env || !*env) return true;
    std::wstring folder = env[0] == '/' ? test::WindowsPath(env) : test::Widen(env);
    CreateDirectoryW(folder.c_str(), nullptr);

    ShowWindow(dialog, SW_SHOW);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(dialog);
    UpdateWindow(dialog);
    for (int i = 0; i < 10; ++i) {
        Pump();
        Sleep(50);
    }
    // The private X server has no window manager to hand the focus over, so the caption is
    // drawn as the active window's, as the user sees the window they work in.
    SendMessageW(dialog, WM_NCACTIVATE, TRUE, 0);
    RedrawWindow(dialog, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    GdiFlush();
    Sleep(100);
    RECT r{};
    GetWindowRect(dialog, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BOOL copied = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);

    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;  // bottom-up, as a BMP file stores it
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biCompression = BI_RGB;
    const int stride = ((w * 3 + 3) / 4) * 4;
    std::string pixels(static_cast<size_t>(stride) * h, '\0');
    int lines = GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!copied || lines != h) return false;

    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof fh + sizeof bi;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
    bi.biSizeImage = static_cast<DWORD>(pixels.size());
    FILE* f = _wfopen((folder + L"\\" + name + L".bmp").c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&bi, sizeof bi, 1, f) == 1 &&
              fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
    fclose(f);

    std::string text;
    for (const auto& l : record) text += test::Narrow(l) + "\n";
    FILE* out = _wfopen((folder + L"\\" + name + L".txt").c_str(), L"wb");
    if (!out) return false;
    ok = fwrite(text.data(), 1, text.size(), out) == text.size() && ok;
    fclose(out);
    return ok;
}

}  // namespace qv::e2e
