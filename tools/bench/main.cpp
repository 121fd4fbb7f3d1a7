// The mode switch's cost against the Excel stand-in under Wine: round trips per listed add-in,
// the time of a switch beside one bare create and Quit of the stand-in, and the wizard's memory.
// Run by scripts/bench.sh; it prints figures and asserts nothing.
#include <windows.h>
#include <objbase.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench_world.h"
#include "excel/com/excel_calls.h"
#include "platform/win32/handles.h"
#include "wizard_process.h"

namespace qv::bench {
namespace {

constexpr int kShowFolderMode = 6;  // lists every add-in: three reads each
constexpr int kRepeats = 3;
constexpr DWORD kWindowWaitMs = 120000;
// Private bytes are sampled while the calls are counted, not while the times are taken.
constexpr DWORD kSampleMs = 10;

std::wstring OwnFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring d = exe;
    return d.substr(0, d.rfind(L'\\'));
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

double Mb(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One create and Quit of the stand-in as any client makes it, without waiting for its end.
double BareCreateQuit() {
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    {
        CLSID clsid;
        win32::ComPtr<IDispatch> app;
        if (FAILED(CLSIDFromProgID(L"Excel.Application", &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, app.put_void())))
            return -1;
        try {
            excel::com::Dispatch(std::move(app), excel::com::ExcelCalls::Unwatched()).call(L"Quit");
        } catch (const excel::ExcelError&) {
            return -1;
        }
    }
    QueryPerformanceCounter(&to);
    return Seconds(from, to);
}

// One call's round trip from this process to the stand-in: the median of batches of Hwnd reads
// (a bare Invoke each), once the stand-in's start-up busy time is over. Hwnd does no work in the
// server.
double RoundTrip() {
    constexpr int kBatches = 5, kReads = 100;
    CLSID clsid;
    win32::ComPtr<IDispatch> raw;
    if (FAILED(CLSIDFromProgID(L"Excel.Application", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, raw.put_void())))
        return -1;
    excel::com::Dispatch app(std::move(raw), excel::com::ExcelCalls::Unwatched());
    std::vector<double> each;
    try {
        app.get(L"Hwnd");  // waits out the busy time
        // One Invoke each, as a listing's reads are once their DISPIDs are known.
        LPOLESTR name = const_cast<LPOLESTR>(L"Hwnd");
        DISPID id = 0;
        if (FAILED(app.raw()->GetIDsOfNames(IID_NULL, &name, 1, app.policy().Lcid(), &id))) return -1;
        for (int b = 0; b < kBatches; ++b) {
            LARGE_INTEGER from, to;
            QueryPerformanceCounter(&from);
            for (int i = 0; i < kReads; ++i) {
                DISPPARAMS none{nullptr, nullptr, 0, 0};
                win32::Variant r;
                if (FAILED(app.raw()->Invoke(id, IID_NULL, app.policy().Lcid(), DISPATCH_PROPERTYGET, &none, r.put(),
                                             nullptr, nullptr)))
                    return -1;
            }
            QueryPerformanceCounter(&to);
            each.push_back(Seconds(from, to) / kReads);
        }
        app.call(L"Quit");
    } catch (const excel::ExcelError&) {
        return -1;
    }
    return Median(each);
}

std::string ReadFrom(const std::wstring& path, size_t offset) {
    std::string all;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return all;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) all.append(buf, got);
    CloseHandle(h);
    return offset < all.size() ? all.substr(offset) : std::string();
}

size_t SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &d)) return 0;
    return d.nFileSizeLow;
}

// The stand-in's log lines of one switch: every call, the DISPID look-ups, the enumerator's.
struct Calls {
    int all = 0, lookups = 0, batches = 0;
};

Calls Count(const std::string& lines) {
    Calls c;
    std::istringstream in(lines);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '|')) f.push_back(field);
        if (f.size() != 7) continue;
        ++c.all;
        if (f[1] == "IEnumVARIANT") ++c.batches;
        else if (f[3] == "0") ++c.lookups;
    }
    return c;
}

// The process ids of the stand-in's living processes.
std::vector<DWORD> LivingStandIns() {
    std::vector<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
        if (lstrcmpiW(e.szExeFile, L"excel-standin.exe") == 0) pids.push_back(e.th32ProcessID);
    CloseHandle(snap);
    return pids;
}

