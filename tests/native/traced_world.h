#pragma once
// A fake world whose file, registry and details calls are also written into the Excel log, so
// one list shows the order of cheap and costly steps, and whether a file or registry value was
// touched before or after Excel quit; its launcher notes whether the busy cursor was showing
// when each instance was created. The calls still reach World's own fakes (and their logs).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fakes.h"

namespace qv::fake {

// Log entries: "Exists <path>", "fs Copy <src> -> <dst>", "fs Delete <path>".
class TracedFileSystem : public FileSystem {
public:
    TracedFileSystem(FakeFileSystem& fs, FakeExcelWorld& x) : fs_(fs), x_(x) {}
    bool FileExists(const std::wstring& p) override {
        x_.log.push_back(L"Exists " + p);
        return fs_.FileExists(p);
    }
    bool FileMissing(const std::wstring& p) override {
        x_.log.push_back(L"Missing? " + p);
        return fs_.FileMissing(p);
    }
    FileState FileStateOf(const std::wstring& p) override {
        x_.log.push_back(L"State? " + p);
        return fs_.FileStateOf(p);
    }
    void BeginListing() override { fs_.BeginListing(); }
    void EndListing() override { fs_.EndListing(); }
    bool IsReadOnly(const std::wstring& p) override { return fs_.IsReadOnly(p); }
    bool FolderExists(const std::wstring& p) override { return fs_.FolderExists(p); }
    std::vector<std::wstring> ListFiles(const std::wstring& f, const std::wstring& pat) override {
        return fs_.ListFiles(f, pat);
    }
    MarkWarning CopyReplace(const std::wstring& src, const std::wstring& dst, ZoneMark mark) override {
        x_.log.push_back(L"fs Copy " + src + L" -> " + dst);
        return fs_.CopyReplace(src, dst, mark);
    }
    void Delete(const std::wstring& p) override {
        x_.log.push_back(L"fs Delete " + p);
        fs_.Delete(p);
    }
    void Recycle(const std::wstring& p) override {
        x_.log.push_back(L"fs Recycle " + p);
        fs_.Recycle(p);
    }
    void CreateFolders(const std::wstring& p) override {
        x_.log.push_back(L"fs CreateFolders " + p);
        fs_.CreateFolders(p);
    }
    ZoneStream ReadZoneStream(const std::wstring& p) override { return fs_.ReadZoneStream(p); }
    void WriteZoneStream(const std::wstring& p, const std::string& t) override { fs_.WriteZoneStream(p, t); }
    void DeleteZoneStream(const std::wstring& p) override { fs_.DeleteZoneStream(p); }
    Access ProbeCreate(const std::wstring& folder) override { return fs_.ProbeCreate(folder); }
    Access ProbeDelete(const std::wstring& p) override { return fs_.ProbeDelete(p); }

private:
    FakeFileSystem& fs_;
    FakeExcelWorld& x_;
};

// Log entries: "reg Set <name>", "reg Delete <name>".
class TracedRegistry : public Registry {
public:
    TracedRegistry(FakeRegistry& reg, FakeExcelWorld& x) : reg_(reg), x_(x) {}
    std::vector<RegValue> StringValues(const std::wstring& k) override { return reg_.StringValues(k); }
    std::optional<std::wstring> GetString(const std::wstring& k, const std::wstring& n) override {
        return reg_.GetString(k, n);
    }
    void SetString(const std::wstring& k, const std::wstring& n, const std::wstring& d) override {
        x_.log.push_back(L"reg Set " + n);
        reg_.SetString(k, n, d);
    }
    RegResult DeleteValue(const std::wstring& k, const std::wstring& n) override {
        x_.log.push_back(L"reg Delete " + n);
        return reg_.DeleteValue(k, n);
    }
    std::optional<std::vector<std::uint8_t>> GetBinary(const std::wstring& k, const std::wstring& n) override {
        return reg_.GetBinary(k, n);
    }
    std::optional<std::uint32_t> GetDword(const std::wstring& k, const std::wstring& n) override {
        return reg_.GetDword(k, n);
    }
    std::optional<std::wstring> GetExpandedString(const std::wstring& k, const std::wstring& n) override {
        return reg_.GetExpandedString(k, n);
    }
    std::vector<RegBinary> BinaryValues(const std::wstring& k) override { return reg_.BinaryValues(k); }
    std::vector<std::wstring> SubkeyNames(const std::wstring& k) override { return reg_.SubkeyNames(k); }
    std::optional<std::wstring> GetMachineString(MachineRoot root, const std::wstring& k, const std::wstring& n,
                                                 RegView view) override {
        return reg_.GetMachineString(root, k, n, view);
    }

private:
    FakeRegistry& reg_;
    FakeExcelWorld& x_;
};

// Log entry: "Details <folder>\<name>".
class TracedDetails : public DetailsProvider {
public:
    TracedDetails(FakeDetailsProvider& d, FakeExcelWorld& x) : d_(d), x_(x) {}
    std::unique_ptr<FileDetails> Open(const std::wstring& folder, const std::wstring& name) override {
        x_.log.push_back(L"Details " + folder + L"\\" + name);
        return d_.Open(folder, name);
    }

private:
    FakeDetailsProvider& d_;
    FakeExcelWorld& x_;
};

class BusyProbeLauncher : public excel::Launcher {
public:
    BusyProbeLauncher(FakeLauncher& inner, FakeBusy& busy) : inner_(inner), busy_(busy) {}
    std::unique_ptr<excel::Application> Attach() override { return inner_.Attach(); }
    std::unique_ptr<excel::Application> Create() override {
        busyAtCreate.push_back(busy_.depth > 0);
        return inner_.Create();
    }
    bool WaitForInstancesToEnd(int timeoutMs) override { return inner_.WaitForInstancesToEnd(timeoutMs); }
    unsigned long WaitForEarlierInstances() override { return inner_.WaitForEarlierInstances(); }
    bool IsOwnInstance(excel::Application& a) override { return inner_.IsOwnInstance(a); }
    excel::OtherExcelWindow FindOtherExcelWindow() override { return inner_.FindOtherExcelWindow(); }
    bool WaitForProcessToEnd(unsigned long pid, int ms) override { return inner_.WaitForProcessToEnd(pid, ms); }
    std::vector<bool> busyAtCreate;

private:
    FakeLauncher& inner_;
    FakeBusy& busy_;
};

inline constexpr const wchar_t* kUserFolder = L"C:\\Users\\u\\AddIns";
inline constexpr const wchar_t* kLibraryFolder = L"C:\\Office\\Library";

struct TracedWorld {
    World w;
    TracedFileSystem tracedFs{w.fs, w.excel};
    TracedRegistry tracedReg{w.reg, w.excel};
    TracedDetails tracedDetails{w.details, w.excel};
    BusyProbeLauncher launcher{w.launcher, w.busy};
    WindowServices svc{{launcher, tracedFs, tracedReg, w.drives, tracedDetails, w.sys, w.accounts}, w.msg, w.clip, w.shell, w.busy};
    MainWindow win{svc, w.st, w.ui};

