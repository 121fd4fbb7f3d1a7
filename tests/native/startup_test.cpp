#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes.h"
#include "window/steps.h"
#include "startup/startup.h"
#include "window/texts.h"

namespace qv {
namespace {

using fake::World;

const std::wstring kRuntimeFolder = L"C:\\Windows\\SysWOW64";

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        auto lf = text.find(L'\n', start);
        lines.push_back(text.substr(start, lf == std::wstring::npos ? std::wstring::npos : lf - start));
        if (lf == std::wstring::npos) return lines;
        start = lf + 1;
    }
}

// A start-up world in which nothing stands in the way: no running Excel, version 11.0,
// the runtime library present.
struct StartupWorld : World {
    StartupWorld() {
        sys.runtimeFolder = kRuntimeFolder;
        fs.files[kRuntimeFolder + L"\\MSVBVM60.DLL"] = L"";
    }
    StartupOutcome Run() {
        WizardStartup dialogue(msg);
        return Main(svc, st, dialogue);
    }
    void ExpectNoExcelLeft() {
        EXPECT_EQ(excel.instancesAlive, 0);
    }
};

// ---- The user's own Excel is running ----

// Records whether the user's Excel was visible at the moment the message appeared.
class VisibilityAtShow : public fake::FakeMessageBoxes {
public:
    explicit VisibilityAtShow(fake::FakeExcelWorld& x) : x_(x) {}
    std::vector<bool> visibleAtShow;
    int Show(const std::wstring& text, const std::wstring& title, int flags) override {
        visibleAtShow.push_back(x_.runningVisible);
        return FakeMessageBoxes::Show(text, title, flags);
    }

private:
    fake::FakeExcelWorld& x_;
};

