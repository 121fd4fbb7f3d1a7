// InstallAddin: a new install, or a newer version over a listed one.
#include "operations/operations.h"

namespace qv {

namespace {

// The temporary workbook that AddIns.Add needs. Closed unsaved also when the add goes
// wrong, so the quitting instance is never left with an unsaved book.
class TemporaryWorkbook {
public:
    explicit TemporaryWorkbook(excel::Application& app) : book_(app.AddWorkbook()) {}
    ~TemporaryWorkbook() {
        if (book_) {
            try { book_->Close(false); } catch (...) {}
        }
    }
    TemporaryWorkbook(const TemporaryWorkbook&) = delete;
    TemporaryWorkbook& operator=(const TemporaryWorkbook&) = delete;
    void Close() {
        auto book = std::move(book_);
        book->Close(false);
    }

private:
    std::unique_ptr<excel::Workbook> book_;
};

// The listed old version, switched off so that its file can be replaced. Addressed by its
// full name (its folder and the row's file name): its title may be shared with another add-in,
// and it may have no title at all.
std::unique_ptr<excel::AddIn> SwitchOffOldVersion(Context& c, excel::Application& app, const std::wstring& rowName) {
    if (c.st.strADDINPATH.empty()) return nullptr;
    std::wstring oldFullName = JoinFolder(c.st.strADDINPATH, rowName);
    auto old = FindAddinByFullName(app, oldFullName);
    if (!old->Installed()) return nullptr;
    app.OpenWorkbook(oldFullName);
    old->SetInstalled(false);
    return old;
}

void CopyKeepingOldVersion(Context& c, excel::AddIn* switchedOff) {
    try {
        c.svc.fs.CopyReplace(c.st.strSRCFILE, c.st.strADDINFILE);
    } catch (...) {
        // The old file is untouched; put its add-in back as it was before the failure leaves.
        if (switchedOff) {
            try { switchedOff->SetInstalled(true); } catch (...) {}
        }
        throw;
    }
}

// The listed add-in whose file is the one just put in place, switched on; false when Excel
// does not list it yet. Matching the whole path, not the file name alone, keeps a stale entry
// of the same name elsewhere (its file gone, or another copy) from being switched on instead.
bool SwitchOnListed(excel::Application& app, const std::wstring& fullName) {
    for (auto& addin : excel::each(app.AddIns())) {
        if (addin->FullName() == fullName) {
            addin->SetInstalled(true);
            return true;
        }
    }
    return false;
}

void AddAndSwitchOn(excel::Application& app, const std::wstring& file, bool copied) {
    TemporaryWorkbook book(app);
    auto added = app.AddAddIn(file, copied);
    added->SetInstalled(true);
    book.Close();
}

}  // namespace

bool InstallAddin(Context& c) {
    // Source and destination come from the window alone; settle and check them before Excel
    // is touched.
    const std::wstring rowName = c.ui.ListText();
    const std::wstring folder = InstallFolder(c);
    const std::wstring destination = JoinFolder(folder, rowName);
    const std::wstring source = GetSelectedFile(c, SelectedItemData(c));
    const bool copy = source != destination;
    if (!CheckInstallTarget(c, folder, destination, copy)) return false;
    c.st.strADDINFILE = destination;
    c.st.strSRCFILE = source;

    excel::Session excel(c.svc.excel.Create());
    auto switchedOff = SwitchOffOldVersion(c, *excel, rowName);
    if (copy) CopyKeepingOldVersion(c, switchedOff.get());
    switchedOff.reset();

    if (!SwitchOnListed(*excel, c.st.strADDINFILE)) AddAndSwitchOn(*excel, c.st.strADDINFILE, copy);

    excel.Quit();
    return true;
}

}  // namespace qv
