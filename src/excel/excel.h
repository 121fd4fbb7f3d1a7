#pragma once
// The Excel boundary: the only members of Excel's object model the wizard uses.
// The COM implementation (excel/com) reaches Excel late-bound through IDispatch;
// tests use recording fakes.
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/texts.h"

namespace qv::excel {

// A failing Excel call: the member asked for, the HRESULT and Excel's own description.
class ExcelError : public ComError {
public:
    ExcelError(std::wstring member, long hresult, std::wstring description)
        : ComError(texts::kOpExcel, std::move(member), hresult, std::move(description), "qv::excel::ExcelError") {}
};

// One-pass enumeration in collection order; Next() gives nullptr after the last element.
// It may be abandoned early.
template <class T>
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual std::unique_ptr<T> Next() = 0;
};

class AddIn {
public:
    virtual ~AddIn() = default;
    virtual std::wstring Name() = 0;      // file name with extension
    virtual std::wstring FullName() = 0;  // folder and file name
    virtual std::wstring Title() = 0;
    virtual std::wstring Path() = 0;      // folder without a closing separator
    virtual bool Installed() = 0;
    virtual void SetInstalled(bool on) = 0;
};

class Workbook {
public:
    virtual ~Workbook() = default;
    virtual std::wstring Name() = 0;
    virtual void Close(bool saveChanges) = 0;
};

class Application {
public:
    virtual ~Application() = default;  // releases the reference
    virtual bool Visible() = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual long WorkbookCount() = 0;
    virtual std::unique_ptr<Cursor<Workbook>> Workbooks() = 0;
    virtual std::wstring Version() = 0;
    virtual std::wstring UserLibraryPath() = 0;
    virtual std::wstring LibraryPath() = 0;
    virtual std::unique_ptr<Cursor<AddIn>> AddIns() = 0;
    // Workbooks.Open(path); the result is not used.
    virtual void OpenWorkbook(const std::wstring& path) = 0;
    // Workbooks.Add()
    virtual std::unique_ptr<Workbook> AddWorkbook() = 0;
    // AddIns.Add(Filename:=path, CopyFile:=copyFile)
    virtual std::unique_ptr<AddIn> AddAddIn(const std::wstring& filename, bool copyFile) = 0;
    // GetOpenFilename(filter, , , , True): the chosen paths, or nullopt when cancelled.
    virtual std::optional<std::vector<std::wstring>> GetOpenFilenames(const std::wstring& filter) = 0;
    // GetSaveAsFilename(initial): the chosen path, or nullopt when cancelled.
    virtual std::optional<std::wstring> GetSaveAsFilename(const std::wstring& initialName) = 0;
    virtual void Quit() = 0;
};

// Creating an instance waited for an earlier instance of the program's own, which did not
// end in time; nothing was created. `ProcessId()` is that instance's process.
class EarlierExcelAlive : public std::runtime_error {
public:
    explicit EarlierExcelAlive(unsigned long processId)
        : std::runtime_error("qv::excel::EarlierExcelAlive"), processId_(processId) {}
    unsigned long ProcessId() const { return processId_; }

private:
    unsigned long processId_;
};

// An Excel main window (class XLMAIN) of a process that none of the launcher's instances owns.
struct OtherExcelWindow {
    unsigned long processId = 0;  // 0: there is none
    bool visible = false;         // a user's Excel shows it; an Excel that is closing, or an orphan, does not
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // The user's running Excel ("Excel.application"), or nullptr when none runs. Its calls are
    // given only a short while when it refuses them as busy: a person may be editing a cell.
    virtual std::unique_ptr<Application> Attach() = 0;
    // Excel reads its add-in list when it starts and writes all of it back when its process
    // ends, so two instances whose lives overlap lose each other's changes. First waits, up to
    // kExcelExitWaitMs and with the thread's messages served, until every instance this
    // launcher created before has ended; throws EarlierExcelAlive when one has not. Then
    // creates a new invisible instance ("Excel.Application") whose alerts are off, so that
    // nothing waits for an answer nobody can give, and records its process. Throws ExcelError.
    virtual std::unique_ptr<Application> Create() = 0;
    // The wait of Create() on its own: up to kExcelExitWaitMs for every instance created before.
    // The process of one still running, or 0 when all have ended.
    virtual unsigned long WaitForEarlierInstances() = 0;
    // Waits up to `timeoutMs` until every instance from Create() has ended, whether it was told
    // to quit or only released. False when one still runs, or when its process could not be found.
    virtual bool WaitForInstancesToEnd(int timeoutMs) = 0;
    // Whether an Excel from Attach() is one of this launcher's own instances, known by the
    // process of its main window (Hwnd). An Excel without Hwnd (Excel 97 and 2000) never is.
    virtual bool IsOwnInstance(Application& attached) = 0;
    // An Excel found only by its main window: not in the running object table, and none of this
    // launcher's instances.
    virtual OtherExcelWindow FindOtherExcelWindow() = 0;
    // Waits up to `timeoutMs`, with the thread's messages served, for a process to end. True
    // once it has ended (or is gone).
    virtual bool WaitForProcessToEnd(unsigned long processId, int timeoutMs) = 0;
};

// How long a step waits for an Excel of the program's own to end: before it creates the next
// one, and before a removal deletes anything.
inline constexpr int kExcelExitWaitMs = 30000;
// How long another's hidden Excel, found only by its main window, may take to end before a step is
// refused: Excel keeps that window for its shutdown time after it was told to quit.
inline constexpr int kOtherExcelEndWaitMs = 10000;

// Range adapter: for (auto addin : each(app.AddIns())) ...
template <class T>
class Each {
public:
    explicit Each(std::unique_ptr<Cursor<T>> c) : cursor_(std::move(c)) {}
    class iterator {
    public:
        explicit iterator(Cursor<T>* c) : c_(c) { if (c_) advance(); }
        std::unique_ptr<T>& operator*() { return cur_; }
        iterator& operator++() { advance(); return *this; }
        bool operator!=(const iterator& o) const { return cur_ != nullptr || o.cur_ != nullptr; }
    private:
        void advance() { cur_ = c_ ? c_->Next() : nullptr; }
        Cursor<T>* c_;
        std::unique_ptr<T> cur_;
    };
    iterator begin() { return iterator(cursor_.get()); }
    iterator end() { return iterator(nullptr); }
private:
    std::unique_ptr<Cursor<T>> cursor_;
};

template <class T>
Each<T> each(std::unique_ptr<Cursor<T>> c) { return Each<T>(std::move(c)); }

// Holds the Excel instance of one handler. If the handler unwinds before Quit, the instance
// is told to quit, so no invisible Excel outlives a failure.
class Session {
public:
    explicit Session(std::unique_ptr<Application> app) : app_(std::move(app)) {}
    ~Session() {
        if (app_ && !done_) {
            try { app_->Quit(); } catch (...) {}
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    Application* operator->() { return app_.get(); }
    Application& operator*() { return *app_; }
    // Quit, then release.
    void Quit() { done_ = true; app_->Quit(); app_.reset(); }
    // Release alone, without Quit.
    void Release() { done_ = true; app_.reset(); }

private:
    std::unique_ptr<Application> app_;
    bool done_ = false;
};

}  // namespace qv::excel
