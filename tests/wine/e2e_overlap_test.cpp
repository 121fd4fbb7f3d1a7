// End to end, steps that meet each other and the world: quick steps one after another, an Excel
// opened while the window is open, add-in code that shows a window inside a call, clicks made
// while a removal waits, and a registration left behind by an Excel that did not end cleanly.
#include "e2e_world.h"

#include <atomic>
#include <thread>

#include "excel/com/excel_calls.h"
#include "window/texts.h"

namespace qv::e2e {
namespace {

using Strings = std::vector<std::wstring>;

// Runs `watch` on a thread of its own while the test thread is held inside a handler.
class Beside {
public:
    template <class F>
    explicit Beside(F watch) : thread_([this, watch] { watch(stop_); }) {}
    ~Beside() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Waits until the stand-in's call log at `log` holds a Quit written after its first `from` bytes.
void WaitForQuit(const std::wstring& log, size_t from, const std::atomic<bool>& stop) {
    for (DWORD start = GetTickCount(); !stop && GetTickCount() - start < 30000; Sleep(20))
        if (test::ReadAll(log).find("|Quit|", from) != std::string::npos) return;
}

class E2eOverlap : public E2eTest {
protected:
    // The stand-ins' calls, one line each, in a file beside the scratch folder, whose files
    // the tests compare.
    std::wstring LogCalls() {
        log_ = Root() + L"-calls.log";
        EXPECT_TRUE(StandIn().Set(L"CallLog", log_));
        return log_;
    }
    void TearDown() override {
        E2eTest::TearDown();
        if (!log_.empty()) DeleteFileW(log_.c_str());
    }

private:
    std::wstring log_;
};

TEST_F(E2eOverlap, TwoQuickSwitchOnsBothStay) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard(1));
    ASSERT_EQ(Rows(), (Strings{L"Library Tool", L"Off Tool"}));
    SelectRow(L"Off Tool");
    Next();
    SelectRow(L"Library Tool");
    Next();
    auto listed = Listed();
    EXPECT_TRUE(listed[L"Off Tool"].installed);
    EXPECT_TRUE(listed[L"Library Tool"].installed);
}

TEST_F(E2eOverlap, AnExcelOpenedWhileTheWindowIsOpenRefusesTheStep) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard());
    const auto before = Options();
    {
        test::StandInProcess users(L"/running Book1.xls");
        ASSERT_TRUE(users.Started());
        ASSERT_TRUE(test::WaitForRunningExcel());
        Mode(1);
        ExpectBox(std::wstring(texts::kExcelRunning) + L"\n" + texts::kOpenFilesAre + L"\n" + texts::kWorkbookIndent +
                  L"Book1.xls\n" + texts::kOpenFilesEnd + L"\n\n" + texts::kPleaseQuitExcel);
        EXPECT_TRUE(Rows().empty());
        EXPECT_FALSE(users.Ended(0)) << "the user's Excel is not asked to quit";
        // The user quits it.
        auto launcher = excel::com::MakeLauncher();
        if (auto app = launcher->Attach()) app->Quit();
        EXPECT_TRUE(users.Ended(15000));
    }
    EXPECT_EQ(Options(), before);

    // Someone else's hidden automation Excel: in the running object table from its creation.
    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Excel.Application", &clsid));
    auto stray = [&](const wchar_t* exitDelayMs) {
        EXPECT_TRUE(StandIn().Set(L"ExitDelayMilliseconds", exitDelayMs));
        win32::ComPtr<IDispatch> app;
        EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, app.put_void()));
        return app;
    };
    auto quit = [](win32::ComPtr<IDispatch> app) {
        if (app) win32::Dispatch(std::move(app), excel::com::ExcelCalls::Unwatched()).call(L"Quit");
    };
    {
        auto app = stray(L"1000");
        Mode(1);  // the same button again: the refused switch did not count
        ExpectBox(std::wstring(texts::kExcelRunningHidden) + L"\n" + texts::kOpenFilesAre + L"\n" + texts::kNoOpenFiles +
                  L"\n\n" + texts::kPleaseQuitExcel);
        EXPECT_TRUE(Rows().empty());
        quit(std::move(app));
    }
    ASSERT_TRUE(NoStandInLeft());

    // Told to quit, it is out of the table but keeps its window for its shutdown time. One that
    // does not end within the bound is refused with its process id.
    quit(stray(L"20000"));
    const auto pids = test::StandInProcessIds();
    ASSERT_EQ(pids.size(), 1u);
    Mode(1);
    ExpectBox(texts::kHiddenExcelRunning1 + std::to_wstring(pids[0]) + texts::kHiddenExcelRunning2);
    EXPECT_TRUE(Rows().empty());
    test::EndLeftoverStandIns();
    ASSERT_TRUE(NoStandInLeft());

    // One that ends within it is waited for, and the switch goes on.
    quit(stray(L"3000"));
    Mode(1);
    EXPECT_EQ(Rows(), (Strings{L"Library Tool", L"Off Tool"}));
}

