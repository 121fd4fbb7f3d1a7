#pragma once
// quorvel.exe run as a user runs it, driven from outside: its window found by its title, its
// mode buttons clicked, its memory sampled while it runs.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "host.h"

namespace qv::bench {

struct Memory {
    SIZE_T privateBytes = 0;  // private committed bytes (PrivateUsage)
    SIZE_T workingSet = 0;    // PeakWorkingSetSize
};

// A process's private bytes now and its working set's peak so far. Wine's PrivateUsage counts
// only swapped-out pages, so the private bytes are summed from the committed private regions
// of its address space, which is what PrivateUsage means on Windows.
Memory MemoryOf(HANDLE process);

class Wizard {
public:
    // `sampleMs` 0: no sampling of private bytes, which would slow the wizard down under Wine.
    Wizard(const std::wstring& exe, DWORD sampleMs);
    ~Wizard();  // closes the window; ends the process by its handle if it does not go
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    // False when no window appeared within the wait.
    bool WaitForWindow(DWORD ms);
    // Clicks mode button `index` as a user would and returns once its handler has run: the
    // click is sent, so the call returns when the wizard has finished with it. Seconds taken.
    double ClickMode(int index);
    int ListedRows() const;
    // A click did not return within its bound (a message box, most likely): the figures are void.
    bool Failed() const { return failed_; }
    // The highest private bytes seen by the sampler (and now), and the working set's peak.
    Memory Peak();
    // Private bytes when the window first appeared, before any mode that starts Excel.
    SIZE_T PrivateAtWindow() const { return atWindow_; }

private:
    void Sample();

    std::unique_ptr<test::Process> process_;
    HWND window_ = nullptr;
    SIZE_T atWindow_ = 0;
    bool failed_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<SIZE_T> peakPrivate_{0}, peakWorkingSet_{0};
    std::thread sampler_;
};

}  // namespace qv::bench