// The user's Excel is described, shown if hidden, told to quit, and start-up refused; a
// failing call is skipped and the refusal still happens. A hidden Excel with open workbooks may
// be another program's, with alerts off: it is shown but never told to quit.
TEST(StartupRunningExcel, IsDescribedShownToldToQuitAndRefused) {
    struct Case {
        const wchar_t* failing;
        bool visible;
        std::vector<std::wstring> workbooks;
        std::vector<std::wstring> lines;
        bool shownAtMessage;
        size_t quits = 1;
    };
    const std::wstring a = L"\u3000a.xls", b = L"\u3000b.xls", end = texts::kOpenFilesEnd;
    const std::wstring running = texts::kExcelRunning, hidden = texts::kExcelRunningHidden, are = texts::kOpenFilesAre;
    const std::wstring quit = texts::kPleaseQuitExcel;
    const std::vector<std::wstring> ab{L"a.xls", L"b.xls"};
    const Case cases[] = {
        {L"", true, {}, {running, are, texts::kNoOpenFiles, L"", quit}, true},
        {L"", false, {L"Book1.xls", L"売上 集計.xls"},
         {hidden, are, L"\u3000Book1.xls", L"\u3000売上 集計.xls", end, L"", quit}, true, 0},
        {L"", false, {}, {hidden, are, texts::kNoOpenFiles, L"", quit}, true},
        // Unknown visibility: described as running, left as it is.
        {L"Visible", false, ab, {running, are, a, b, end, L"", quit}, false},
        {L"Visible=True", false, ab, {hidden, are, a, b, end, L"", quit}, false, 0},
        // A hidden Excel whose books cannot be counted is taken as having none.
        {L"Workbooks.Count", false, ab, {hidden, are, texts::kNoOpenFiles, L"", quit}, true},
        {L"Workbooks.Count", true, ab, {running, are, texts::kNoOpenFiles, L"", quit}, true},
        {L"Workbooks", true, ab, {running, are, end, L"", quit}, true},
        {L"Workbook.Name", true, ab, {running, are, end, L"", quit}, true},
        {L"Quit", true, ab, {running, are, a, b, end, L"", quit}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        StartupWorld w;
        w.excel.running = true;
        w.excel.runningVisible = c.visible;
        w.excel.runningWorkbooks = c.workbooks;
        if (*c.failing) w.excel.failing = {c.failing};
        VisibilityAtShow msg(w.excel);
        WizardStartup dialogue(msg);

        EXPECT_EQ(Main(w.svc, w.st, dialogue), StartupOutcome::Refused);

        ASSERT_EQ(msg.shown.size(), 1u);
        EXPECT_EQ(msg.shown[0].flags, 16);
        EXPECT_EQ(msg.shown[0].title, L"Quorvel SP");
        EXPECT_EQ(Lines(msg.shown[0].text), c.lines);
        EXPECT_EQ(msg.visibleAtShow, std::vector<bool>{c.shownAtMessage});
        EXPECT_EQ(w.excel.Calls(L"Quit").size(), c.quits) << "Quit is attempted unless books of a hidden Excel are open";
        EXPECT_EQ(w.excel.instancesCreated, 0);
        w.ExpectNoExcelLeft();
    }
}

// A launcher whose probe for a running Excel fails outright.
class FailingProbe : public excel::Launcher {
public:
    explicit FailingProbe(excel::Launcher& inner) : inner_(inner) {}
    int probes = 0;
    std::unique_ptr<excel::Application> Attach() override {
        ++probes;
        throw excel::ExcelError(L"GetObject", static_cast<long>(0x800401E3L), L"probe failed");
    }
    std::unique_ptr<excel::Application> Create() override { return inner_.Create(); }
    bool WaitForInstancesToEnd(int timeoutMs) override { return inner_.WaitForInstancesToEnd(timeoutMs); }
    unsigned long WaitForEarlierInstances() override { return inner_.WaitForEarlierInstances(); }
    bool IsOwnInstance(excel::Application& a) override { return inner_.IsOwnInstance(a); }
    excel::OtherExcelWindow FindOtherExcelWindow() override { return inner_.FindOtherExcelWindow(); }
    bool WaitForProcessToEnd(unsigned long pid, int ms) override { return inner_.WaitForProcessToEnd(pid, ms); }

private:
    excel::Launcher& inner_;
};

TEST(StartupRunningExcel, AFailingProbeCountsAsNoRunningExcel) {
    StartupWorld w;
    FailingProbe launcher(w.launcher);
    Services svc{launcher, w.fs, w.reg, w.drives, w.details, w.sys, w.accounts};

    WizardStartup dialogue(w.msg);
    EXPECT_EQ(Main(svc, w.st, dialogue), StartupOutcome::ShowWindow);
    EXPECT_EQ(launcher.probes, 1);
    EXPECT_TRUE(w.msg.shown.empty());
    EXPECT_EQ(w.excel.instancesCreated, 1);
    w.ExpectNoExcelLeft();
}

// ---- Excel's version ----

TEST(StartupVersion, DecidesWhetherToGoOnAskOrRefuse) {
    struct Case {
        const wchar_t* version;
        std::vector<int> answers;
        StartupOutcome outcome;
        std::vector<std::pair<std::wstring, int>> messages;  // text, flags
        int major;
        bool readsFolders;
        const wchar_t* userFolder;
        // Excel's answers, when not the usual: the user folder loses its last character, the
        // library is kept as it is.
        const wchar_t* userAnswer = nullptr;
        const wchar_t* library = L"C:\\Office\\Library";
    };
    const std::wstring refused = texts::kVersionUnsupported, question = texts::kVersionQuestion;
    const Case cases[] = {
        {L"7.0", {}, StartupOutcome::Refused, {{refused, 16}}, 7, false, L""},
        {L"8.0", {}, StartupOutcome::ShowWindow, {}, 8, true, L""},
        {L"11.0", {}, StartupOutcome::ShowWindow, {}, 11, true, L"C:\\Users\\u\\AddIns"},
        {L"12.0", {kIdYes}, StartupOutcome::ShowWindow, {{question, 292}}, 12, true, L"C:\\Users\\u\\AddIns"},
        {L"12.0", {kIdNo}, StartupOutcome::Refused, {{question, 292}}, 12, false, L""},
        {L"16.0", {kIdYes}, StartupOutcome::ShowWindow, {{question, 292}}, 16, true, L"C:\\Users\\u\\AddIns"},
        // 11.5 rounds to the even 12 and asks; 10.5 rounds to 10 and passes.
        {L"11.5", {kIdNo}, StartupOutcome::Refused, {{question, 292}}, 12, false, L""},
        {L"10.5", {}, StartupOutcome::ShowWindow, {}, 10, true, L"C:\\Users\\u\\AddIns"},
        {L"", {}, StartupOutcome::Refused, {{refused, 16}}, 0, false, L""},
        {L"11.0", {}, StartupOutcome::ShowWindow, {}, 11, true, L"C:\\Users\\u\\AddIns", L"C:\\Users\\u\\AddIns\\",
         L"C:\\Office\\Library\\"},
        {L"11.0", {}, StartupOutcome::ShowWindow, {}, 11, true, L"", L"X", L""},
        // An empty answer leaves the user folder empty.
        {L"11.0", {}, StartupOutcome::ShowWindow, {}, 11, true, L"", L"", L"C:\\Lib"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.version) + L" answers " + std::to_wstring(c.answers.size()));
        StartupWorld w;
        w.excel.version = c.version;
        w.msg.answers = c.answers;
        if (c.userAnswer) w.excel.userLibraryPath = c.userAnswer;
        w.excel.libraryPath = c.library;

        EXPECT_EQ(w.Run(), c.outcome);

        std::vector<std::pair<std::wstring, int>> shown;
        for (auto& m : w.msg.shown) {
            EXPECT_EQ(m.title, L"Quorvel SP");
            shown.push_back({m.text, m.flags});
        }
        EXPECT_EQ(shown, c.messages);
        EXPECT_EQ(w.st.intEXCELVER, c.major);
        EXPECT_EQ(w.excel.Calls(L"LibraryPath").size(), c.readsFolders ? 1u : 0u);
        // Excel 97 has no user add-in folder to ask for.
        EXPECT_EQ(w.excel.Calls(L"UserLibraryPath").size(), c.readsFolders && c.major != 8 ? 1u : 0u);
        if (c.readsFolders) {
            EXPECT_EQ(w.st.strADDINFOLDER[0], c.userFolder);
            EXPECT_EQ(w.st.strADDINFOLDER[1], c.library);
        }
        EXPECT_EQ(w.excel.instancesCreated, 1);
        EXPECT_EQ(w.excel.Calls(L"Quit").size(), 1u) << "the instance is quit on every path";
        w.ExpectNoExcelLeft();
    }
}

