#pragma once
// In-memory fakes of the core's interfaces, shared by the native tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "excel/excel.h"
#include "fileinfo/details.h"
#include "platform/error.h"
#include "platform/hold_retry.h"
#include "platform/copy_replace.h"
#include "platform/services.h"
#include "window/controls.h"
#include "window/wizard.h"

namespace qv::fake {

// ---- Excel: a recording fake. Every call on every object is appended to `log`. ----
struct FakeAddinData {
    std::wstring Name, FullName, Title, Path;
    bool Installed = false;
};

struct FakeExcelWorld {
    // What a new instance sees.
    std::wstring version = L"11.0";
    std::wstring userLibraryPath = L"C:\\Users\\u\\AddIns\\";
    std::wstring libraryPath = L"C:\\Office\\Library";
    std::vector<FakeAddinData> addins;
    // The user's running Excel, if any.
    bool running = false;
    bool runningVisible = true;
    std::vector<std::wstring> runningWorkbooks;
    // Dialog answers: nullopt = cancel.
    std::optional<std::vector<std::wstring>> openAnswer;
    std::optional<std::wstring> saveAsAnswer;
    // A member name that fails when called ("Workbooks.Open", "Create", ...).
    std::set<std::wstring> failing;
    // Whether the instances told to quit end within a wait.
    bool quitInstancesEnd = true;
    // Runs at each Create(), with the number of instances created so far: the world changing
    // between two steps.
    std::function<void(int)> onCreate;
    // Whether the probe for a running Excel is written to the log.
    bool logAttach = true;
    unsigned long otherExcelPid = 0;   // an XLMAIN window of a process the launcher did not start
    bool otherExcelVisible = false;    // that window is shown
    bool otherExcelEnds = false;       // that process ends within a wait for it
    std::vector<int> otherExcelWaits;  // the bound of each wait for it
    bool runningIsOwn = false;         // the Excel in the running object table is the launcher's own
    unsigned long earlierAlivePid = 0; // Create() finds this earlier instance still running

    std::vector<std::wstring> log;
    int instancesAlive = 0;
    int instancesCreated = 0;
    int quits = 0;
    int openWorkbooks = 0;  // temporary workbooks not yet closed

