#include "excel/com/watchdog.h"

#include <algorithm>
#include <chrono>

namespace qv::excel::com {

namespace {

constexpr auto kPollEvery = std::chrono::milliseconds(250);

bool OurWindowInFront() {
    DWORD pid = 0;
    HWND front = GetForegroundWindow();
    return front && GetWindowThreadProcessId(front, &pid) && pid == GetCurrentProcessId();
}

// Brings the process's visible windows to the front when one of them has not been brought there
// yet, or when a window of the program's own is in front again: the program's window cannot answer
// while its call waits, so the person should see the window that can.
void BringToFront(DWORD processId, std::vector<HWND>& raised) {
    std::vector<HWND> windows = VisibleWindowsOf(processId);
    if (windows.empty()) return;
    bool fresh = std::any_of(windows.begin(), windows.end(),
                             [&](HWND w) { return std::find(raised.begin(), raised.end(), w) == raised.end(); });
    if (!fresh && !OurWindowInFront()) return;
    AllowSetForegroundWindow(processId);
    // Bottom first, so that they keep their order among themselves. Asynchronous: a hung window
    // must not hold the watchdog up.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    SetForegroundWindow(windows.front());
    raised = std::move(windows);
}

}  // namespace

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{processId, {}};
    if (!processId) return {};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD pid = 0;
            if (GetWindowThreadProcessId(hwnd, &pid) && pid == s->pid && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Watchdog::Watchdog(StuckCallTiming timing, std::function<bool(unsigned long)> keepWaiting)
    : timing_(timing), keepWaiting_(std::move(keepWaiting)) {}

Watchdog::~Watchdog() { Stop(); }

void Watchdog::Stop() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

Watchdog::Scope::Scope(const std::shared_ptr<const Instance>& instance) {
    if (!instance || !instance->watchdog || !instance->processId || !instance->process) return;
    id_ = instance->watchdog->Add(instance);
    if (id_) dog_ = instance->watchdog;
}

Watchdog::Scope::~Scope() {
    if (dog_) dog_->Remove(id_);
}

Watchdog::Creation::Creation(const std::shared_ptr<Watchdog>& dog, Finder find) {
    if (!dog || !find) return;
    id_ = dog->Add(nullptr, std::move(find));
    if (id_) dog_ = dog;
}

Watchdog::Creation::~Creation() {
    if (dog_) dog_->Remove(id_);
}

std::shared_ptr<const Instance> Watchdog::Creation::Found() const {
    if (!dog_) return nullptr;
    std::lock_guard<std::mutex> hold(dog_->lock_);
    auto it = dog_->entries_.find(id_);
    return it == dog_->entries_.end() ? nullptr : it->second.instance;
}

std::uint64_t Watchdog::Add(const std::shared_ptr<const Instance>& instance, Finder find) {
    std::lock_guard<std::mutex> hold(lock_);
    if (stopping_) return 0;
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (...) {
            return 0;  // no thread: the call goes unwatched, as before there was a watchdog
        }
    }
    std::uint64_t id = nextId_++;
    entries_.emplace(id, Entry{instance, std::move(find), StuckCall(GetTickCount()), {}, false});
    return id;
}

void Watchdog::Remove(std::uint64_t id) {
    std::lock_guard<std::mutex> hold(lock_);
    entries_.erase(id);
}

void Watchdog::Run() noexcept {
    try {
        std::unique_lock<std::mutex> lock(lock_);
        while (!stopping_) {
            wake_.wait_for(lock, kPollEvery);
            if (!stopping_) Poll(lock);
        }
    } catch (...) {
        // Nothing may leave the thread; a watchdog that stopped leaves calls as they were without it.
    }
}

void Watchdog::Poll(std::unique_lock<std::mutex>& lock) {
    // Only the entry keeps the instance: the thread never holds the last reference to it.
    struct Job {
        std::uint64_t id;
        DWORD processId;
        bool front;
        bool ask;
        std::vector<HWND> raised;
    };
    // Creations whose process is not known yet: asked without the lock, as they list processes.
    std::vector<std::pair<std::uint64_t, Finder>> finds;
    for (auto& [id, e] : entries_)
        if (!e.instance && e.find) finds.emplace_back(id, e.find);
    if (!finds.empty()) {
        lock.unlock();
        std::vector<std::pair<std::uint64_t, std::shared_ptr<const Instance>>> found;
        for (auto& [id, find] : finds) {
            try {
                if (auto instance = find()) found.emplace_back(id, std::move(instance));
            } catch (...) {
            }
        }
        lock.lock();
        for (auto& [id, instance] : found) {
            auto it = entries_.find(id);
            if (it != entries_.end()) it->second.instance = std::move(instance);
        }
    }
    const Tick now = GetTickCount();
    std::vector<Job> jobs;
    for (auto& [id, e] : entries_) {
        if (!e.instance) continue;
        bool front = e.clock.FrontDue(now, timing_);
        bool ask = !e.asking && e.clock.AskDue(now, timing_);
        if (ask) e.asking = true;
        if (front || ask) jobs.push_back(Job{id, e.instance->processId, front, ask, e.raised});
    }
    lock.unlock();
    for (Job& job : jobs) {
        const DWORD pid = job.processId;
        if (job.front) BringToFront(pid, job.raised);
        bool keep = true;
        if (job.ask) {
            try {
                keep = keepWaiting_(pid);
            } catch (...) {
                keep = true;  // a question that failed ends nothing
            }
        }
        lock.lock();
        auto it = entries_.find(job.id);
        // Only a call still pending is ended: one that returned while the person read the question
        // has done its work.
        if (it != entries_.end()) {
            it->second.raised = std::move(job.raised);
            if (job.ask && keep) {
                it->second.asking = false;
                it->second.clock.WaitedOn(GetTickCount());
            } else if (job.ask) {
                // Stays marked as asked: an Excel already ended is not asked about again.
                TerminateProcess(it->second.instance->process.get(), 1);
            }
        }
        lock.unlock();
    }
    lock.lock();
}

}  // namespace qv::excel::com
