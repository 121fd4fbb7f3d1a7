// InstallAddin: a new install, or a newer version over a listed one.
#include "startup/excel_start.h"
#include "operations/operations.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/zone_identifier.h"

namespace qv {

namespace {

void Note(const InstallRequest& r, Change change) {
    if (r.journal) r.journal->push_back(change);
}

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
// full name (its folder and the file name): its title may be shared with another add-in,
// and it may have no title at all.
std::unique_ptr<excel::AddIn> SwitchOffOldVersion(const InstallRequest& r, excel::Application& app,
                                                  const std::wstring& fileName) {
    if (r.oldFolder.empty()) return nullptr;
    std::wstring oldFullName = paths::JoinFolder(r.oldFolder, fileName);
    auto old = FindAddinByFullName(app, oldFullName);
    if (!old->Installed()) return nullptr;
    app.OpenWorkbook(oldFullName);
    old->SetInstalled(false);
    Note(r, Change::OldVersionOff);
    return old;
}

MarkWarning CopyKeepingOldVersion(Services& svc, const InstallRequest& r, const std::wstring& destination,
                                  ZoneMark mark, excel::AddIn* switchedOff) {
    MarkWarning warning = MarkWarning::None;
    try {
        warning = svc.fs.CopyReplace(r.source, destination, mark);
    } catch (...) {
        // The old file is untouched; put its add-in back as it was before the failure leaves.
        if (switchedOff) {
            try {
                switchedOff->SetInstalled(true);
                Note(r, Change::OldVersionBackOn);
            } catch (...) {
            }
        }
        throw;
    }
    Note(r, Change::FileCopied);
    return warning;
}

// The file already in its place keeps its bytes; only its mark is taken away. It is a warning
// when that fails, as for a copy: the install itself can go on.
MarkWarning UnblockInPlace(Services& svc, const std::wstring& fullName) {
    try {
        svc.fs.DeleteZoneStream(fullName);
    } catch (const Failure&) {
        return MarkWarning::NotRemoved;
    }
    return MarkWarning::None;
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

void AddAndSwitchOn(const InstallRequest& r, excel::Application& app, const std::wstring& file, bool copied) {
    TemporaryWorkbook book(app);
    auto added = app.AddAddIn(file, copied);
    Note(r, Change::Added);
    added->SetInstalled(true);
    Note(r, Change::SwitchedOn);
    book.Close();
}

}  // namespace

InstallResult InstallAddin(Services& svc, const InstallRequest& r) {
    InstallResult result;
    // Source and destination are settled and checked before Excel is touched.
    const std::wstring fileName = paths::FileNamePart(r.source);
    result.fullName = paths::JoinFolder(r.folder, fileName);
    result.copied = r.source != result.fullName;
    if (auto refusal = CheckInstallTarget(svc, r.facts, r.folder, result.fullName, result.copied, r.oldFolder.empty())) {
        result.refusal = *refusal;
        return result;
    }
    // Office blocks the macros of a file from the internet, and a copy keeps the mark; a file
    // that already lies in the destination folder is just as blocked.
    ZoneMark mark = ZoneMark::KeepSource;
    const ZoneStream zone = svc.fs.ReadZoneStream(r.source);
    if (zone.state == StreamState::Present && IsMarkedFromInternet(ZoneIdOf(zone.text))) {
        const MarkChoice choice = r.askUnblock ? r.askUnblock() : MarkChoice::Keep;
        if (choice == MarkChoice::Cancel) {
            result.cancelled = true;
            return result;
        }
        if (choice == MarkChoice::Unblock) mark = ZoneMark::None;
        result.keptMark = choice == MarkChoice::Keep;
    }
    // Every question is answered: a new profile's user add-in folder may still have to be made.
    if (r.oldFolder.empty() && !r.facts.userFolder.empty() && r.folder == r.facts.userFolder &&
        !svc.fs.FolderExists(r.folder))
        svc.fs.CreateFolders(r.folder);

    excel::Session excel(StartExcel(svc));
    auto switchedOff = SwitchOffOldVersion(r, *excel, fileName);
    if (result.copied)
        result.markWarning = CopyKeepingOldVersion(svc, r, result.fullName, mark, switchedOff.get());
    else if (mark == ZoneMark::None)
        result.markWarning = UnblockInPlace(svc, result.fullName);
    // A volume without streams kept no mark: the copy is not marked after all.
    if (result.markWarning == MarkWarning::NotKept || result.markWarning == MarkWarning::NotSet)
        result.keptMark = false;
    switchedOff.reset();

    if (SwitchOnListed(*excel, result.fullName))
        Note(r, Change::SwitchedOn);
    else
        AddAndSwitchOn(r, *excel, result.fullName, result.copied);
    excel.Quit();
    return result;
}

std::optional<Notice> MarkNotice(const InstallResult& result) {
    std::optional<Notice> n;
    switch (result.markWarning) {
        case MarkWarning::NotSet: n = Notice{Reason::MarkNotSet}; break;
        case MarkWarning::NotRemoved: n = Notice{Reason::MarkNotRemoved}; break;
        case MarkWarning::NotKept: n = Notice{Reason::MarkNotKept}; break;
        case MarkWarning::None:
            if (result.keptMark) n = Notice{Reason::KeptMark};
            break;
    }
    if (n) n->path = result.fullName;
    return n;
}

}  // namespace qv