    void Call(const std::wstring& what) {
        log.push_back(what);
        if (failing.count(what)) throw excel::ExcelError(what, static_cast<long>(0x800A03ECL), L"fake failure");
    }
    // Entries of `log` that start with `prefix`.
    std::vector<std::wstring> Calls(const std::wstring& prefix = L"") const {
        std::vector<std::wstring> r;
        for (auto& l : log) if (l.rfind(prefix, 0) == 0) r.push_back(l);
        return r;
    }
};

class FakeAddIn : public excel::AddIn {
public:
    FakeAddIn(FakeExcelWorld& w, size_t i) : w_(w), i_(i) {}
    std::wstring Name() override { w_.Call(L"AddIn.Name"); return d().Name; }
    std::wstring FullName() override { w_.Call(L"AddIn.FullName"); return d().FullName; }
    std::wstring Title() override { w_.Call(L"AddIn.Title"); return d().Title; }
    std::wstring Path() override { w_.Call(L"AddIn.Path"); return d().Path; }
    bool Installed() override { w_.Call(L"AddIn.Installed"); return d().Installed; }
    void SetInstalled(bool on) override {
        w_.Call(std::wstring(L"AddIn.Installed=") + (on ? L"True" : L"False") + L" " + d().FullName);
        d().Installed = on;
    }
    FakeAddinData& d() { return w_.addins.at(i_); }

private:
    FakeExcelWorld& w_;
    size_t i_;
};

class FakeAddInCursor : public excel::Cursor<excel::AddIn> {
public:
    explicit FakeAddInCursor(FakeExcelWorld& w) : w_(w) {}
    std::unique_ptr<excel::AddIn> Next() override {
        if (i_ >= w_.addins.size()) return nullptr;
        return std::make_unique<FakeAddIn>(w_, i_++);
    }

private:
    FakeExcelWorld& w_;
    size_t i_ = 0;
};

class FakeWorkbook : public excel::Workbook {
public:
    FakeWorkbook(FakeExcelWorld& w, std::wstring name) : w_(w), name_(std::move(name)) {}
    std::wstring Name() override { w_.Call(L"Workbook.Name"); return name_; }
    void Close(bool save) override {
        w_.Call(std::wstring(L"Workbook.Close(") + (save ? L"True" : L"False") + L")");
        --w_.openWorkbooks;
    }

private:
    FakeExcelWorld& w_;
    std::wstring name_;
};

class FakeWorkbookCursor : public excel::Cursor<excel::Workbook> {
public:
    FakeWorkbookCursor(FakeExcelWorld& w, std::vector<std::wstring> names) : w_(w), names_(std::move(names)) {}
    std::unique_ptr<excel::Workbook> Next() override {
        if (i_ >= names_.size()) return nullptr;
        return std::make_unique<FakeWorkbook>(w_, names_[i_++]);
    }

private:
    FakeExcelWorld& w_;
    std::vector<std::wstring> names_;
    size_t i_ = 0;
};

class FakeApplication : public excel::Application {
public:
    FakeApplication(FakeExcelWorld& w, bool running) : w_(w), running_(running) { ++w_.instancesAlive; }
    ~FakeApplication() override { --w_.instancesAlive; w_.log.push_back(L"Release"); }
    bool Visible() override { w_.Call(L"Visible"); return running_ ? w_.runningVisible : false; }
    void SetVisible(bool v) override { w_.Call(L"Visible=" + std::wstring(v ? L"True" : L"False")); if (running_) w_.runningVisible = v; }
    long WorkbookCount() override { w_.Call(L"Workbooks.Count"); return running_ ? static_cast<long>(w_.runningWorkbooks.size()) : 0; }
    std::unique_ptr<excel::Cursor<excel::Workbook>> Workbooks() override {
        w_.Call(L"Workbooks");
        return std::make_unique<FakeWorkbookCursor>(w_, running_ ? w_.runningWorkbooks : std::vector<std::wstring>{});
    }
    std::wstring Version() override { w_.Call(L"Version"); return w_.version; }
    std::wstring UserLibraryPath() override { w_.Call(L"UserLibraryPath"); return w_.userLibraryPath; }
    std::wstring LibraryPath() override { w_.Call(L"LibraryPath"); return w_.libraryPath; }
    std::unique_ptr<excel::Cursor<excel::AddIn>> AddIns() override {
        w_.Call(L"AddIns");
        return std::make_unique<FakeAddInCursor>(w_);
    }
    void OpenWorkbook(const std::wstring& path) override { w_.Call(L"Workbooks.Open " + path); }
    std::unique_ptr<excel::Workbook> AddWorkbook() override {
        w_.Call(L"Workbooks.Add");
        ++w_.openWorkbooks;
        return std::make_unique<FakeWorkbook>(w_, L"Book1");
    }
    std::unique_ptr<excel::AddIn> AddAddIn(const std::wstring& filename, bool copyFile) override {
        w_.Call(L"AddIns.Add " + filename + (copyFile ? L" True" : L" False"));
        FakeAddinData d;
        d.FullName = filename;
        auto p = filename.rfind(L'\\');
        d.Name = p == std::wstring::npos ? filename : filename.substr(p + 1);
        d.Path = p == std::wstring::npos ? L"" : filename.substr(0, p);
        d.Title = d.Name.substr(0, d.Name.rfind(L'.'));
        w_.addins.push_back(d);
        return std::make_unique<FakeAddIn>(w_, w_.addins.size() - 1);
    }
    std::optional<std::vector<std::wstring>> GetOpenFilenames(const std::wstring& filter) override {
        w_.Call(L"GetOpenFilename " + filter);
        return w_.openAnswer;
    }
    std::optional<std::wstring> GetSaveAsFilename(const std::wstring& initial) override {
        w_.Call(L"GetSaveAsFilename " + initial);
        return w_.saveAsAnswer;
    }
    void Quit() override {
        w_.Call(L"Quit");
        ++w_.quits;
        if (running_) w_.running = false;
    }

private:
    FakeExcelWorld& w_;
    bool running_;
};

class FakeLauncher : public excel::Launcher {
public:
    explicit FakeLauncher(FakeExcelWorld& w) : w_(w) {}
    std::unique_ptr<excel::Application> Attach() override {
        if (w_.logAttach) w_.log.push_back(L"Attach");
        if (!w_.running) return nullptr;
        return std::make_unique<FakeApplication>(w_, true);
    }
    std::unique_ptr<excel::Application> Create() override {
        if (w_.earlierAlivePid) throw excel::EarlierExcelAlive(w_.earlierAlivePid);
        w_.Call(L"Create");
        ++w_.instancesCreated;
        if (w_.onCreate) w_.onCreate(w_.instancesCreated);
        return std::make_unique<FakeApplication>(w_, false);
    }
    bool WaitForInstancesToEnd(int) override {
        w_.Call(L"WaitForInstancesToEnd");
        return w_.quitInstancesEnd;
    }
    unsigned long WaitForEarlierInstances() override { return w_.earlierAlivePid; }
    bool IsOwnInstance(excel::Application&) override { return w_.runningIsOwn; }
    excel::OtherExcelWindow FindOtherExcelWindow() override { return {w_.otherExcelPid, w_.otherExcelVisible}; }
    bool WaitForProcessToEnd(unsigned long pid, int timeoutMs) override {
        w_.otherExcelWaits.push_back(timeoutMs);
        if (pid != w_.otherExcelPid || !w_.otherExcelEnds) return false;
        w_.otherExcelPid = 0;
        return true;
    }

private:
    FakeExcelWorld& w_;
};

// ---- File system: paths are compared exactly. ----
class FakeFileSystem : public FileSystem {
public:
    std::map<std::wstring, std::wstring> files;  // path -> content
    std::set<std::wstring> hidden;               // paths that exist but are hidden or system
    std::set<std::wstring> folders;
    std::set<std::wstring> locked;               // paths that cannot be replaced or deleted
    std::set<std::wstring> unreachable;          // paths on a drive or share that cannot be reached
    std::set<std::wstring> denied;               // folders and files that need administrator rights
    std::set<std::wstring> readOnly;             // files with the read-only attribute
    std::map<std::wstring, std::string> zones;   // path -> its Zone.Identifier stream
    std::set<std::wstring> unreadableZones;      // paths whose stream cannot be read
    std::vector<std::wstring> log;
    int listingDepth = 0;                        // open ListingScopes
    int listings = 0;                            // ListingScopes begun so far