TEST_F(E2eOverlap, AnAddinsWindowInsideACallComesToTheFrontAndTheStepGoesOnOnceClosed) {
    BuildStandardWorld();
    ASSERT_TRUE(StandIn().Set(L"ModalFiles", L"OTH.XLA"));
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(2);
    SelectRow(L"Other Tool");
    std::atomic<int> closed{0}, inFront{0};
    {
        // Every box the add-in shows is answered once it has come to the front.
        Beside answer([&](std::atomic<bool>& stop) {
            DWORD seen = 0;
            while (!stop) {
                auto boxes = test::StandInMessageWindows();
                if (boxes.empty()) {
                    seen = 0;
                    Sleep(50);
                    continue;
                }
                if (!seen) seen = GetTickCount();
                const bool front = GetForegroundWindow() == boxes[0];
                if (front || GetTickCount() - seen > 5000) {
                    if (front) ++inFront;
                    PostMessageW(boxes[0], WM_COMMAND, IDOK, 0);
                    ++closed;
                    Sleep(200);
                }
                Sleep(50);
            }
        });
        Next();
    }
    EXPECT_GE(closed.load(), 1);
    EXPECT_EQ(inFront.load(), closed.load()) << "each box came to the front within 5 s";
    EXPECT_EQ(Text(IDC_LBLKEKKA), texts::kOpenQuote + std::wstring(L"Other Tool") + texts::kUninstallDone);
    EXPECT_FALSE(Listed()[L"Other Tool"].installed);
}

// Excel may be modal before it answers: a first-run or licence notice. The program's Excel is
// watched from its creation, so the notice comes to the front, and the switch goes on once it has
// closed (here by itself, after 6 s).
TEST_F(E2eOverlap, AStartupNoticeComesToTheFrontAndTheSwitchGoesOnOnceItCloses) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard());
    ASSERT_TRUE(StandIn().Set(L"StartupNotice", L"Welcome to Microsoft Excel"));
    ASSERT_TRUE(StandIn().Set(L"StartupNoticeMilliseconds", L"6000"));
    std::atomic<int> seen{0}, inFront{0};
    {
        Beside watch([&](std::atomic<bool>& stop) {
            while (!stop) {
                auto boxes = test::StandInMessageWindows();
                if (!boxes.empty()) {
                    seen = 1;
                    if (GetForegroundWindow() == boxes[0]) inFront = 1;
                }
                Sleep(50);
            }
        });
        Mode(1);
    }
    EXPECT_EQ(seen.load(), 1) << "no notice was shown";
    EXPECT_EQ(inFront.load(), 1) << "the notice never came to the front";
    EXPECT_EQ(Rows(), (Strings{L"Library Tool", L"Off Tool"}));
}

// A user editing a cell: every call to that Excel is rejected. The switch is refused with the
// running-Excel text within seconds, and what could not be read is told as such.
TEST_F(E2eOverlap, ABusyUsersExcelRefusesTheSwitchWithinSeconds) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard());
    test::StandInProcess busy(L"/running /busy Book1.xls");
    ASSERT_TRUE(busy.Started());
    ASSERT_TRUE(test::WaitForRunningExcel());
    const DWORD start = GetTickCount();
    Mode(1);
    ExpectBox(std::wstring(texts::kExcelRunning) + L"\n" + texts::kOpenFilesAre + L"\n" + texts::kNoOpenFiles + L"\n\n" +
              texts::kPleaseQuitExcel);
    EXPECT_LT(GetTickCount() - start, 15000u);
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(busy.Ended(0)) << "the user's Excel was ended";
    test::EndLeftoverStandIns();
}

