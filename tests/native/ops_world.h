#pragma once
// A fake world for the operations tests: file and registry calls are also written into
// the Excel log, so one list shows whether a file was touched before or after Excel quit,
// and the launcher notes whether the busy cursor was showing when an instance was created.
#include <algorithm>
#include <string>
#include <vector>

#include "fakes.h"
#include "operations/operations.h"

namespace qv::fake {

class TimelineFileSystem : public FakeFileSystem {
public:
    explicit TimelineFileSystem(FakeExcelWorld& x) : x_(x) {}
    void CopyReplace(const std::wstring& src, const std::wstring& dst) override {
        x_.log.push_back(L"fs Copy " + src + L" -> " + dst);
        FakeFileSystem::CopyReplace(src, dst);
    }
    void Delete(const std::wstring& p) override {
        x_.log.push_back(L"fs Delete " + p);
        FakeFileSystem::Delete(p);
    }

private:
    FakeExcelWorld& x_;
};

class TimelineRegistry : public FakeRegistry {
public:
    explicit TimelineRegistry(FakeExcelWorld& x) : x_(x) {}
    RegResult DeleteValue(const std::wstring& k, const std::wstring& n) override {
        x_.log.push_back(L"reg Delete " + n);
        return FakeRegistry::DeleteValue(k, n);
    }
    void SetString(const std::wstring& k, const std::wstring& n, const std::wstring& d) override {
        x_.log.push_back(L"reg Set " + n);
        FakeRegistry::SetString(k, n, d);
    }

private:
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
    std::vector<bool> busyAtCreate;

private:
    FakeLauncher& inner_;
    FakeBusy& busy_;
};

inline constexpr const wchar_t* kUserFolder = L"C:\\Users\\u\\AddIns";
inline constexpr const wchar_t* kLibraryFolder = L"C:\\Office\\Library";
inline constexpr const wchar_t* kManagerKey11 = L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager";

struct OpsWorld {
    World w;
    FakeExcelWorld& excel = w.excel;
    TimelineFileSystem fs{w.excel};
    TimelineRegistry reg{w.excel};
    BusyProbeLauncher launcher{w.launcher, w.busy};
    Services svc{launcher, fs, reg, w.msg, w.clip, w.shell, w.drives, w.details, w.sys, w.busy};
    SharedState& st = w.st;
    FakeControls& ui = w.ui;
    MainWindow win{svc, w.st, w.ui};

    OpsWorld() {
        st.intEXCELVER = 11;
        st.strADDINFOLDER[0] = kUserFolder;
        st.strADDINFOLDER[1] = kLibraryFolder;
        ui.items[Ctl::lblKEKKA].text = L"(before)";
    }
    Context& ctx() { return win.ctx(); }

    // An add-in in Excel's list, with a file behind it.
    void List(const std::wstring& fullName, const std::wstring& title, bool installed, bool fileExists = true) {
        FakeAddinData d;
        d.FullName = fullName;
        auto p = fullName.rfind(L'\\');
        d.Name = fullName.substr(p + 1);
        d.Path = fullName.substr(0, p);
        d.Title = title;
        d.Installed = installed;
        excel.addins.push_back(d);
        if (fileExists) fs.files[fullName] = L"old " + fullName;
    }
    // A row of modes 1 to 6 showing `title` for the add-in `fullName`; returns the row.
    int Row(const std::wstring& fullName, const std::wstring& title) {
        st.udtADDINROW.push_back({fullName, title});
        int r = ui.ListAdd(title);
        ui.ListSetItemData(r, static_cast<long>(st.udtADDINROW.size()) - 1);
        return r;
    }
    // A row of mode 0 for the offered file `path`; returns the row.
    int FileRow(const std::wstring& path) {
        st.strSELFILE.push_back({path, false});
        int r = ui.ListAdd(FileNamePart(path));
        ui.ListSetItemData(r, st.SelFileUpper());
        return r;
    }
    const FakeAddinData* Addin(const std::wstring& fullName) const {
        for (auto& a : excel.addins) if (a.FullName == fullName) return &a;
        return nullptr;
    }
    // Log entries that are not reads of add-in properties: what the step did, in order.
    std::vector<std::wstring> Actions() const {
        std::vector<std::wstring> r;
        for (auto& l : excel.log) {
            bool read = l == L"AddIn.Name" || l == L"AddIn.FullName" || l == L"AddIn.Title" ||
                        l == L"AddIn.Path" || l == L"AddIn.Installed";
            if (!read) r.push_back(l);
        }
        return r;
    }
    long Position(const std::wstring& entry) const {
        auto it = std::find(excel.log.begin(), excel.log.end(), entry);
        return it == excel.log.end() ? -1 : static_cast<long>(it - excel.log.begin());
    }
    bool Logged(const std::wstring& prefix) const { return !excel.Calls(prefix).empty(); }
};

}  // namespace qv::fake
