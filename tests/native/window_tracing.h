#pragma once
// A fake world whose file-existence tests and details lookups are recorded in the same log
// as the Excel calls, so tests can check the order of cheap and costly steps; and whose
// launcher notes whether the busy cursor was showing when each instance was started.
#include <string>
#include <vector>

#include "fakes.h"
#include "window/texts.h"

namespace qv::fake {

class TracingFileSystem : public FileSystem {
public:
    TracingFileSystem(FakeFileSystem& fs, FakeExcelWorld& log) : fs_(fs), log_(log) {}
    bool FileExists(const std::wstring& p) override {
        log_.log.push_back(L"Exists " + p);
        return fs_.FileExists(p);
    }
    bool FolderExists(const std::wstring& p) override { return fs_.FolderExists(p); }
    std::vector<std::wstring> ListFiles(const std::wstring& f, const std::wstring& pat) override {
        return fs_.ListFiles(f, pat);
    }
    void CopyReplace(const std::wstring& s, const std::wstring& d) override { fs_.CopyReplace(s, d); }
    void Delete(const std::wstring& p) override { fs_.Delete(p); }

private:
    FakeFileSystem& fs_;
    FakeExcelWorld& log_;
};

class TracingDetails : public DetailsProvider {
public:
    TracingDetails(FakeDetailsProvider& d, FakeExcelWorld& log) : d_(d), log_(log) {}
    std::unique_ptr<FileDetails> Open(const std::wstring& folder, const std::wstring& name) override {
        log_.log.push_back(L"Details " + folder + L"\\" + name);
        return d_.Open(folder, name);
    }

private:
    FakeDetailsProvider& d_;
    FakeExcelWorld& log_;
};

class BusyCheckingLauncher : public excel::Launcher {
public:
    BusyCheckingLauncher(FakeLauncher& l, FakeBusy& busy) : l_(l), busy_(busy) {}
    std::unique_ptr<excel::Application> Attach() override { return l_.Attach(); }
    std::unique_ptr<excel::Application> Create() override {
        busyAtCreate.push_back(busy_.depth > 0);
        return l_.Create();
    }
    std::vector<bool> busyAtCreate;

private:
    FakeLauncher& l_;
    FakeBusy& busy_;
};

struct TracedWorld {
    World w;
    TracingFileSystem fs{w.fs, w.excel};
    TracingDetails details{w.details, w.excel};
    BusyCheckingLauncher launcher{w.launcher, w.busy};
    Services svc{launcher, fs, w.reg, w.msg, w.clip, w.shell, w.drives, details, w.sys, w.busy};
    MainWindow win{svc, w.st, w.ui};

    TracedWorld() {
        const wchar_t* captions[] = {texts::kOptCaption0, texts::kOptCaption1, texts::kOptCaption2,
                                     texts::kOptCaption3, texts::kOptCaption4, texts::kOptCaption5,
                                     texts::kOptCaption6};
        for (int i = 0; i < 7; ++i) w.ui.SetText(OptBtn(i), captions[i]);
        w.st.strADDINFOLDER[0] = L"C:\\Users\\u\\AddIns";
        w.st.strADDINFOLDER[1] = L"C:\\Office\\Library";
    }
    Context& ctx() { return win.ctx(); }

    // A listed add-in in `folder`; its file exists when `exists`, with the given details.
    void AddAddin(const std::wstring& folder, const std::wstring& name, const std::wstring& title,
                  bool installed, bool exists = true, const std::wstring& author = L"") {
        const std::wstring full = folder + L"\\" + name;
        w.excel.addins.push_back({name, full, title, folder, installed});
        if (exists) {
            w.fs.files[full] = L"xla";
            w.details.Add(full, author, title);
        }
    }
    // No instance left, and the busy cursor shown as often as hidden.
    bool Clean() const { return w.excel.instancesAlive == 0 && w.busy.depth == 0; }
};

}  // namespace qv::fake