TEST(StartupVersion, MajorNumberIsTheLeadingDecimalRoundedHalfToEven) {
    struct Case { const wchar_t* text; int major; };
    const Case cases[] = {
        {L"11.0", 11}, {L"8.0", 8}, {L"12.0", 12}, {L"16.0", 16}, {L"7", 7},
        {L"8.5", 8}, {L"9.5", 10}, {L"10.5", 10}, {L"11.5", 12}, {L"11.50", 12}, {L"11.501", 12},
        {L"10.49999", 10}, {L"10.6", 11}, {L"7.9", 8}, {L"11.0a", 11}, {L"11.0.6355", 11}, {L"11.", 11},
        {L".5", 0}, {L".6", 1}, {L"", 0}, {L"abc", 0}, {L"v11.0", 0}, {L" 11.0", 0}, {L".", 0},
        {L"99999999999999999999", 2147483647},
    };
    for (const auto& c : cases) EXPECT_EQ(ExcelMajorVersion(c.text), c.major) << c.text;
}

TEST(StartupExcel, QuitRightAfterTheFoldersOrAtTheFailure) {
    struct Case { const wchar_t* failing; int quits; };
    const Case cases[] = {
        {L"", 1}, {L"Create", 0}, {L"Version", 1}, {L"UserLibraryPath", 1}, {L"LibraryPath", 1}, {L"Quit", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        StartupWorld w;
        w.st.strADDINPATH = L"untouched";
        if (!*c.failing) {
            EXPECT_EQ(w.Run(), StartupOutcome::ShowWindow);
            const auto& log = w.excel.log;
            auto at = [&](const wchar_t* e) { return std::find(log.begin(), log.end(), e) - log.begin(); };
            EXPECT_EQ(at(L"Attach"), 0);
            EXPECT_EQ(at(L"Quit"), at(L"LibraryPath") + 1);
            w.ExpectNoExcelLeft();
            continue;
        }
        w.excel.failing = {c.failing};
        EXPECT_THROW(w.Run(), excel::ExcelError);
        EXPECT_TRUE(w.msg.shown.empty());
        EXPECT_EQ(w.excel.Calls(L"Quit").size(), static_cast<size_t>(c.quits));
        EXPECT_EQ(w.st.strADDINPATH, L"untouched") << "nothing is reset after a failure";
        w.ExpectNoExcelLeft();
    }
}

// ---- The runtime library ----

TEST(StartupRuntime, MissingLibraryIsRefusedAfterExcelHasQuit) {
    StartupWorld w;
    w.fs.files.clear();
    w.st.strCOMMAND = L"";
    w.sys.args = L"C:\\a\\list.txt";

    EXPECT_EQ(w.Run(), StartupOutcome::Refused);

    EXPECT_TRUE(w.msg.OnlyStop(texts::kRuntimeMissing)) << "the files are not collected after the refusal";
    EXPECT_EQ(w.excel.Calls(L"Quit").size(), 1u);
    w.ExpectNoExcelLeft();
}

TEST(StartupRuntime, LooksInTheFolderOfThe32BitLibrariesWhateverItsLength) {
    const std::wstring longFolder =
        L"C:\\Windows Installation On A Rather Deep Drive Folder\\Windows\\SysWOW64";  // over 50 characters
    ASSERT_GT(longFolder.size(), 50u);
    struct Case {
        std::wstring folder;
        std::vector<std::wstring> files;
        const wchar_t* found;
    };
    const Case cases[] = {
        {L"C:\\Windows\\SysWOW64", {L"C:\\Windows\\SysWOW64\\MSVBVM60.DLL"}, L"MSVBVM60.DLL"},
        {longFolder, {longFolder + L"\\MSVBVM60.DLL"}, L"MSVBVM60.DLL"},
        // Only in the 64-bit system folder: a 32-bit program cannot load it from there.
        {L"C:\\Windows\\SysWOW64", {L"C:\\Windows\\System32\\MSVBVM60.DLL"}, L""},
        {L"C:\\Windows\\system32", {L"C:\\Windows\\system32\\MSVBVM60.DLL"}, L"MSVBVM60.DLL"},
        {L"C:\\Windows\\SysWOW64", {L"C:\\Windows\\SysWOW64\\MSVBVM50.DLL"}, L""},
        {L"", {L"\\MSVBVM60.DLL"}, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        World w;
        w.sys.runtimeFolder = c.folder;
        for (auto& f : c.files) w.fs.files[f] = L"";
        EXPECT_EQ(FindRuntimeLibrary(w.svc), c.found);
    }
}

// ---- Completed start-up ----

TEST(StartupCompleted, ResetsTheSharedStateAndCollectsTheArguments) {
    StartupWorld w;
    w.sys.args = L"C:\\a\\one.xla \"C:\\b c\\two.XLA\"";
    w.st.strADDINPATH = L"old path";
    w.st.strADDINFILE = L"old file";
    w.st.strADDINTITLE = L"old title";
    w.st.strSELFILE = {SelFileRow{}, SelFileRow{L"C:\\old.xla", true}};

    EXPECT_EQ(w.Run(), StartupOutcome::ShowWindow);

    EXPECT_EQ(w.st.strCOMMAND, w.sys.args);
    EXPECT_EQ(w.st.strADDINPATH, L"");
    EXPECT_EQ(w.st.strADDINFILE, L"");
    EXPECT_EQ(w.st.strADDINTITLE, L"");
    ASSERT_EQ(w.st.strSELFILE.size(), 3u);
    EXPECT_EQ(w.st.strSELFILE[0].Path, L"");
    EXPECT_EQ(w.st.strSELFILE[1].Path, L"C:\\a\\one.xla");
    EXPECT_EQ(w.st.strSELFILE[2].Path, L"C:\\b c\\two.XLA");
    EXPECT_FALSE(w.st.strSELFILE[1].Done);
    EXPECT_TRUE(w.msg.shown.empty());
    w.ExpectNoExcelLeft();

    // Without arguments, the program folder's add-ins are offered.
    StartupWorld bare;
    bare.sys.args = L"";
    bare.sys.programFolder = L"C:\\Prog";
    bare.fs.files[L"C:\\Prog\\tool.xla"] = L"";
    bare.fs.files[L"C:\\Prog\\quorvel.exe"] = L"";
    EXPECT_EQ(bare.Run(), StartupOutcome::ShowWindow);
    ASSERT_EQ(bare.st.strSELFILE.size(), 2u);
    EXPECT_EQ(bare.st.strSELFILE[1].Path, L"C:\\Prog\\tool.xla");
}

}  // namespace
}  // namespace qv