// Just opened by the user, its window not yet out of focus: Excel is not in the running object
// table yet and is known only by its visible XLMAIN window. The step is refused at once with the
// running-Excel text, not waited for as an Excel that is closing.
TEST_F(E2eOverlap, AnExcelJustOpenedAndNotYetRegisteredRefusesTheSwitchAtOnce) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard());
    test::StandInProcess users(L"/running /unregistered Book1.xls");
    ASSERT_TRUE(users.Started());
    ASSERT_EQ(WaitForInputIdle(users.Handle(), 15000), 0u);
    const DWORD start = GetTickCount();
    Mode(1);
    ExpectBox(std::wstring(texts::kExcelRunning) + L"\n" + texts::kOpenFilesAre + L"\n" + texts::kNoOpenFiles + L"\n\n" +
              texts::kPleaseQuitExcel);
    EXPECT_LT(GetTickCount() - start, 5000u) << "waited for as an Excel that closes";
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(users.Ended(0)) << "the user's Excel was ended";
    test::EndLeftoverStandIns();
}

TEST_F(E2eOverlap, AnExcelThatNeverAnswersIsEndedWhenTheQuestionSaysSoAndNothingIsDeleted) {
    BuildStandardWorld();
    ASSERT_TRUE(StandIn().Set(L"ModalFiles", L"oth.xla"));
    std::atomic<int> asked{0};
    launcherOptions_.askAfterMs = 2000;
    launcherOptions_.keepWaiting = [&](unsigned long) {
        ++asked;
        return false;
    };
    ASSERT_NO_FATAL_FAILURE(Open());
    const WorldState before = Capture();
    Mode(3);
    SelectRow(L"Other Tool");
    Next();
    EXPECT_EQ(asked.load(), 1);
    EXPECT_EQ(TakeReports().size(), 1u) << "the step ends as a failure";
    ExpectUnchanged(before);
}

TEST_F(E2eOverlap, ClicksMadeWhileARemovalWaitsAreDropped) {
    BuildStandardWorld();
    ASSERT_TRUE(StandIn().Set(L"ExitDelayMilliseconds", L"5000"));
    const std::wstring log = LogCalls();
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(4);
    ASSERT_EQ(Rows(), (Strings{L"Library Tool", L"Off Tool"}));
    SelectRow(L"Off Tool");
    HWND list = Item(IDC_LSTADDIN), next = Item(IDC_CMDNEXT);
    RECT libraryRow{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(RowOf(L"Library Tool")), reinterpret_cast<LPARAM>(&libraryRow));
    const size_t listed = test::ReadAll(log).size();
    {
        // Once the removal's Excel is on its way out: a click on the other row, then on Next.
        Beside clicks([&](std::atomic<bool>& stop) {
            // After the removal's Quit, while its Excel takes its time to end.
            WaitForQuit(log, listed, stop);
            Sleep(500);
            const LPARAM row = MAKELPARAM(libraryRow.left + 5, libraryRow.top + 2);
            PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, row);
            PostMessageW(list, WM_LBUTTONUP, 0, row);
            PostMessageW(next, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageW(next, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        });
        Next();
    }
    Pump();
    EXPECT_EQ(Text(IDC_LBLKEKKA), texts::kOpenQuote + std::wstring(L"Off Tool") + texts::kDeleteDone);
    EXPECT_EQ(Rows(), Strings{L"Library Tool"});
    EXPECT_FALSE(Exists(OtherDir() + L"\\off.xla"));
    EXPECT_TRUE(Exists(LibDir() + L"\\lib.xla"));
    EXPECT_TRUE(IsWindowEnabled(dlg_));
    ASSERT_TRUE(NoStandInLeft());
    Click(IDC_CMDEND);
    Pump();
    EXPECT_FALSE(IsWindow(dlg_)) << "終了 still closes the window";
}

TEST_F(E2eOverlap, ARegistrationLeftByAnExcelThatDidNotEndCleanlyDeletesNothing) {
    BuildStandardWorld();
    ASSERT_TRUE(StandIn().Set(L"ExitDelayMilliseconds", L"5000"));
    const std::wstring log = LogCalls();
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(3);
    SelectRow(L"Other Tool");
    const auto before = Files();
    const size_t listed = test::ReadAll(log).size();
    {
        // The removal's Excel dies on its way out, before it writes its list.
        Beside crash([&](std::atomic<bool>& stop) {
            WaitForQuit(log, listed, stop);
            Sleep(300);
            test::EndLeftoverStandIns();
        });
        Next();
    }
    ExpectBox(texts::kStillRegistered);
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(Rows(), (Strings{L"Other Tool", L"User Tool"}));
}

}  // namespace
}  // namespace qv::e2e