ULONGLONG Now() {
    FILETIME t;
    GetSystemTimePreciseAsFileTime(&t);
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

ULONGLONG Ticks(const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

double SecondsBetween(ULONGLONG from, ULONGLONG to) { return to >= from ? static_cast<double>(to - from) / 1e7 : 0; }

// One timed switch: the click's whole time, and how long after the click the switch's own
// Excel process was created. What comes before that creation is the wait for earlier
// instances and COM's start of the server; what comes after it is the listing.
struct Switch {
    double total = 0, toInstance = 0;
    bool found = false;
};

Switch TimedSwitch(Wizard& w) {
    const std::vector<DWORD> before = LivingStandIns();
    Switch s;
    const ULONGLONG click = Now();
    s.total = w.ClickMode(kShowFolderMode);
    // The instance has quit but lives on for its shutdown time, so it is still there to ask.
    for (DWORD pid : LivingStandIns()) {
        if (std::find(before.begin(), before.end(), pid) != before.end()) continue;
        win32::UniqueHandle p(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        FILETIME created, exited, kernel, user;
        if (!p || !GetProcessTimes(p.get(), &created, &exited, &kernel, &user)) continue;
        s.toInstance = SecondsBetween(click, Ticks(created));
        s.found = true;
    }
    return s;
}

// The earlier switch's Excel process, held open so that its end can be read after it ended.
class EarlierInstance {
public:
    EarlierInstance() {
        for (DWORD pid : LivingStandIns())
            if (HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid))
                processes_.emplace_back(h);
    }
    // Seconds from `from` to the last of them ending; 0 when none was alive at `from` or
    // when one has not ended yet.
    double EndedAfter(ULONGLONG from) const {
        double latest = 0;
        for (const auto& p : processes_) {
            FILETIME created, exited, kernel, user;
            if (WaitForSingleObject(p.get(), 0) != WAIT_OBJECT_0) continue;
            if (GetProcessTimes(p.get(), &created, &exited, &kernel, &user))
                latest = std::max(latest, SecondsBetween(from, Ticks(exited)));
        }
        return latest;
    }

private:
    std::vector<win32::UniqueHandle> processes_;
};

struct Figures {
    int rows = 0;
    Calls first, second;
    double bare = 0, swtch = 0, toInstance = 0;
    // Two switches back to back: the second one's time, its click to its own instance's
    // creation, and the earlier instance's end after that click.
    double again = 0, againToInstance = 0, earlierEnded = 0;
    Memory peak;
    SIZE_T atWindow = 0;
    double roundTrip = 0;  // one call's round trip, in seconds
    bool ok = true;
};

void Keep(Figures& f, Wizard& w) {
    if (w.Failed()) f.ok = false;
    f.peak.privateBytes = std::max(f.peak.privateBytes, w.Peak().privateBytes);
    f.peak.workingSet = std::max(f.peak.workingSet, w.Peak().workingSet);
    f.atWindow = std::max(f.atWindow, w.PrivateAtWindow());
}

// With BusyMilliseconds 0 nothing is refused, so the count is the same in every run.
void CountCalls(const std::wstring& wizardExe, const std::wstring& log, Figures& f) {
    World::Set(L"BusyMilliseconds", L"0");
    World::Set(L"CallLog", log);
    Wizard w(wizardExe, kSampleMs);
    if (!w.WaitForWindow(kWindowWaitMs)) {
        f.ok = false;
        return;
    }
    for (Calls* c : {&f.first, &f.second}) {
        WaitForNoStandIn(30000);
        size_t before = SizeOf(log);
        w.ClickMode(kShowFolderMode);
        f.rows = w.ListedRows();
        *c = Count(ReadFrom(log, before));
        w.ClickMode(0);
    }
    Keep(f, w);
}

// The stand-in's default settings. A bare create and Quit, a switch with no earlier instance
// alive, and two switches back to back take turns, so that each sees the same load.
void Time(const std::wstring& wizardExe, Figures& f) {
    World::Set(L"BusyMilliseconds", std::nullopt);
    World::Set(L"CallLog", std::nullopt);
    Wizard w(wizardExe, 0);
    if (!w.WaitForWindow(kWindowWaitMs)) {
        f.ok = false;
        return;
    }
    std::vector<double> bare, swtch, toInstance, again, againToInstance, earlierEnded;
    for (int i = 0; i < kRepeats; ++i) {
        WaitForNoStandIn(30000);
        bare.push_back(BareCreateQuit());
        WaitForNoStandIn(30000);
        Switch alone = TimedSwitch(w);
        swtch.push_back(alone.total);
        toInstance.push_back(alone.toInstance);
        w.ClickMode(0);
        WaitForNoStandIn(30000);
        // Back to back: the first switch's Excel is still in its shutdown time at the second click.
        w.ClickMode(kShowFolderMode);
        w.ClickMode(0);
        EarlierInstance earlier;
        const ULONGLONG click = Now();
        Switch second = TimedSwitch(w);
        again.push_back(second.total);
        againToInstance.push_back(second.toInstance);
        earlierEnded.push_back(earlier.EndedAfter(click));
        w.ClickMode(0);
        f.ok = f.ok && alone.found && second.found;
    }
    f.bare = Median(bare);
    f.swtch = Median(swtch);
    f.toInstance = Median(toInstance);
    f.again = Median(again);
    f.againToInstance = Median(againToInstance);
    f.earlierEnded = Median(earlierEnded);
    if (f.bare <= 0) f.ok = false;
    Keep(f, w);
}

Figures Measure(const std::wstring& root, const std::wstring& wizardExe, const std::wstring& log, int n, Layout layout) {
    Figures f;
    World world(root, n, layout);
    CountCalls(wizardExe, log, f);
    WaitForNoStandIn(30000);
    DeleteFileW(log.c_str());
    if (f.ok) Time(wizardExe, f);
    WaitForNoStandIn(30000);
    f.roundTrip = RoundTrip();
    f.ok = f.ok && f.rows == n && f.roundTrip > 0;
    return f;
}

void Print(int n, Layout layout, const Figures& f) {
    std::printf("%6d %-22s %6d %7.2f %7.2f %8d %7.2f %7.2f %6.2f %9.2f %9.2f %9.2f %8.2f %8.2f %7.1f %7.1f %7.1f%s\n", n,
                NameOf(layout), f.rows, static_cast<double>(f.first.all) / n, static_cast<double>(f.second.all) / n,
                f.first.lookups, f.bare, f.swtch, f.bare > 0 ? f.swtch / f.bare : 0.0, f.toInstance, f.again,
                f.againToInstance - f.toInstance, f.again - f.againToInstance, f.earlierEnded, Mb(f.peak.privateBytes),
                Mb(f.peak.workingSet), Mb(f.atWindow),
                f.ok ? "" : "  (FAILED: no window, no Excel, a wrong list or a click that did not return)");
    std::printf("       first switch: %d calls, %d GetIDsOfNames, %d IEnumVARIANT::Next; second: %d calls\n",
                f.first.all, f.first.lookups, f.first.batches, f.second.all);
    // Each listed add-in costs its logged calls and the release of its object, one round trip each.
    const double floor = (static_cast<double>(f.second.all) / n + 1.0) * n * f.roundTrip;
    std::printf("       round trip %.2f ms; floor of the listing (calls + releases) %.2f s; switch - bare %.2f s\n",
                f.roundTrip * 1000, floor, f.swtch - f.bare);
    std::fflush(stdout);
}

int Run(const std::vector<int>& sizes) {
    const SIZE_T idle = MemoryOf(GetCurrentProcess()).privateBytes;
    win32::ComInit com;
    const std::wstring bin = OwnFolder();
    const std::wstring wizardExe = bin + L"\\quorvel.exe";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"qv-bench";
    const std::wstring log = std::wstring(temp) + L"qv-bench-calls.log";

    std::printf("Mode switch benchmark: mode %d (show the add-in folder) of quorvel.exe against the Excel stand-in.\n"
                "Stand-in: Version 11.0, N add-in files, all switched off, an empty library folder, no Options values.\n"
                "Layouts: the files in the user add-in folder (listed without registry entries), or in a folder of\n"
                "their own listed through Add-in Manager values. Times use the stand-in's defaults (BusyMilliseconds\n"
                "400, ExitDelayMilliseconds 1000) and are the median of %d runs; counts use BusyMilliseconds 0 and CallLog.\n"
                "Round trips: every call the switch's Excel instance logs (its DisplayAlerts, Hwnd and Quit, the\n"
                "AddIns, _NewEnum, IEnumVARIANT::Next and GetIDsOfNames calls included), per listed add-in. The first\n"
                "switch of a wizard looks up the DISPIDs its start-up has not; the second needs none.\n"
                "bare: one create and Quit of the stand-in. switch: a switch with no earlier instance alive; ratio =\n"
                "switch / bare; start: its click to its Excel process's creation. Back to back: a second switch right\n"
                "after one whose Excel is still in its shutdown time: again = its time, wait = its click-to-creation\n"
                "less the lone switch's (the time spent waiting for the earlier instance), list = again less its\n"
                "click-to-creation, ended = the earlier instance's end after the second click.\n"
                "round trip: one call from this program to the stand-in (median of batches of Hwnd reads); floor:\n"
                "the round trips of the listing (trips2 per add-in, plus the release of each add-in's object) at that\n"
                "cost, which is as close as switch - bare can come under Wine with these calls.\n"
                "Memory: of quorvel.exe itself (its window is its own): private bytes (committed private memory) sampled\n"
                "every %lu ms while the calls are counted, and the peak working set over both of its runs.\n"
                "The machine is shared: compare ratios within one run, not seconds across runs.\n\n",
                kShowFolderMode, kRepeats, static_cast<unsigned long>(kSampleMs));
    std::printf("%6s %-22s %6s %7s %7s %8s %7s %7s %6s %9s %9s %9s %8s %8s %7s %7s %7s\n", "addins", "layout", "rows",
                "trips1", "trips2", "lookups", "bare s", "switch", "ratio", "start s", "again s", "wait s", "list s",
                "ended s", "priv MB", "work MB", "win MB");
    std::fflush(stdout);
    bool ok = true;
    for (int n : sizes)
        for (Layout layout : {Layout::UserFolder, Layout::AddinManager}) {
            Figures f = Measure(root, wizardExe, log, n, layout);
            ok = ok && f.ok;
            Print(n, layout, f);
        }
    std::printf("\nWine's own share: this console program's private bytes before it did anything: %.1f MB.\n", Mb(idle));
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace qv::bench

// Arguments: the list sizes to measure (default 10, 200 and 1000).
int wmain(int argc, wchar_t** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        if (int n = _wtoi(argv[i]); n > 0) sizes.push_back(n);
    if (sizes.empty()) sizes = {10, 200, 1000};
    return qv::bench::Run(sizes);
}
