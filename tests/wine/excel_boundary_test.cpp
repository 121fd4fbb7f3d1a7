// The COM Excel boundary against the Excel stand-in registered in the Wine prefix. Every test
// starts from a scratch folder and its own Office version key, and no stand-in process may
// outlive it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "excel/com/com_excel.h"
#include "operations/operations.h"
#include "fileinfo/win32/summary_writer.h"
#include "platform/win32/handles.h"
#include "reg_write.h"
#include "wine_env.h"

namespace {

using qv::excel::AddIn;
using qv::excel::Application;
using qv::excel::EarlierExcelAlive;
using qv::excel::ExcelError;
using qv::excel::Workbook;
using qv::test::Narrow;

// A version no other test uses, so its Office key is this suite's scratch area.
constexpr const wchar_t* kVersion = L"14.0";
constexpr const wchar_t* kOfficeKey = L"Software\\Microsoft\\Office\\14.0";
constexpr const wchar_t* kAnswersKey = L"Software\\ExcelStandIn\\Answers";

// An add-in file with no title of its own: the stand-in then gives its file name without the
// extension.
bool WriteBareAddin(const std::wstring& path) { return qv::win32::WriteXlaFixture(path, L"", L""); }

class ExcelBoundaryTest : public testing::Test {
protected:
    void SetUp() override {
        std::wstring problem = qv::test::StandInRegistrationProblem();
        ASSERT_TRUE(problem.empty()) << "The Excel stand-in is not registered in this Wine prefix: " << Narrow(problem);
        ASSERT_EQ(qv::test::CountStandIns(), 0) << "a stand-in was already running before the test";
        RegDeleteTreeW(HKEY_CURRENT_USER, kOfficeKey);
        CreateDirectoryW(userFolder().c_str(), nullptr);
        CreateDirectoryW(libraryFolder().c_str(), nullptr);
        CreateDirectoryW(otherFolder().c_str(), nullptr);
        ASSERT_TRUE(settings.Set(L"Version", kVersion));
        ASSERT_TRUE(settings.Set(L"UserLibraryPath", userFolder() + L"\\"));
        ASSERT_TRUE(settings.Set(L"LibraryPath", libraryFolder()));
    }
    void TearDown() override {
        EXPECT_TRUE(qv::test::WaitForStandInCount(0, 15000)) << "a stand-in process outlived the test";
        EXPECT_EQ(qv::test::EndLeftoverStandIns(), 0);
        RegDeleteTreeW(HKEY_CURRENT_USER, kOfficeKey);
    }

    // The launcher with other options; before any instance is created.
    void UseOptions(qv::excel::com::LauncherOptions options) { launcher = qv::excel::com::MakeLauncher(std::move(options)); }

    std::wstring userFolder() const { return dir.File(L"user"); }
    std::wstring libraryFolder() const { return dir.File(L"library"); }
    std::wstring otherFolder() const { return dir.File(L"other"); }

    std::unique_ptr<Application> Create() {
        try {
            return launcher->Create();
        } catch (const ExcelError& e) {
            ADD_FAILURE() << "Create failed: " << Narrow(e.Description());
            return nullptr;
        }
    }

    // COM lives longest: declared first, it is torn down last.
    qv::win32::ComInit com;
    qv::test::ScratchFolder dir;
    qv::test::StandInSettings settings;
    std::unique_ptr<qv::excel::Launcher> launcher = qv::excel::com::MakeLauncher();
};

TEST_F(ExcelBoundaryTest, FoldersAndAddInsAddWithNamedArgumentsOnceAWorkbookIsOpen) {
    const std::wstring path = otherFolder() + L"\\tool.xla";
    ASSERT_TRUE(WriteBareAddin(path));
    auto app = Create();
    ASSERT_TRUE(app);
    EXPECT_EQ(qv::test::CountStandIns(), 1);
    EXPECT_EQ(app->Version(), kVersion);
    EXPECT_EQ(app->UserLibraryPath(), userFolder() + L"\\");
    EXPECT_EQ(app->LibraryPath(), libraryFolder());
    EXPECT_FALSE(app->Visible()) << "a created instance starts invisible";
    EXPECT_EQ(app->WorkbookCount(), 0);

    try {
        app->AddAddIn(path, false);
        ADD_FAILURE() << "Add needs an open workbook";
    } catch (const ExcelError& e) {
        EXPECT_FALSE(e.Description().empty());
    }
    auto book = app->AddWorkbook();
    ASSERT_TRUE(book);
    EXPECT_EQ(book->Name(), L"Book1");
    EXPECT_EQ(app->WorkbookCount(), 1);

    auto added = app->AddAddIn(path, false);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->FullName(), path);
    EXPECT_EQ(added->Name(), L"tool.xla");
    EXPECT_EQ(added->Path(), otherFolder());
    EXPECT_EQ(added->Title(), L"tool");
    EXPECT_FALSE(added->Installed());
    EXPECT_EQ(app->AddAddIn(path, false)->FullName(), path) << "adding a listed file gives its entry";
    int entries = 0;
    for (auto& a : qv::excel::each(app->AddIns())) entries += a->FullName() == path;
    EXPECT_EQ(entries, 1);

