#include "excel/com/com_excel.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "excel/com/excel_calls.h"
#include "excel/com/foreground.h"
#include "excel/com/new_process.h"
#include "excel/com/patience.h"
#include "excel/com/watchdog.h"
#include "excel/stuck_call.h"

namespace qv::excel::com {

namespace {

using win32::UniqueHandle;

// The pause before Excel's creation is tried a second time.
constexpr DWORD kCreateRetryPauseMs = 300;

// One table of DISPIDs per kind of Excel object, kept for the life of the program.
MemberIds& ApplicationIds() { static MemberIds ids; return ids; }
MemberIds& AddInsIds() { static MemberIds ids; return ids; }
MemberIds& AddInIds() { static MemberIds ids; return ids; }
MemberIds& WorkbooksIds() { static MemberIds ids; return ids; }
MemberIds& WorkbookIds() { static MemberIds ids; return ids; }

bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// Excel 97 and 2000 have no Hwnd: give the instance a caption no other window has, and find the
// XLMAIN window that carries it. Excel may add a workbook's name after the caption.
HWND FindMainWindowByCaption(const Dispatch& app) {
    GUID guid;
    wchar_t text[64] = {};
    if (FAILED(CoCreateGuid(&guid)) || !StringFromGUID2(guid, text, 64)) return nullptr;
    struct Search {
        std::wstring caption;
        HWND found = nullptr;
    } search{std::wstring(L"Quorvel SP ") + text};
    try {
        app.put(L"Caption", search.caption);
    } catch (const ExcelError&) {
        return nullptr;
    }
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t cls[16] = {};
            if (!GetClassNameW(hwnd, cls, 16) || lstrcmpW(cls, L"XLMAIN") != 0) return TRUE;
            int n = GetWindowTextLengthW(hwnd);
            std::wstring title(static_cast<size_t>(n) + 1, L'\0');
            title.resize(static_cast<size_t>(GetWindowTextW(hwnd, title.data(), n + 1)));
            if (!StartsWith(title, s->caption)) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Keeps an instance's process open for waiting and, when a person asks, for ending it. False when
// it cannot be opened.
bool OpenProcessOf(DWORD pid, Instance& instance) {
    if (!pid) return false;
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return false;
    instance.processId = pid;
    instance.process = std::move(process);
    return true;
}

// The process of an Excel's main window, as Excel 2002 and later name it (Hwnd); 0 when it has none.
DWORD ProcessOfHwnd(const Dispatch& app) {
    auto hwnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(ToLong(app.get(L"Hwnd"), L"Hwnd")));
    DWORD pid = 0;
    if (!hwnd || !GetWindowThreadProcessId(hwnd, &pid)) return 0;
    return pid;
}

// Finds the instance's process, when its creation did not show it, by asking the instance.
// From Excel 2002 on, Hwnd names its main window. Leaves the process unknown where it cannot be found.
void FindProcess(const Dispatch& app, Instance& instance) {
    HWND hwnd = nullptr;
    try {
        hwnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(ToLong(app.get(L"Hwnd"), L"Hwnd")));
    } catch (const ExcelError& e) {
        if (e.HResult() != static_cast<long>(DISP_E_UNKNOWNNAME)) return;
        hwnd = FindMainWindowByCaption(app);
    }
    DWORD pid = 0;
    if (!hwnd || !GetWindowThreadProcessId(hwnd, &pid) || !pid) return;
    OpenProcessOf(pid, instance);
}

bool HasEnded(const Instance& instance) { return WaitForSingleObject(instance.process.get(), 0) == WAIT_OBJECT_0; }

// Waits for one instance's process to end, with the thread's messages served, within `bound`. Watched
// like a call: an add-in's message box on the way out comes to the front and stops the bound.
bool WaitForEnd(const std::shared_ptr<const Instance>& instance, EndWaitBound& bound) {
    constexpr DWORD kSliceMs = 250;
    Watchdog::Scope watched(instance);
    for (;;) {
        if (HasEnded(*instance)) return true;
        if (bound.RanOut()) return false;
        if (PumpingWait(instance->process.get(), std::min<DWORD>(bound.LeftMs(), kSliceMs))) return true;
        bound.Note(GetTickCount(), !VisibleWindowsOf(instance->processId).empty());
    }
}

// Every instance the launcher created, whether it was told to quit or only released, until its
// process has ended.
class CreatedInstances {
public:
    void Add(std::shared_ptr<const Instance> instance) {
        if (instance->process) live_.push_back(std::move(instance));
        else unknown_ = true;
    }