    bool FileExists(const std::wstring& p) override {
        return files.count(p) && !hidden.count(p) && !unreachable.count(p);
    }
    bool FileMissing(const std::wstring& p) override { return FileStateOf(p) == FileState::Missing; }
    FileState FileStateOf(const std::wstring& p) override {
        if (unreachable.count(p)) return FileState::Unreachable;
        return FileExists(p) ? FileState::Present : FileState::Missing;
    }
    void BeginListing() override { ++listingDepth; ++listings; }
    void EndListing() override { --listingDepth; }
    bool IsReadOnly(const std::wstring& p) override { return files.count(p) && readOnly.count(p); }
    bool FolderExists(const std::wstring& p) override { return folders.count(p) > 0; }
    std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) override {
        log.push_back(L"List " + folder + L" " + pattern);
        std::vector<std::wstring> r;
        std::wstring ext = pattern.substr(pattern.find(L'*') + 1);
        for (auto& [p, _] : files) {
            if (hidden.count(p)) continue;
            auto s = p.rfind(L'\\');
            if (s == std::wstring::npos || p.substr(0, s) != folder) continue;
            std::wstring name = p.substr(s + 1), lname = name, lext = ext;
            for (auto& ch : lname) ch = static_cast<wchar_t>(std::towlower(ch));
            for (auto& ch : lext) ch = static_cast<wchar_t>(std::towlower(ch));
            if (lname.size() >= lext.size() && lname.compare(lname.size() - lext.size(), lext.size(), lext) == 0)
                r.push_back(name);
        }
        return r;
    }
    // The copy's single steps, in the order every file system shares (CopyReplaceInOrder), as
    // "CopyBeside <dst>", "MakePlain <tmp>", "WriteMark <path>", "RemoveMark <path>",
    // "Rename <tmp> -> <dst>", "Discard <tmp>". The temporary copy is "<dst>.~qv".
    std::vector<std::wstring> steps;
    std::set<std::wstring> streamless;   // paths on a volume that keeps no streams
    std::set<std::wstring> streamFails;  // paths whose stream cannot be written or removed
    bool streamsStayBehind = false;      // a rename leaves the streams under the old name, as Wine does
    // As the Win32 copy: the copy's stream is the source's (KeepSource), or none; a source
    // stream that cannot be read leaves the copy's as the system's copy made it.
    MarkWarning CopyReplace(const std::wstring& src, const std::wstring& dst, ZoneMark mark) override {
        log.push_back(L"Copy " + src + L" -> " + dst + (mark == ZoneMark::None ? L" unmarked" : L""));
        Steps s(*this);
        return CopyReplaceInOrder(s, src, dst, mark);
    }
    class Steps : public ReplaceSteps {
    public:
        explicit Steps(FakeFileSystem& fs) : f(fs) {}
        std::wstring CopyBeside(const std::wstring& src, const std::wstring& dst) override {
            f.steps.push_back(L"CopyBeside " + dst);
            if (!f.files.count(src)) throw Failure(L"ファイルの複写", L"missing source", 2);
            if (f.readOnly.count(dst)) throw Failure(L"ファイルの複写", L"access denied", 5);
            const std::wstring tmp = dst + L".~qv";
            f.files[tmp] = f.files[src];
            // The system's copy takes the attributes along, and on NTFS the streams.
            if (f.readOnly.count(src)) f.readOnly.insert(tmp);
            if (f.hidden.count(src)) f.hidden.insert(tmp);
            if (f.zones.count(src) && !f.streamless.count(tmp)) f.zones[tmp] = f.zones[src];
            return tmp;
        }
        void MakePlain(const std::wstring& p) override {
            f.steps.push_back(L"MakePlain " + p);
            f.readOnly.erase(p);
            f.hidden.erase(p);
        }
        ZoneStream ReadMark(const std::wstring& p) override { return f.ReadZoneStream(p); }
        StreamWrite WriteMark(const std::wstring& p, const std::string& text) override {
            f.steps.push_back(L"WriteMark " + p);
            if (f.streamless.count(p)) return StreamWrite::NoStreams;
            if (f.streamFails.count(p)) throw Failure(L"ファイルの複写", L"in use", 32);
            f.zones[p] = text;
            return StreamWrite::Done;
        }
        StreamWrite RemoveMark(const std::wstring& p) override {
            f.steps.push_back(L"RemoveMark " + p);
            if (f.streamless.count(p)) return StreamWrite::NoStreams;
            if (f.streamFails.count(p)) throw Failure(L"ファイルの複写", L"in use", 32);
            f.zones.erase(p);
            return StreamWrite::Done;
        }
        void RenameOver(const std::wstring& tmp, const std::wstring& dst) override {
            f.steps.push_back(L"Rename " + tmp + L" -> " + dst);
            if (f.locked.count(dst)) throw Failure(L"ファイルの複写", L"in use", 32);
            f.files[dst] = f.files[tmp];
            f.files.erase(tmp);
            if (f.readOnly.count(tmp)) f.readOnly.insert(dst); else f.readOnly.erase(dst);
            if (f.hidden.count(tmp)) f.hidden.insert(dst); else f.hidden.erase(dst);
            f.readOnly.erase(tmp);
            f.hidden.erase(tmp);
            if (f.streamsStayBehind) {
                f.zones.erase(tmp);  // left behind, then removed
                return;
            }
            if (f.zones.count(tmp)) f.zones[dst] = f.zones[tmp]; else f.zones.erase(dst);
            f.zones.erase(tmp);
        }
        void Discard(const std::wstring& tmp) override {
            f.steps.push_back(L"Discard " + tmp);
            f.files.erase(tmp);
            f.zones.erase(tmp);
            f.readOnly.erase(tmp);
            f.hidden.erase(tmp);
        }