    auto listed = qv::FindAddinByFullName(*app, path);
    EXPECT_EQ(listed->FullName(), path);
    listed->SetInstalled(true);
    EXPECT_TRUE(added->Installed()) << "both references name the same add-in";
    listed->SetInstalled(false);
    EXPECT_FALSE(added->Installed());
    book->Close(false);
    EXPECT_EQ(app->WorkbookCount(), 0);

    try {
        app->OpenWorkbook(otherFolder() + L"\\missing.xla");
        ADD_FAILURE() << "a missing file was opened";
    } catch (const ExcelError& e) {
        EXPECT_EQ(e.Member(), L"Open");
        EXPECT_NE(e.Description().find(L"missing.xla"), std::wstring::npos);
    }
    app->OpenWorkbook(path);
    app->Quit();
}

TEST_F(ExcelBoundaryTest, CollectionsEnumerateAndMayBeLeftEarly) {
    const std::set<std::wstring> names = {L"a.xla", L"b.xla", L"c.xla"};
    for (auto& n : names) ASSERT_TRUE(WriteBareAddin(userFolder() + L"\\" + n));
    auto app = Create();
    ASSERT_TRUE(app);

    std::vector<std::wstring> seen;
    for (auto& addin : qv::excel::each(app->AddIns())) seen.push_back(addin->Name());
    EXPECT_EQ(std::set<std::wstring>(seen.begin(), seen.end()), names);
    EXPECT_EQ(seen.size(), names.size()) << "every add-in exactly once";

    int visited = 0;
    for (auto& addin : qv::excel::each(app->AddIns())) {
        ++visited;
        if (names.count(addin->Name())) break;
    }
    EXPECT_EQ(visited, 1);

    auto first = app->AddWorkbook();
    auto second = app->AddWorkbook();
    std::vector<std::wstring> books;
    for (auto& book : qv::excel::each(app->Workbooks())) books.push_back(book->Name());
    ASSERT_EQ(books.size(), 2u);
    EXPECT_EQ(books[0], first->Name());
    EXPECT_EQ(books[1], second->Name());
    for (auto& book : qv::excel::each(app->Workbooks())) {
        book->Close(false);
        break;
    }
    EXPECT_EQ(app->WorkbookCount(), 1);

    EXPECT_EQ(app->Version(), kVersion) << "the instance still answers after a loop left early";
    first.reset();
    second.reset();
    app->Quit();
}

TEST_F(ExcelBoundaryTest, DialogAnswersArriveAsPathsOrCancel) {
    auto app = Create();
    ASSERT_TRUE(app);
    const std::vector<std::wstring> opens[] = {{L"C:\\x\\a.xla", L"C:\\x\\b b.xla"}, {L"C:\\only\\one.xla"}, {}};
    for (const auto& answer : opens) {  // no paths: Cancel
        ASSERT_TRUE(qv::test::SetRegMulti(kAnswersKey, L"GetOpenFilename", answer));
        auto got = app->GetOpenFilenames(L"Add-ins (*.xla), *.xla");
        if (answer.empty()) EXPECT_EQ(got, std::nullopt);
        else EXPECT_EQ(got, answer);
        auto recorded = qv::test::RegStrings(kAnswersKey);
        EXPECT_EQ(recorded.count(L"GetOpenFilename"), 0u) << "the answer is consumed";
        EXPECT_EQ(recorded[L"LastOpenFilter"], L"Add-ins (*.xla), *.xla");
    }
    for (const std::wstring answer : {L"C:\\x\\saved.xla", L""}) {  // empty: Cancel
        ASSERT_TRUE(qv::test::SetRegString(kAnswersKey, L"GetSaveAsFilename", answer));
        auto got = app->GetSaveAsFilename(L"initial.xla");
        if (answer.empty()) EXPECT_EQ(got, std::nullopt);
        else EXPECT_EQ(got, answer);
        EXPECT_EQ(qv::test::RegStrings(kAnswersKey)[L"LastSaveAsInitial"], L"initial.xla");
    }
    app->Quit();
    app.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, kAnswersKey);
}

