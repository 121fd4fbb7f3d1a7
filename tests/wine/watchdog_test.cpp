// The watchdog against the Excel stand-in: a call into an instance of the program's own that does
// not return brings that Excel's windows to the front, and the question it then asks can end that
// Excel, so that the call fails instead of waiting for ever.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <atomic>
#include <vector>

#include "excel/com/com_excel.h"
#include "excel/com/excel_calls.h"
#include "excel/com/watchdog.h"
#include "fileinfo/win32/summary_writer.h"
#include "platform/win32/handles.h"
#include "wine_env.h"

namespace {

using qv::excel::ExcelError;
using qv::test::Narrow;

constexpr const wchar_t* kAnswersKey = L"Software\\ExcelStandIn\\Answers";

// What the watchdog saw each time it asked.
struct Question {
    unsigned long processId;
    DWORD frontProcessId;    // the process of the foreground window at that moment
    bool dialogShown;        // a visible dialog (#32770) of the asked process
};

class Questions {
public:
    // Answers in turn; "wait on" once they run out would hang the test, so the last answer repeats.
    explicit Questions(std::vector<bool> answers) : answers_(std::move(answers)) {}
    bool Ask(unsigned long pid) {
        DWORD front = 0;
        if (HWND w = GetForegroundWindow()) GetWindowThreadProcessId(w, &front);
        bool dialog = false;
        for (HWND w : qv::excel::com::VisibleWindowsOf(pid)) {
            wchar_t cls[16] = {};
            dialog = dialog || (GetClassNameW(w, cls, 16) && lstrcmpW(cls, L"#32770") == 0);
        }
        std::lock_guard<std::mutex> hold(lock_);
        asked_.push_back(Question{pid, front, dialog});
        return answers_[std::min(asked_.size(), answers_.size()) - 1];
    }
    std::vector<Question> Asked() {
        std::lock_guard<std::mutex> hold(lock_);
        return asked_;
    }

private:
    std::mutex lock_;
    std::vector<bool> answers_;
    std::vector<Question> asked_;
};

// A window of the test's own process that takes the foreground as soon as `processId` shows a
// dialog, as a person clicking the blocked program's window would.
class ForegroundThief {
public:
    explicit ForegroundThief(DWORD processId) : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, processId] { Run(processId); });
    }
    ~ForegroundThief() {
        SetEvent(stop_.get());
        thread_.join();
    }
    ForegroundThief(const ForegroundThief&) = delete;
    ForegroundThief& operator=(const ForegroundThief&) = delete;
    bool Stole() const { return stole_; }

private:
    void Run(DWORD processId) {
        while (WaitForSingleObject(stop_.get(), 20) == WAIT_TIMEOUT) {
            if (!stole_ && !qv::excel::com::VisibleWindowsOf(processId).empty()) {
                own_ = CreateWindowExW(0, L"STATIC", L"thief", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                       nullptr, nullptr, nullptr);
                SetForegroundWindow(own_);
                stole_ = own_ && GetForegroundWindow() == own_;
            }
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        if (own_) DestroyWindow(own_);
    }

    qv::win32::UniqueHandle stop_;
    std::thread thread_;
    HWND own_ = nullptr;
    std::atomic<bool> stole_{false};
};

class WatchdogTest : public testing::Test {
protected:
    void SetUp() override {
        std::wstring problem = qv::test::StandInRegistrationProblem();
        ASSERT_TRUE(problem.empty()) << Narrow(problem);
        ASSERT_EQ(qv::test::CountStandIns(), 0) << "a stand-in was already running before the test";
        RegDeleteTreeW(HKEY_CURRENT_USER, kAnswersKey);  // Excel's dialogs show their real windows
        ASSERT_TRUE(settings.Set(L"Version", L"11.0"));
        ASSERT_TRUE(settings.Set(L"BusyMilliseconds", L"0"));
    }
    void TearDown() override {
        EXPECT_TRUE(qv::test::WaitForStandInCount(0, 15000)) << "a stand-in process outlived the test";
        EXPECT_EQ(qv::test::EndLeftoverStandIns(), 0);
    }

    qv::win32::ComInit com;
    qv::test::ScratchFolder dir;
    qv::test::StandInSettings settings;
};

// An add-in whose opening shows a window inside the launcher's own invisible Excel: the call
// waits for an answer nobody sees. That Excel's windows come to the front before each question;
// "wait on" asks again later, and "end it" makes the call fail as any failing Excel call does.
TEST_F(WatchdogTest, AnAddInsWindowInsideACallComesToTheFrontAndNoEndsThatExcel) {
    const std::wstring file = dir.File(L"modal.xla");
    ASSERT_TRUE(qv::win32::WriteXlaFixture(file, L"Modal Tool", L""));
    ASSERT_TRUE(settings.Set(L"ModalFiles", L"other.xla;MODAL.XLA"));
    ASSERT_TRUE(settings.Set(L"ModalMilliseconds", L"0"));
    Questions questions({true, false});  // wait on once, then end it
    qv::excel::com::LauncherOptions options;
    options.frontAfterMs = 200;
    options.askAfterMs = 2000;
    options.keepWaiting = [&](unsigned long pid) { return questions.Ask(pid); };
    auto launcher = qv::excel::com::MakeLauncher(options);
    auto app = launcher->Create();
    ASSERT_TRUE(app);
    auto ids = qv::test::StandInProcessIds();
    ASSERT_EQ(ids.size(), 1u);

    {
        ForegroundThief thief(ids[0]);
        try {
            app->OpenWorkbook(file);
            ADD_FAILURE() << "the call returned although its window was never closed";
        } catch (const ExcelError& e) {
            EXPECT_EQ(e.Member(), L"Open");
        }
        EXPECT_TRUE(thief.Stole()) << "the program's own window had the foreground while the call waited";
    }
    auto asked = questions.Asked();
    ASSERT_EQ(asked.size(), 2u) << "asked again after waiting on, and not after the end";
    for (const Question& q : asked) {
        EXPECT_EQ(q.processId, ids[0]);
        EXPECT_TRUE(q.dialogShown);
        EXPECT_EQ(q.frontProcessId, ids[0]) << "the window was brought to the front before the question";
    }
    app.reset();
    EXPECT_TRUE(launcher->WaitForInstancesToEnd(15000)) << "the ended Excel counts as ended";
}

}  // namespace