    private:
        FakeFileSystem& f;
    };
    void Delete(const std::wstring& p) override {
        log.push_back(L"Delete " + p);
        if (!files.count(p)) throw Failure(L"ファイルの削除", L"missing", 2);
        if (readOnly.count(p)) throw Failure(L"ファイルの削除", L"access denied", 5);
        if (locked.count(p)) throw Failure(L"ファイルの削除", L"in use", 32);
        files.erase(p);
        zones.erase(p);
    }
    // As Delete, but the file and its stream are kept in `recycled`.
    std::map<std::wstring, std::wstring> recycled;  // path -> content
    void Recycle(const std::wstring& p) override {
        log.push_back(L"Recycle " + p);
        if (!files.count(p)) throw Failure(L"ファイルの削除", L"missing", 2);
        if (readOnly.count(p)) throw Failure(L"ファイルの削除", L"access denied", 5);
        if (locked.count(p)) throw Failure(L"ファイルの削除", L"in use", 32);
        recycled[p] = files[p];
        files.erase(p);
        zones.erase(p);
    }
    // Adds the folder and its parents; a denied folder (or parent) throws.
    void CreateFolders(const std::wstring& p) override {
        log.push_back(L"CreateFolders " + p);
        std::wstring f = p;
        while (!f.empty() && f.back() == L'\\') f.pop_back();
        for (size_t i = 0; i <= f.size(); ++i) {
            if (i < f.size() && f[i] != L'\\') continue;
            std::wstring part = f.substr(0, i);
            if (part.empty() || part.back() == L':') continue;
            if (folders.count(part)) continue;
            if (denied.count(part) || denied.count(part + L"\\")) throw Failure(L"フォルダの作成", L"denied", 5);
            folders.insert(part);
        }
    }
    ZoneStream ReadZoneStream(const std::wstring& p) override {
        if (unreadableZones.count(p)) return {StreamState::Unreadable, {}};
        auto it = zones.find(p);
        if (it == zones.end()) return {StreamState::Absent, {}};
        return {StreamState::Present, it->second};
    }
    void WriteZoneStream(const std::wstring& p, const std::string& text) override {
        log.push_back(L"WriteZone " + p);
        if (streamFails.count(p)) throw Failure(L"ファイルの複写", L"in use", 32);
        zones[p] = text;
    }
    void DeleteZoneStream(const std::wstring& p) override {
        log.push_back(L"DeleteZone " + p);
        if (streamFails.count(p)) throw Failure(L"ファイルの削除", L"in use", 32);
        zones.erase(p);
    }
    // `folder` ends with its separator, as the install passes it.
    Access ProbeCreate(const std::wstring& folder) override {
        return denied.count(folder) ? Access::Denied : Access::Granted;
    }
    Access ProbeDelete(const std::wstring& p) override {
        if (denied.count(p)) return Access::Denied;
        return files.count(p) && !locked.count(p) ? Access::Granted : Access::Other;
    }
};