// The one stand-in process that runs, opened for waiting; null when there is not exactly one.
qv::win32::UniqueHandle TheStandInProcess(DWORD* id = nullptr) {
    auto ids = qv::test::StandInProcessIds();
    if (ids.size() != 1) return {};
    if (id) *id = ids[0];
    return qv::win32::UniqueHandle(OpenProcess(SYNCHRONIZE, FALSE, ids[0]));
}

// Create refuses, naming the earlier instance `earlierId` that has not ended yet.
void ExpectCreateRefusedFor(qv::excel::Launcher& launcher, DWORD earlierId) {
    try {
        launcher.Create();
        ADD_FAILURE() << "an instance was created while the earlier one still ran";
    } catch (const EarlierExcelAlive& e) {
        EXPECT_EQ(e.ProcessId(), earlierId);
    }
}

// An instance that was only released, never told to quit, is waited for as one that quit: here a
// workbook the caller still holds keeps it alive, so it does not end until that goes.
TEST_F(ExcelBoundaryTest, CreateWaitsForAnInstanceThatWasOnlyReleased) {
    // Released, the instance ends at once, well within the short wait below.
    ASSERT_TRUE(settings.Set(L"ExitDelayMilliseconds", L"0"));
    qv::excel::com::LauncherOptions options;
    options.exitWaitMs = 1000;
    UseOptions(options);
    auto first = Create();
    ASSERT_TRUE(first);
    DWORD firstId = 0;
    auto firstProcess = TheStandInProcess(&firstId);
    ASSERT_TRUE(firstProcess);
    auto book = first->AddWorkbook();
    first.reset();

    ExpectCreateRefusedFor(*launcher, firstId);
    EXPECT_EQ(qv::test::CountStandIns(), 1) << "nothing is started while the earlier instance runs";

    book.reset();
    auto second = Create();
    ASSERT_TRUE(second);
    EXPECT_EQ(WaitForSingleObject(firstProcess.get(), 0), WAIT_OBJECT_0) << "Create returned before the first had ended";
    EXPECT_EQ(qv::test::CountStandIns(), 1);
    second->Quit();
    second.reset();
    EXPECT_TRUE(launcher->WaitForInstancesToEnd(15000));
    EXPECT_EQ(qv::test::CountStandIns(), 0);
}

// A server that registered and died before anyone used it: COM hands its class object to the next
// creation, which fails without starting any Excel. That creation is tried once more.
TEST_F(ExcelBoundaryTest, CreateGoesOnPastAServerThatDiedBeforeItWasUsed) {
    {
        qv::test::Process server(qv::test::StandInExe(), L"-Embedding");
        ASSERT_TRUE(server.Started());
        ASSERT_EQ(WaitForInputIdle(server.Handle(), 15000), 0u) << "not registered and waiting for its client";
        TerminateProcess(server.Handle(), 1);
        ASSERT_TRUE(server.Ended(5000));
    }
    auto app = Create();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->Version(), kVersion);
    app->Quit();
    app.reset();
    EXPECT_TRUE(launcher->WaitForInstancesToEnd(15000));
}

TEST_F(ExcelBoundaryTest, AnEarlierInstanceThatDoesNotEndInTimeStopsTheNextCreate) {
    ASSERT_TRUE(settings.Set(L"ExitDelayMilliseconds", L"6000"));
    qv::excel::com::LauncherOptions options;
    options.exitWaitMs = 500;
    UseOptions(options);
    auto first = Create();
    ASSERT_TRUE(first);
    DWORD firstId = 0;
    auto firstProcess = TheStandInProcess(&firstId);
    ASSERT_TRUE(firstProcess);
    first->Quit();
    first.reset();

    ExpectCreateRefusedFor(*launcher, firstId);
    EXPECT_EQ(qv::test::StandInProcessIds(), std::vector<DWORD>{firstId}) << "no second stand-in was started";
    EXPECT_TRUE(launcher->WaitForInstancesToEnd(30000)) << "it does end, given time";
    EXPECT_EQ(WaitForSingleObject(firstProcess.get(), 0), WAIT_OBJECT_0);
}