    // Mode `m`'s option button chosen and its list taken as shown, without a mode switch; -1: none.
    void ShowMode(int m) {
        w.ui.Choose(m);
        if (m < 0) win.ctx().shownMode.reset();
        else win.ctx().shownMode = static_cast<Mode>(m);
    }

    TracedWorld() {
        // Every step probes for another Excel first; the tests of that probe switch this back on.
        w.excel.logAttach = false;
        w.st.strADDINFOLDER[0] = kUserFolder;
        w.st.strADDINFOLDER[1] = kLibraryFolder;
    }
    Context& ctx() { return win.ctx(); }

    // Where `entry` stands in the log; -1 when it is not there.
    long Position(const std::wstring& entry) const {
        auto it = std::find(w.excel.log.begin(), w.excel.log.end(), entry);
        // An order check against a call that never happened must fail, whichever side it is on.
        if (it == w.excel.log.end()) {
            ADD_FAILURE() << "not in the log: " << testing::PrintToString(entry);
            return -1;
        }
        return static_cast<long>(it - w.excel.log.begin());
    }
    bool Logged(const std::wstring& prefix) const { return !w.excel.Calls(prefix).empty(); }
    // No instance left, and the busy cursor shown as often as hidden.
    bool Clean() const { return w.excel.instancesAlive == 0 && w.busy.depth == 0; }
};

}  // namespace qv::fake