    // Waits up to `timeoutMs` for every known process to end; the first still running, or 0.
    DWORD WaitAll(int timeoutMs) {
        EndWaitBound bound(GetTickCount(), timeoutMs);
        for (auto& instance : live_) WaitForEnd(instance, bound);
        std::erase_if(live_, [](const std::shared_ptr<const Instance>& i) { return HasEnded(*i); });
        return live_.empty() ? 0 : live_.front()->processId;
    }

    // An instance whose process could not be found cannot be waited for: the next wait says so,
    // once, and no wait after it.
    bool TakeUnknown() { return std::exchange(unknown_, false); }

    bool Owns(DWORD pid) const {
        return std::any_of(live_.begin(), live_.end(),
                           [&](const std::shared_ptr<const Instance>& i) { return i->processId == pid && !HasEnded(*i); });
    }

private:
    std::vector<std::shared_ptr<const Instance>> live_;
    bool unknown_ = false;
};

class ComAddIn : public AddIn {
public:
    explicit ComAddIn(Dispatch d) : d_(std::move(d)) {}
    std::wstring Name() override { return Text(L"Name"); }
    std::wstring FullName() override { return Text(L"FullName"); }
    std::wstring Title() override { return Text(L"Title"); }
    std::wstring Path() override { return Text(L"Path"); }
    bool Installed() override { return ToBool(d_.get(L"Installed"), L"Installed"); }
    void SetInstalled(bool on) override { d_.put(L"Installed", on); }

private:
    std::wstring Text(const wchar_t* member) { return ToString(d_.get(member), member); }
    Dispatch d_;
};

class ComWorkbook : public Workbook {
public:
    explicit ComWorkbook(Dispatch d) : d_(std::move(d)) {}
    std::wstring Name() override { return ToString(d_.get(L"Name"), L"Name"); }
    void Close(bool saveChanges) override { d_.call(L"Close", saveChanges); }

private:
    Dispatch d_;
};

template <class T, class Impl>
class ComCursor : public Cursor<T> {
public:
    ComCursor(const Dispatch& collection, MemberIds& itemKind) : e_(collection, &itemKind) {}
    std::unique_ptr<T> Next() override {
        auto item = e_.Next();
        if (!item) return nullptr;
        return std::make_unique<Impl>(std::move(*item));
    }

private:
    Enumerator e_;
};

// GetOpenFilename's answer: an array of paths indexed from 1, or False when cancelled.
std::optional<std::vector<std::wstring>> PathsOf(const Variant& v, const std::wstring& member) {
    const VARIANT* raw = v.get();
    if (raw->vt == VT_BOOL && raw->boolVal == VARIANT_FALSE) return std::nullopt;
    if (!(raw->vt & VT_ARRAY) || !raw->parray) return std::vector<std::wstring>{ToString(v, member)};
    SAFEARRAY* sa = raw->parray;
    VARTYPE element = raw->vt & VT_TYPEMASK;
    if (SafeArrayGetDim(sa) != 1 || (element != VT_VARIANT && element != VT_BSTR))
        throw ExcelError(member, static_cast<long>(DISP_E_TYPEMISMATCH), win32::SystemMessage(DISP_E_TYPEMISMATCH));
    LONG lo = 0, hi = -1;
    SafeArrayGetLBound(sa, 1, &lo);
    SafeArrayGetUBound(sa, 1, &hi);
    std::vector<std::wstring> paths;
    for (LONG i = lo; i <= hi; ++i) {
        Variant item;
        HRESULT hr;
        if (element == VT_VARIANT) {
            hr = SafeArrayGetElement(sa, &i, item.put());
        } else {
            BSTR b = nullptr;
            hr = SafeArrayGetElement(sa, &i, &b);
            if (SUCCEEDED(hr)) { item.put()->vt = VT_BSTR; item.get()->bstrVal = b; }
        }
        if (FAILED(hr)) throw ExcelError(member, static_cast<long>(hr), win32::SystemMessage(static_cast<DWORD>(hr)));
        paths.push_back(ToString(item, member));
    }
    return paths;
}

class ComApplication : public Application {
public:
    // `exits` is null for the user's own Excel, whose end the wizard does not wait for.
    explicit ComApplication(Dispatch app) : app_(std::move(app)) {}

