#pragma once
// An add-in's own code may show a window inside the program's invisible Excel. The call into that
// Excel then waits for an answer that nobody sees, and the UI thread, blocked in the call, runs
// no timers. So a thread of its own watches every call into an instance of the program's own:
// after a while it brings that Excel's visible windows to the front, and later it asks whether
// to wait on or to end that Excel, so that the pending call fails.
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "excel/stuck_call.h"
#include "platform/win32/handles.h"

namespace qv::excel::com {

class Watchdog;

// An Excel instance of the program's own, as the calls to its objects know it. Its process is found
// right after the instance is created; until then, and where it cannot be found, calls are not watched.
struct Instance {
    DWORD processId = 0;
    // SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION; null when not found.
    win32::UniqueHandle process;
    std::shared_ptr<Watchdog> watchdog;
};

// The visible top-level windows of a process, topmost first.
std::vector<HWND> VisibleWindowsOf(DWORD processId);

class Watchdog {
public:
    Watchdog(StuckCallTiming timing, std::function<bool(unsigned long processId)> keepWaiting);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Ends the thread; later scopes watch nothing. Waits while a question is still being asked.
    void Stop();

    // A call or a wait in progress, watched for as long as this object lives. Null, or an instance
    // whose process is unknown: nothing is watched.
    class Scope {
    public:
        explicit Scope(const std::shared_ptr<const Instance>& instance);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        std::shared_ptr<Watchdog> dog_;
        std::uint64_t id_ = 0;
    };

    // The creation of an instance, watched while CoCreateInstance is pending: Excel may show a
    // window before its class is registered, and the call then waits on it. `find` is asked on the
    // watchdog's thread, at each look, until it names the new instance's process; from then on it
    // is watched as a call.
    using Finder = std::function<std::shared_ptr<const Instance>()>;
    class Creation {
    public:
        Creation(const std::shared_ptr<Watchdog>& dog, Finder find);
        ~Creation();
        Creation(const Creation&) = delete;
        Creation& operator=(const Creation&) = delete;
        // The process `find` named, or null.
        std::shared_ptr<const Instance> Found() const;

    private:
        std::shared_ptr<Watchdog> dog_;
        std::uint64_t id_ = 0;
    };

private:
    struct Entry {
        std::shared_ptr<const Instance> instance;  // keeps the process handle open; null until found
        Finder find;
        StuckCall clock;
        std::vector<HWND> raised;  // windows already brought to the front once
        bool asking = false;
    };

    std::uint64_t Add(const std::shared_ptr<const Instance>& instance, Finder find = nullptr);
    void Remove(std::uint64_t id);
    void Run() noexcept;
    // One look at every entry; called with the lock held, which it drops around window calls and the question.
    void Poll(std::unique_lock<std::mutex>& lock);

    const StuckCallTiming timing_;
    const std::function<bool(unsigned long)> keepWaiting_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::map<std::uint64_t, Entry> entries_;
    std::uint64_t nextId_ = 1;
    bool stopping_ = false;
    std::thread thread_;  // started with the first watched call
};

}  // namespace qv::excel::com