// ---- Registry: key -> ordered values. ----
class FakeRegistry : public Registry {
public:
    std::map<std::wstring, std::vector<RegValue>> keys;       // REG_SZ values
    std::map<std::wstring, std::vector<RegBinary>> binaries;  // REG_BINARY values
    std::map<std::wstring, std::map<std::wstring, std::uint32_t>> dwords;
    // REG_EXPAND_SZ values, kept as already expanded: the fake has no environment.
    std::map<std::wstring, std::map<std::wstring, std::wstring>> expandables;
    // "HKLM|64|key|name" -> text; see MachineKey.
    std::map<std::wstring, std::wstring> machine;
    std::vector<std::wstring> log;

    static std::wstring MachineKey(MachineRoot root, RegView view, const std::wstring& k, const std::wstring& n) {
        const wchar_t* v = view == RegView::Bits32 ? L"32" : view == RegView::Bits64 ? L"64" : L"own";
        return std::wstring(root == MachineRoot::LocalMachine ? L"HKLM|" : L"HKCR|") + v + L"|" + k + L"|" + n;
    }

    std::vector<RegValue> StringValues(const std::wstring& k) override {
        auto it = keys.find(k);
        return it == keys.end() ? std::vector<RegValue>{} : it->second;
    }
    std::optional<std::wstring> GetString(const std::wstring& k, const std::wstring& n) override {
        auto it = keys.find(k);
        if (it == keys.end()) return std::nullopt;
        for (auto& v : it->second) if (v.name == n) return v.data;
        return std::nullopt;
    }
    void SetString(const std::wstring& k, const std::wstring& n, const std::wstring& d) override {
        log.push_back(L"Set " + k + L" " + n);
        auto& vals = keys[k];
        for (auto& v : vals) if (v.name == n) { v.data = d; return; }
        vals.push_back({n, d});
    }
    RegResult DeleteValue(const std::wstring& k, const std::wstring& n) override {
        log.push_back(L"Delete " + k + L" " + n);
        auto it = keys.find(k);
        if (it == keys.end()) return RegResult::Absent;
        auto& vals = it->second;
        auto v = std::find_if(vals.begin(), vals.end(), [&](const RegValue& x) { return x.name == n; });
        if (v == vals.end()) return RegResult::Absent;
        vals.erase(v);
        return RegResult::Ok;
    }
    std::optional<std::vector<std::uint8_t>> GetBinary(const std::wstring& k, const std::wstring& n) override {
        auto it = binaries.find(k);
        if (it == binaries.end()) return std::nullopt;
        for (auto& v : it->second) if (v.name == n) return v.data;
        return std::nullopt;
    }
    std::optional<std::uint32_t> GetDword(const std::wstring& k, const std::wstring& n) override {
        auto it = dwords.find(k);
        if (it == dwords.end() || !it->second.count(n)) return std::nullopt;
        return it->second.at(n);
    }
    std::optional<std::wstring> GetExpandedString(const std::wstring& k, const std::wstring& n) override {
        auto it = expandables.find(k);
        if (it != expandables.end() && it->second.count(n)) return it->second.at(n);
        return GetString(k, n);
    }
    std::vector<RegBinary> BinaryValues(const std::wstring& k) override {
        auto it = binaries.find(k);
        return it == binaries.end() ? std::vector<RegBinary>{} : it->second;
    }
    // The next name below `k` of every key that holds values of any type, in sorted order.
    std::vector<std::wstring> SubkeyNames(const std::wstring& k) override {
        std::set<std::wstring> names;
        auto add = [&](const std::wstring& key) {
            if (key.size() <= k.size() + 1 || key.compare(0, k.size(), k) != 0 || key[k.size()] != L'\\') return;
            std::wstring rest = key.substr(k.size() + 1);
            names.insert(rest.substr(0, rest.find(L'\\')));
        };
        for (auto& [key, _] : keys) add(key);
        for (auto& [key, _] : binaries) add(key);
        for (auto& [key, _] : dwords) add(key);
        for (auto& [key, _] : expandables) add(key);
        return {names.begin(), names.end()};
    }
    std::optional<std::wstring> GetMachineString(MachineRoot root, const std::wstring& k, const std::wstring& n,
                                                 RegView view) override {
        auto it = machine.find(MachineKey(root, view, k, n));
        if (it == machine.end()) return std::nullopt;
        return it->second;
    }
};

