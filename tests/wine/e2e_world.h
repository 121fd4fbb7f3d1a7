#pragma once
// End-to-end fixture: the real main dialog over the real Win32 services, the COM launcher
// against the registered stand-in and the real details provider. Only message boxes and the
// program's exit are recorded and answered by the test. Each test builds the stand-in's
// world (its folders, add-in files and registry values) and gets everything back afterwards.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "excel/com/com_excel.h"
#include "fileinfo/win32/details_provider.h"
#include "fileinfo/win32/summary_writer.h"
#include "platform/win32/handles.h"
#include "platform/win32/platform.h"
#include "control_probe.h"
#include "wine_env.h"
#include "window/failure_report.h"
#include "startup/state.h"
#include "window/win32/dialog.h"
#include "window/win32/resource.h"
#include "window/win32/top_level.h"
#include "window/wizard.h"

namespace qv::e2e {

// Where an Excel of version `major`.0 keeps its add-in list under HKCU.
inline std::wstring ExcelKey(int major) { return L"Software\\Microsoft\\Office\\" + std::to_wstring(major) + L".0\\Excel"; }
inline constexpr const wchar_t* kAnswersKey = L"Software\\ExcelStandIn\\Answers";

// ---- Registry ----

using test::ClearValues;
using test::RawValue;
using test::RawValues;
using test::ReadRawValues;
using test::SavedKey;

// The REG_SZ values of a key as name -> text.
inline std::map<std::wstring, std::wstring> StringValues(const std::wstring& key) {
    std::map<std::wstring, std::wstring> out;
    for (const auto& [name, v] : ReadRawValues(key)) {
        if (v.type != REG_SZ) continue;
        std::wstring text(reinterpret_cast<const wchar_t*>(v.bytes.data()), v.bytes.size() / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        out[name] = text;
    }
    return out;
}

inline void SetString(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
    ASSERT_TRUE(test::SetRegString(key, name, data)) << test::Narrow(key);
}

// Excel's OPEN values as the add-ins they switch on, leaving out their numbering: switching
// an add-in off and on again moves it to the end of the numbering, as Excel does.
inline std::multiset<std::wstring> SwitchedOn(const std::map<std::wstring, std::wstring>& options) {
    std::multiset<std::wstring> on;
    for (const auto& [name, data] : options)
        if (name.rfind(L"OPEN", 0) == 0) on.insert(data);
    return on;
}

// ---- Files ----

struct FileState {
    std::string bytes;
    DWORD attributes = 0;
    bool operator==(const FileState&) const = default;
};
using FileTree = std::map<std::wstring, FileState>;

// Every file below `folder` (hidden ones and temporary leftovers included), by full path.
inline void ReadTree(const std::wstring& folder, FileTree& out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = folder + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ReadTree(path, out);
        else out[path] = {test::ReadAll(path), fd.dwFileAttributes};
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// ---- The stand-in's own view ----

// The real launcher, with the removals' wait for Excel's end bounded by the test.
class CappedWaitLauncher : public excel::Launcher {
public:
    CappedWaitLauncher(excel::Launcher& inner, const int& capMs) : inner_(inner), capMs_(capMs) {}
    std::unique_ptr<excel::Application> Attach() override { return inner_.Attach(); }
    std::unique_ptr<excel::Application> Create() override { return inner_.Create(); }
    bool WaitForInstancesToEnd(int timeoutMs) override {
        return inner_.WaitForInstancesToEnd(capMs_ > 0 && capMs_ < timeoutMs ? capMs_ : timeoutMs);
    }
    unsigned long WaitForEarlierInstances() override { return inner_.WaitForEarlierInstances(); }
    bool IsOwnInstance(excel::Application& a) override { return inner_.IsOwnInstance(a); }
    excel::OtherExcelWindow FindOtherExcelWindow() override { return inner_.FindOtherExcelWindow(); }
    bool WaitForProcessToEnd(unsigned long pid, int ms) override { return inner_.WaitForProcessToEnd(pid, ms); }

private:
    excel::Launcher& inner_;
    const int& capMs_;
};

struct ListedAddin {
    std::wstring name, fullName, title, path;
    bool installed = false;
    bool operator==(const ListedAddin&) const = default;
};

inline std::vector<std::wstring> SplitOn(const std::wstring& text, wchar_t sep) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos) return parts;
        start = at + 1;
    }
}