    bool Visible() override { return ToBool(app_.get(L"Visible"), L"Visible"); }
    void SetVisible(bool visible) override { app_.put(L"Visible", visible); }
    long WorkbookCount() override { return ToLong(Books().get(L"Count"), L"Count"); }
    std::unique_ptr<Cursor<Workbook>> Workbooks() override {
        return std::make_unique<ComCursor<Workbook, ComWorkbook>>(Books(), WorkbookIds());
    }
    std::wstring Version() override { return ToString(app_.get(L"Version"), L"Version"); }
    std::wstring UserLibraryPath() override { return ToString(app_.get(L"UserLibraryPath"), L"UserLibraryPath"); }
    std::wstring LibraryPath() override { return ToString(app_.get(L"LibraryPath"), L"LibraryPath"); }
    std::unique_ptr<Cursor<AddIn>> AddIns() override {
        return std::make_unique<ComCursor<AddIn, ComAddIn>>(AddInList(), AddInIds());
    }
    void OpenWorkbook(const std::wstring& path) override { Books().call(L"Open", path); }
    std::unique_ptr<Workbook> AddWorkbook() override {
        return std::make_unique<ComWorkbook>(app_.child(Books().call(L"Add"), L"Add", &WorkbookIds()));
    }
    std::unique_ptr<AddIn> AddAddIn(const std::wstring& filename, bool copyFile) override {
        Variant added = AddInList().call(L"Add", Named{L"Filename", filename}, Named{L"CopyFile", copyFile});
        return std::make_unique<ComAddIn>(app_.child(std::move(added), L"Add", &AddInIds()));
    }
    std::optional<std::vector<std::wstring>> GetOpenFilenames(const std::wstring& filter) override {
        AllowToFront(app_);
        Variant v = app_.under(ExcelCalls::Unwatched()).call(L"GetOpenFilename", filter, Missing{}, Missing{}, Missing{}, true);
        return PathsOf(v, L"GetOpenFilename");
    }
    std::optional<std::wstring> GetSaveAsFilename(const std::wstring& initialName) override {
        AllowToFront(app_);
        Variant v = app_.under(ExcelCalls::Unwatched()).call(L"GetSaveAsFilename", initialName);
        if (v.vt() == VT_BOOL && v.get()->boolVal == VARIANT_FALSE) return std::nullopt;
        return ToString(v, L"GetSaveAsFilename");
    }
    void Quit() override { app_.call(L"Quit"); }
    void SetDisplayAlerts(bool on) { app_.put(L"DisplayAlerts", on); }
    const Dispatch& Object() const { return app_; }

private:
    Dispatch Books() const { return app_.object(L"Workbooks", &WorkbooksIds()); }
    Dispatch AddInList() const { return app_.object(L"AddIns", &AddInsIds()); }

    Dispatch app_;
};

class ComLauncher : public Launcher {
public:
    explicit ComLauncher(LauncherOptions options)
        : exitWaitMs_(options.exitWaitMs),
          watchdog_(std::make_shared<Watchdog>(
              StuckCallTiming{options.frontAfterMs, options.askAfterMs, static_cast<bool>(options.keepWaiting)},
              std::move(options.keepWaiting))) {}
    ~ComLauncher() override { watchdog_->Stop(); }
    ComLauncher(const ComLauncher&) = delete;
    ComLauncher& operator=(const ComLauncher&) = delete;