struct ShownMessage {
    std::wstring text, title;
    int flags;
};

class FakeMessageBoxes : public MessageBoxes {
public:
    std::vector<ShownMessage> shown;
    std::vector<int> answers;  // answers to give, in order; OK (1) when none is left
    int Show(const std::wstring& text, const std::wstring& title, int flags) override {
        shown.push_back({text, title, flags});
        if (answers.empty()) return 1;
        int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    // The only message shown was `text`, a critical stop under the program's title.
    testing::AssertionResult OnlyStop(const std::wstring& text) const {
        if (shown.size() != 1) return testing::AssertionFailure() << shown.size() << " messages shown";
        const auto& m = shown[0];
        if (m.text == text && m.title == L"Quorvel SP" && m.flags == 16) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "shown: " << testing::PrintToString(m.text) << " / "
                                           << testing::PrintToString(m.title) << " / " << m.flags;
    }
};

class FakeClipboard : public Clipboard {
public:
    std::optional<std::wstring> text;
    bool fail = false;
    int busyTries = 0;   // how many of the next tries find the clipboard held by another program
    std::vector<int> pauses;
    bool SetText(const std::wstring& t) override {
        if (fail) throw Failure(L"クリップボードへのコピー", L"busy", 5);
        if (busyTries > 0) {
            --busyTries;
            return false;
        }
        text = t;
        return true;
    }
    void Pause(int ms) override { pauses.push_back(ms); }
};

class FakeShell : public Shell {
public:
    std::vector<std::wstring> opened;
    bool result = true;
    bool OpenDocument(const std::wstring& p) override { opened.push_back(p); return result; }
};

class FakeDrives : public Drives {
public:
    std::map<std::wstring, int> types;  // root -> type; 0 when not listed
    std::vector<std::wstring> asked;
    int DriveType(const std::wstring& root) override {
        asked.push_back(root);
        auto it = types.find(root);
        return it == types.end() ? 0 : it->second;
    }
};

class FakeBusy : public BusyCursor {
public:
    int depth = 0, begun = 0;
    void Begin() override { ++depth; ++begun; }
    void End() override { --depth; }
};

class FakeAccounts : public Accounts {
public:
    AccountFacts facts{L"PC\\user", L"PC\\user", L"S-1-5-21-7-1001", L"S-1-5-21-7-1001", false};
    AccountFacts Facts() override { return facts; }
};

// Records the pauses instead of sleeping.
class FakePauser : public Pauser {
public:
    std::vector<int> pauses;
    void Pause(int ms) override { pauses.push_back(ms); }
};

class FakeSystem : public SystemInfo {
public:
    std::wstring args;
    std::wstring runtimeFolder = L"C:\\Windows\\SysWOW64";
    std::wstring programFolder = L"C:\\Prog";
    ProgramVersion version{1, 0, 2};
    std::wstring appData = L"C:\\Users\\u\\AppData\\Roaming";
    std::wstring CommandArguments() override { return args; }
    std::wstring RoamingAppDataFolder() override { return appData; }
    std::wstring RuntimeLibraryFolder() override { return runtimeFolder; }
    std::wstring ProgramFolder() override { return programFolder; }
    ProgramVersion Version() override { return version; }
    // Letter case folded as the system's ordinal comparison folds it, for the scripts tests use:
    // Latin (ASCII and Latin-1), Greek, Cyrillic and the full-width Latin letters.
    static wchar_t Upper(wchar_t c) {
        if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
            (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
            return static_cast<wchar_t>(c - 0x20);
        return c;
    }
    std::vector<std::pair<std::wstring, std::wstring>> compared;
    bool SamePath(const std::wstring& a, const std::wstring& b) override {
        compared.push_back({a, b});
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (Upper(a[i]) != Upper(b[i])) return false;
        return true;
    }
};

// Details: per full path, the header row and values. Paths not listed fail to open.
struct FakeFileDetailsData {
    std::vector<std::wstring> headers;
    std::vector<std::wstring> values;
};

class FakeDetailsProvider : public DetailsProvider {
public:
    std::map<std::wstring, FakeFileDetailsData> files;
    std::vector<std::wstring> opened;
    int headerReads = 0;