// What a fresh stand-in lists (`excel-standin.exe /list`); empty when it could not be run.
inline std::vector<ListedAddin> StandInList(bool* ran = nullptr) {
    if (ran) *ran = false;
    std::vector<ListedAddin> list;
    test::Ran r = test::Run(test::StandInExe(), L"/list", 30000);
    if (!r.exit) return list;
    if (ran) *ran = true;
    for (std::wstring l : SplitOn(test::Widen(r.out), L'\n')) {
        if (!l.empty() && l.back() == L'\r') l.pop_back();
        if (l.empty()) continue;
        if (l[0] == L'[') break;  // the registry values behind the list follow
        auto f = SplitOn(l, L'|');
        if (f.size() != 5) continue;
        list.push_back({f[0], f[1], f[2], f[3], f[4] == L"True"});
    }
    return list;
}

// ---- What the test answers instead of the user ----

struct ShownMessage {
    std::wstring text, title;
    int flags = 0;
};

class RecordingMessageBoxes : public MessageBoxes {
public:
    std::vector<ShownMessage> shown;
    std::vector<int> answers;  // given in order; then No to a question, OK to anything else
    int Show(const std::wstring& text, const std::wstring& title, int flags) override {
        shown.push_back({text, title, flags});
        if (!answers.empty()) {
            const int a = answers.front();
            answers.erase(answers.begin());
            return a;
        }
        return flags == kMbYesNoQuestion ? kIdNo : 1;
    }
};

class RecordingTopLevel : public win32::TopLevel {
public:
    std::vector<FailureInfo> reports;
    int closed = 0;
    void ReportAndExit(HWND, const FailureInfo& f) override { reports.push_back(f); }
    void WindowClosed() override { ++closed; }
};

// ---- The fixture ----

using test::Pump;
using test::WindowText;

// True when the run takes pictures for the manual and review (scripts/screenshots.sh and
// scripts/manual.sh set QV_SCREENSHOTS).
inline bool TakingScreenshots() {
    const char* env = std::getenv("QV_SCREENSHOTS");
    return env && *env;
}

// Saves the dialog as it is on the screen to <QV_SCREENSHOTS>\<name>.bmp, and beside it
// <name>.txt, UTF-8, one `what<TAB>path` line for every path the picture shows or came from,
// so that the manual's check can refuse a picture of a test's scratch folder. Does nothing
// when QV_SCREENSHOTS is not set.
bool SaveScreenshot(HWND dialog, const std::wstring& name, const std::vector<std::wstring>& record);

class E2eTest : public testing::Test {
protected:
    // Excel's two default folders, a third, ordinary one, and one for files to install, all
    // inside one root: the scratch folder, or, for pictures, a user profile of its own.
    const std::wstring& UserDir() const { return user_; }
    const std::wstring& LibDir() const { return lib_; }
    const std::wstring& OtherDir() const { return other_; }
    const std::wstring& SrcDir() const { return src_; }
    const std::wstring& Root() const { return root_; }

    void SetUp() override;
    void TearDown() override;

    // An add-in file with a summary title and author; gives its path.
    std::wstring MakeXla(const std::wstring& folder, const std::wstring& name, const std::wstring& title,
                         const std::wstring& author = L"Quorvel Tests");
    // Excel's registry entries: switched on (an OPEN value; a file of a default folder is
    // written as a quoted bare name) or switched off outside the default folders.
    void RegisterOn(const std::wstring& fullPath, bool bare = false);
    void RegisterOff(const std::wstring& fullPath);
    // The world most tests share (titles in the stand-in's order):
    //   gone        other\gone.xla, switched on, its file missing
    //   Library Tool lib\lib.xla, off (listed because it lies in the library folder)
    //   MS Tool     lib\ms.xla, on, written by Microsoft
    //   Off Tool    other\off.xla, off (an Add-in Manager value)
    //   Other Tool  other\oth.xla, on (an OPEN value with its full path)
    //   User Tool   user\usr.xla, on (an OPEN value with its bare name)
    void BuildStandardWorld();
    // Scripted answers of the stand-in's next file dialogs.
    void AnswerOpen(const std::vector<std::wstring>& paths);
    void AnswerSaveAs(const std::wstring& path);

    // The offered files (strSELFILE entries 1..n), then the window, created as start-up would.
    void Offer(const std::wstring& path) { st_.strSELFILE.push_back({path, false}); }
    void Open();
    // The standard world, the window, and mode `mode` clicked (none when negative).
    void OpenStandard(int mode = -1);

