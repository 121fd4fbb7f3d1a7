#include "wizard_process.h"

#include <psapi.h>

#include "window/texts.h"
#include "window/win32/resource.h"

namespace qv::bench {

namespace {

constexpr int kMessageTextId = 0xFFFF;  // a message box's text; the main window has none
constexpr UINT kClickWaitMs = 120000;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

}  // namespace

Memory MemoryOf(HANDLE process) {
    Memory r;
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof m;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m))
        r = {m.PrivateUsage, m.PeakWorkingSetSize};
    SIZE_T committed = 0;
    MEMORY_BASIC_INFORMATION info;
    for (auto* at = static_cast<BYTE*>(nullptr); VirtualQueryEx(process, at, &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) committed += info.RegionSize;
        BYTE* next = static_cast<BYTE*>(info.BaseAddress) + info.RegionSize;
        if (next <= at) break;
        at = next;
    }
    if (committed > r.privateBytes) r.privateBytes = committed;
    return r;
}

Wizard::Wizard(const std::wstring& exe, DWORD sampleMs) {
    process_ = std::make_unique<test::Process>(exe, L"");
    if (!process_->Started()) return;
    if (sampleMs)
        sampler_ = std::thread([this, sampleMs] {
            while (!stop_) {
                Sample();
                Sleep(sampleMs);
            }
        });
}

Wizard::~Wizard() {
    if (window_ && IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (process_) process_->Wait(30000);  // then ended by its handle if it did not go
    stop_ = true;
    if (sampler_.joinable()) sampler_.join();
}

void Wizard::Sample() {
    Memory m = MemoryOf(process_->Handle());
    if (m.privateBytes > peakPrivate_) peakPrivate_ = m.privateBytes;
    if (m.workingSet > peakWorkingSet_) peakWorkingSet_ = m.workingSet;
}

bool Wizard::WaitForWindow(DWORD ms) {
    if (!process_ || !process_->Started()) return false;
    struct Search {
        DWORD pid;
        HWND found;
    };
    for (DWORD waited = 0; waited <= ms; waited += 50) {
        Search s{process_->Id(), nullptr};
        EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD owner = 0;
                GetWindowThreadProcessId(h, &owner);
                wchar_t title[64] = {};
                GetWindowTextW(h, title, 64);
                if (owner != s->pid || lstrcmpW(title, texts::kAppTitle) != 0 || !IsWindowVisible(h)) return TRUE;
                if (GetDlgItem(h, kMessageTextId) || !GetDlgItem(h, IDC_OPTBTN0)) return TRUE;
                s->found = h;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&s));
        if (s.found) {
            window_ = s.found;
            // Sent, so it returns once the window has handled what came before it.
            SendMessageW(window_, WM_NULL, 0, 0);
            atWindow_ = MemoryOf(process_->Handle()).privateBytes;
            return true;
        }
        if (process_->Ended(50)) return false;
    }
    return false;
}

double Wizard::ClickMode(int index) {
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    // Bounded: a failed switch shows a message box, and the click would return only once a
    // person closed it.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(GetDlgItem(window_, IDC_OPTBTN0 + index), BM_CLICK, 0, 0, SMTO_NORMAL, kClickWaitMs,
                             &result))
        failed_ = true;
    QueryPerformanceCounter(&to);
    return Seconds(from, to);
}

int Wizard::ListedRows() const {
    return static_cast<int>(SendMessageW(GetDlgItem(window_, IDC_LSTADDIN), LB_GETCOUNT, 0, 0));
}

Memory Wizard::Peak() {
    Sample();  // the working set's peak is kept by the system; the private bytes' by the sampler
    return {peakPrivate_, peakWorkingSet_};
}

}  // namespace qv::bench