    // The Japanese details view with `author` and `title`.
    void Add(const std::wstring& path, const std::wstring& author, const std::wstring& title) {
        FakeFileDetailsData d;
        d.headers = {L"名前", L"サイズ", L"種類", L"更新日時", L"作成日時", L"アクセス日時", L"属性", L"状態",
                     L"所有者", L"作成者", L"タイトル", L"件名", L"分類", L"ページ数", L"コメント", L"著作権"};
        d.values.assign(d.headers.size(), L"");
        d.values[9] = author;
        d.values[10] = title;
        files[path] = d;
    }

    class Lookup : public FileDetails {
    public:
        Lookup(FakeDetailsProvider& p, FakeFileDetailsData d) : p_(p), d_(std::move(d)) {}
        std::wstring Header(int c) override {
            ++p_.headerReads;
            return c >= 0 && c < static_cast<int>(d_.headers.size()) ? d_.headers[c] : L"";
        }
        std::wstring Value(int c) override {
            return c >= 0 && c < static_cast<int>(d_.values.size()) ? d_.values[c] : L"";
        }

    private:
        FakeDetailsProvider& p_;
        FakeFileDetailsData d_;
    };

    std::unique_ptr<FileDetails> Open(const std::wstring& folder, const std::wstring& name) override {
        std::wstring path = folder + L"\\" + name;
        opened.push_back(path);
        auto it = files.find(path);
        if (it == files.end()) throw Failure(L"ファイルのプロパティの読み取り", L"not found", 2);
        return std::make_unique<Lookup>(*this, it->second);
    }
};

// ---- Controls: plain fields per control. ----
class FakeControls : public Controls {
public:
    struct Item {
        std::wstring text, tip;
        bool visible = true, enabled = true, readOnly = false, checked = false;
        Rect bounds;
    };
    std::map<Ctl, Item> items;
    std::wstring caption;
    bool closed = false;
    struct Row {
        std::wstring text;
        long data = 0;
    };
    std::vector<Row> rows;
    int selected = -1;
    std::vector<std::wstring> combo;
    int comboSelected = -1;