    HWND Item(int id) const { return GetDlgItem(dlg_, id); }
    std::wstring Text(int id) const { return WindowText(Item(id)); }
    bool Shown(int id) const { return (GetWindowLongPtrW(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    void Mode(int index) { Click(IDC_OPTBTN0 + index); }
    // Selects a row as a click would: the selection, then the list's notification.
    void SelectRow(int row);
    int RowOf(const std::wstring& text) const;
    void SelectRow(const std::wstring& text);
    void Next() { Click(IDC_CMDNEXT); }
    std::vector<std::wstring> Rows() const;
    std::vector<long> RowData() const;
    std::vector<std::wstring> ComboEntries() const;

    // The Excel-side state: Options and Add-in Manager values, and every scratch file. Excel
    // writes its values when its process ends, a moment after the wizard has let it go, so
    // they are read once no Excel is left.
    std::map<std::wstring, std::wstring> Options() const {
        EXPECT_TRUE(NoStandInLeft());
        return StringValues(OptionsKey());
    }
    std::map<std::wstring, std::wstring> Manager() const {
        EXPECT_TRUE(NoStandInLeft());
        return StringValues(ManagerKey());
    }
    std::wstring OptionsKey() const { return ExcelKey(excelMajor_) + L"\\Options"; }
    std::wstring ManagerKey() const { return ExcelKey(excelMajor_) + L"\\Add-in Manager"; }
    // The stand-in as another Excel version (SetUp makes it 11.0): its settings, its own list
    // keys (saved, emptied, put back) and what start-up would have learnt. Before any Register*.
    void AsExcel(int major);
    FileTree Files() const {
        FileTree t;
        ReadTree(Root(), t);
        return t;
    }
    // The stand-in's list as title -> entry.
    std::map<std::wstring, ListedAddin> Listed() const;

    // The stand-in's settings for this test; the fixture puts them back afterwards.
    test::StandInSettings& StandIn() { return *settings_; }
    // A shorter bound on the removals' wait for Excel to end (0: the wizard's own).
    int exitWaitCapMs_ = 0;
    // How the program's Excel instances are waited for and watched; read by the first Open().
    excel::com::LauncherOptions launcherOptions_;

    // The failure reports so far, taken: TearDown fails a test that leaves one untaken.
    std::vector<FailureInfo> TakeReports() { return std::exchange(top_.reports, {}); }
    // Takes the message boxes shown since the last taken: exactly one, with this text, the
    // program's title and these flags. TearDown fails a test that leaves a box untaken.
    void ExpectBox(const std::wstring& text, int flags = kMbCritical);

    // Everything a step might change: taken before it and compared after it.
    struct WorldState {
        std::map<std::wstring, std::wstring> options, manager;
        FileTree files;
    };
    WorldState Capture() const { return {Options(), Manager(), Files()}; }
    // `onOrderKept` false: the add-ins switched on are the same, but their numbering may
    // differ, because an add-in was switched off and on again.
    void ExpectUnchanged(const WorldState& before, bool onOrderKept = true) const;

    // True when no stand-in process is left within a few seconds.
    static bool NoStandInLeft() { return test::WaitForStandInCount(0, 10000); }

    void Screenshot(const std::wstring& name);

    SharedState st_;
    RecordingMessageBoxes msg_;
    RecordingTopLevel top_;
    win32::Win32Clipboard clip_;
    win32::Win32Shell shell_;
    HWND dlg_ = nullptr;

private:
    std::unique_ptr<win32::ComInit> com_;
    std::unique_ptr<test::ScratchFolder> scratch_;
    std::wstring root_, user_, lib_, other_, src_;
    void SaveAndClear(const std::wstring& key);
    int excelMajor_ = 11;
    std::vector<std::unique_ptr<SavedKey>> savedKeys_;
    std::unique_ptr<test::StandInSettings> settings_;
    win32::Win32Registry reg_;
    win32::Win32FileSystem fs_;
    win32::Win32Drives drives_;
    win32::Win32SystemInfo sys_;
    win32::Win32Accounts accounts_;
    win32::Win32BusyCursor busy_;
    std::unique_ptr<excel::Launcher> launcher_;
    std::unique_ptr<excel::Launcher> cappedLauncher_;
    std::unique_ptr<DetailsProvider> details_;
    std::unique_ptr<WindowServices> svc_;
    int openCount_ = 0;
};

}  // namespace qv::e2e