    std::unique_ptr<Application> Attach() override {
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"Excel.application", &clsid))) return nullptr;
        ComPtr<IUnknown> unk;
        if (FAILED(GetActiveObject(clsid, nullptr, unk.put())) || !unk) return nullptr;
        ComPtr<IDispatch> app;
        if (FAILED(unk->QueryInterface(IID_IDispatch, app.put_void())) || !app) return nullptr;
        // The user's own Excel: its calls are not watched, it is given only a short while when it
        // refuses them as busy, and its end is not waited for.
        return std::make_unique<ComApplication>(Dispatch(std::move(app), ExcelCalls::Others(), &ApplicationIds()));
    }

    std::unique_ptr<Application> Create() override {
        if (DWORD alive = WaitForEarlierInstances()) throw EarlierExcelAlive(alive);
        static const std::wstring kProgId = L"Excel.Application";
        CLSID clsid;
        HRESULT hr = CLSIDFromProgID(kProgId.c_str(), &clsid);
        if (FAILED(hr)) throw ExcelError(kProgId, static_cast<long>(hr), win32::SystemMessage(static_cast<DWORD>(hr)));
        // The new instance's process is learnt without calling it, and watched from its creation.
        const std::wstring image = LocalServerImage(clsid);
        auto instance = std::make_shared<Instance>();
        instance->watchdog = watchdog_;
        ComPtr<IDispatch> app;
        for (int attempt = 1;; ++attempt) {
            const std::vector<DWORD> before = ProcessesOf(image);
            {
                Watchdog::Creation watched(watchdog_, [image, before]() -> std::shared_ptr<const Instance> {
                    auto found = std::make_shared<Instance>();
                    if (!OpenProcessOf(OneNewProcess(image, before), *found)) return nullptr;
                    return found;
                });
                hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, app.put_void());
                if (auto seen = watched.Found()) OpenProcessOf(seen->processId, *instance);
            }
            if (!instance->process) OpenProcessOf(OneNewProcess(image, before), *instance);
            // COM can hand out the class object of a server that died before anyone used it, or fail
            // to start the server for a moment: when no Excel process came of it, it is tried once more.
            if (SUCCEEDED(hr) || instance->process || attempt == 2) break;
            PumpingWait(nullptr, kCreateRetryPauseMs);
        }
        if (FAILED(hr)) {
            // An Excel that started but failed to answer is still waited for before the next one.
            if (instance->process) created_.Add(instance);
            throw ExcelError(kProgId, static_cast<long>(hr), win32::SystemMessage(static_cast<DWORD>(hr)));
        }
        auto created = std::make_unique<ComApplication>(Dispatch(std::move(app), std::make_shared<ExcelCalls>(instance), &ApplicationIds()));
        // Recorded whatever follows, so that even an instance that failed at once is waited for.
        // Where the creation did not show the process, Excel is asked for it.
        auto record = [&] {
            if (!instance->process) {
                try {
                    FindProcess(created->Object(), *instance);
                } catch (...) {
                }
            }
            created_.Add(instance);
        };
        try {
            created->SetDisplayAlerts(false);
        } catch (...) {
            record();
            try { created->Quit(); } catch (...) {}
            throw;
        }
        record();
        return created;
    }

    unsigned long WaitForEarlierInstances() override { return created_.WaitAll(exitWaitMs_); }

    bool IsOwnInstance(Application& attached) override {
        auto* app = dynamic_cast<ComApplication*>(&attached);
        if (!app) return false;
        DWORD pid = 0;
        try {
            pid = ProcessOfHwnd(app->Object());
        } catch (const ExcelError&) {
            return false;  // no Hwnd (Excel 97 and 2000), or refused: another's Excel
        }
        return pid && created_.Owns(pid);
    }

    bool WaitForProcessToEnd(unsigned long processId, int timeoutMs) override {
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
        if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process any more
        const DWORD start = GetTickCount();
        for (;;) {
            if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return true;
            const DWORD spent = GetTickCount() - start;
            if (spent >= static_cast<DWORD>(timeoutMs)) return false;
            if (PumpingWait(process.get(), std::min<DWORD>(static_cast<DWORD>(timeoutMs) - spent, 250))) return true;
        }
    }

    bool WaitForInstancesToEnd(int timeoutMs) override {
        bool ended = created_.WaitAll(timeoutMs) == 0;
        return !created_.TakeUnknown() && ended;
    }

    OtherExcelWindow FindOtherExcelWindow() override {
        struct Search {
            const CreatedInstances* ours;
            OtherExcelWindow found;
        } search{&created_, {}};
        EnumWindows(
            [](HWND hwnd, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                wchar_t cls[16] = {};
                if (!GetClassNameW(hwnd, cls, 16) || lstrcmpW(cls, L"XLMAIN") != 0) return TRUE;
                DWORD pid = 0;
                if (!GetWindowThreadProcessId(hwnd, &pid) || !pid || pid == GetCurrentProcessId() || s->ours->Owns(pid))
                    return TRUE;
                s->found = {pid, IsWindowVisible(hwnd) != FALSE};
                // A visible one is the user's, and decides; a hidden one may yet be joined by it.
                return !s->found.visible;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

private:
    const int exitWaitMs_;
    std::shared_ptr<Watchdog> watchdog_;
    CreatedInstances created_;
};

}  // namespace

std::unique_ptr<Launcher> MakeLauncher(LauncherOptions options) { return std::make_unique<ComLauncher>(std::move(options)); }

}  // namespace qv::excel::com