    // Chooses option button `index` (and clears the others), as a click would.
    void Choose(int index) {
        for (int i = 0; i < 7; ++i) items[OptBtn(i)].checked = (i == index);
    }

    void SetCaption(const std::wstring& t) override { caption = t; }
    void Close() override { closed = true; }
    std::wstring Text(Ctl c) override { return items[c].text; }
    void SetText(Ctl c, const std::wstring& t) override { items[c].text = t; }
    bool Visible(Ctl c) override { return items[c].visible; }
    void SetVisible(Ctl c, bool v) override { items[c].visible = v; }
    bool Enabled(Ctl c) override { return items[c].enabled; }
    void SetEnabled(Ctl c, bool e) override { items[c].enabled = e; }
    void SetToolTip(Ctl c, const std::wstring& t) override { items[c].tip = t; }
    void SetReadOnly(Ctl c, bool r) override { items[c].readOnly = r; }
    bool Checked(Ctl c) override { return items[c].checked; }
    Rect Bounds(Ctl c) override { return items[c].bounds; }
    void SetBounds(Ctl c, const Rect& r) override { items[c].bounds = r; }

    void ListClear() override { rows.clear(); selected = -1; }
    int ListAdd(const std::wstring& t) override { rows.push_back({t, 0}); return static_cast<int>(rows.size()) - 1; }
    void ListSetItemData(int r, long d) override { rows.at(r).data = d; }
    long ListItemData(int r) override { return rows.at(r).data; }
    int ListIndex() override { return selected; }
    std::wstring ListText() override { return selected >= 0 ? rows.at(selected).text : L""; }
    void ListRemove(int r) override {
        rows.erase(rows.begin() + r);
        selected = -1;
    }
    int ListCount() override { return static_cast<int>(rows.size()); }

    void ComboClear() override { combo.clear(); comboSelected = -1; }
    void ComboAdd(const std::wstring& t) override { combo.push_back(t); }
    void ComboSelect(int i) override {
        comboSelected = i;
        items[Ctl::cbxFOLDER].text = combo.at(i);
    }

    std::vector<std::wstring> RowTexts() const {
        std::vector<std::wstring> r;
        for (auto& x : rows) r.push_back(x.text);
        return r;
    }
    std::vector<long> RowData() const {
        std::vector<long> r;
        for (auto& x : rows) r.push_back(x.data);
        return r;
    }
};

// All fakes wired together, with the Services a handler needs.
struct World {
    FakeExcelWorld excel;
    FakeLauncher launcher{excel};
    FakeFileSystem fs;
    FakeRegistry reg;
    FakeMessageBoxes msg;
    FakeClipboard clip;
    FakeShell shell;
    FakeDrives drives;
    FakeDetailsProvider details;
    FakeSystem sys;
    FakeAccounts accounts;
    FakeBusy busy;
    WindowServices svc{{launcher, fs, reg, drives, details, sys, accounts}, msg, clip, shell, busy};
    SharedState st;
    FakeControls ui;
    MainWindow win{svc, st, ui};
    Context& ctx() { return win.ctx(); }
};

}  // namespace qv::fake