TEST_F(ExcelBoundaryTest, OtherExcelWindowNamesAnExcelTheLauncherDidNotStart) {
    auto own = Create();
    ASSERT_TRUE(own);
    DWORD ownId = 0;
    ASSERT_TRUE(TheStandInProcess(&ownId));
    EXPECT_EQ(launcher->FindOtherExcelWindow().processId, 0u) << "the launcher's own instance is not someone else's";

    // Someone else's automation Excel: created here through COM, not through the launcher.
    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Excel.Application", &clsid));
    qv::win32::ComPtr<IDispatch> foreign;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, foreign.put_void()));
    DWORD foreignId = 0;
    for (DWORD id : qv::test::StandInProcessIds())
        if (id != ownId) foreignId = id;
    ASSERT_NE(foreignId, 0u);
    unsigned long found = 0;
    for (DWORD start = GetTickCount(); !found && GetTickCount() - start < 10000; Sleep(50))
        found = launcher->FindOtherExcelWindow().processId;
    EXPECT_EQ(found, foreignId);

    foreign.reset();
    own->Quit();
    own.reset();
    EXPECT_TRUE(launcher->WaitForInstancesToEnd(15000));
    EXPECT_TRUE(qv::test::WaitForStandInCount(0, 15000));
    EXPECT_EQ(launcher->FindOtherExcelWindow().processId, 0u) << "nothing runs any more";
}

struct RunningCase {
    const char* label;
    bool hidden;
    std::vector<std::wstring> workbooks;
};

void PrintTo(const RunningCase& c, std::ostream* os) { *os << c.label; }

class RunningExcelTest : public ExcelBoundaryTest, public testing::WithParamInterface<RunningCase> {};

TEST_P(RunningExcelTest, AttachFindsItShowsItAndQuitEndsIt) {
    const RunningCase& c = GetParam();
    EXPECT_EQ(launcher->Attach(), nullptr) << "nothing runs yet";

    std::wstring args = L"/running";
    if (c.hidden) args += L" /hidden";
    for (auto& w : c.workbooks) args += w.find(L' ') == std::wstring::npos ? L" " + w : L" \"" + w + L"\"";
    qv::test::StandInProcess running(args);
    ASSERT_TRUE(running.Started()) << "could not start " << Narrow(qv::test::StandInExe());

    std::unique_ptr<Application> app;
    for (DWORD start = GetTickCount(); !app && GetTickCount() - start < 15000; Sleep(100)) app = launcher->Attach();
    ASSERT_TRUE(app) << "GetActiveObject never found the running stand-in";

    EXPECT_EQ(app->Visible(), !c.hidden);
    EXPECT_EQ(FindWindowW(nullptr, L"Excel stand-in") != nullptr, !c.hidden) << "its window shows while it is visible";
    if (c.hidden) {
        app->SetVisible(true);
        EXPECT_TRUE(app->Visible());
        EXPECT_NE(FindWindowW(nullptr, L"Excel stand-in"), nullptr);
    }
    EXPECT_EQ(app->WorkbookCount(), static_cast<long>(c.workbooks.size()));
    std::vector<std::wstring> names;
    for (auto& book : qv::excel::each(app->Workbooks())) names.push_back(book->Name());
    EXPECT_EQ(names, c.workbooks);

    app->Quit();
    app.reset();
    EXPECT_TRUE(running.Ended(15000)) << "the running stand-in did not end after Quit";
    EXPECT_EQ(launcher->Attach(), nullptr) << "still registered as running after it quit";
}

INSTANTIATE_TEST_SUITE_P(Standin, RunningExcelTest,
                         testing::Values(RunningCase{"Visible", false, {L"Book1", L"My sheet.xls"}},
                                         RunningCase{"Hidden", true, {L"Hidden.xls"}},
                                         RunningCase{"NoWorkbooks", true, {}}),
                         [](const testing::TestParamInfo<RunningCase>& i) { return std::string(i.param.label); });

}  // namespace
