// The switch and removal steps of modes 1 to 5. Each works on one listed add-in and quits its
// Excel instance. A removal then waits until that Excel's process has ended, because Excel
// writes its add-in list on its way out: a file or registry value deleted earlier would be
// written back, or still be held open.
#include "startup/excel_start.h"
#include "operations/network_path.h"
#include "operations/operations.h"
#include "platform/paths.h"

namespace qv {

namespace {

void Note(const AddinRequest& r, Change change) {
    if (r.journal) r.journal->push_back(change);
}

// True once every Excel this program quit has ended.
bool ExcelHasEnded(Services& svc) { return svc.excel.WaitForInstancesToEnd(excel::kExcelExitWaitMs); }

RemovalResult Refused(Notice refusal, std::wstring addinPath = L"") {
    RemovalResult result;
    result.refusal = std::move(refusal);
    result.addinPath = std::move(addinPath);
    return result;
}

// The removal's own Excel. An earlier instance of the program's that is still on its way out
// would write its list after this step; the removal says so in its own words.
std::optional<RemovalResult> StartRemovalExcel(Services& svc, std::unique_ptr<excel::Application>& app) {
    try {
        app = StartExcel(svc);
    } catch (const StepRefused& refused) {
        if (refused.What().reason != Reason::EarlierExcelAlive) throw;
        return Refused(Notice{Reason::ExcelDidNotEnd});
    }
    return std::nullopt;
}

// Once Excel has ended, an OPEN value that still names the add-in means Excel will load it
// again at its next start: it crashed on its way out, or another Excel wrote meanwhile.
std::optional<RemovalResult> StillRegistered(Services& svc, const AddinRequest& r, const std::wstring& addinPath) {
    if (!OpenValueNames(svc.reg, r.facts, r.fullName)) return std::nullopt;
    return Refused(Notice{Reason::StillRegistered}, addinPath);
}

// The file goes, to the Recycle Bin where its volume has one, so that a wrong row can be undone.
// Decided before the call: without a question, the system's recycling deletes for good what it
// cannot recycle, and would not say so.
FileDisposal DisposeOfFile(Services& svc, const AddinRequest& r, const std::wstring& path) {
    const FileDisposal disposal = DisposalFor(svc.drives, path, r.permanent);
    if (disposal == FileDisposal::Recycled) {
        svc.fs.Recycle(path);
        Note(r, Change::FileRecycled);
    } else {
        svc.fs.Delete(path);
        Note(r, Change::FileDeleted);
    }
    return disposal;
}

void DeleteValue(Services& svc, const AddinRequest& r, const std::wstring& fullName) {
    if (DeleteAddinManagerValue(svc.reg, r.facts.version, fullName)) Note(r, Change::RegistryValueDeleted);
}

}  // namespace

bool LeavesFileInPlace(Drives& drives, const excel::Facts& facts, const std::wstring& fullName) {
    if (!facts.userFolder.empty() && paths::FolderPart(fullName) == facts.userFolder) return false;
    return IsNetworkPath(fullName, drives);
}

FileDisposal DisposalFor(Drives& drives, const std::wstring& fullName, bool permanent) {
    if (permanent) return FileDisposal::Deleted;
    const std::wstring root = paths::DriveRoot(fullName);
    const bool driveLetter = root.size() == 3 && root[1] == L':';
    return driveLetter && drives.DriveType(root) == kDriveFixed ? FileDisposal::Recycled : FileDisposal::Deleted;
}

void SetAddinInstalled(Services& svc, const AddinRequest& r, bool blnON) {
    excel::Session excel(StartExcel(svc));
    auto addin = FindAddinByFullName(*excel, r.fullName);
    // Excel only lets go of an add-in that is open as a workbook.
    if (!blnON) excel->OpenWorkbook(r.fullName);
    addin->SetInstalled(blnON);
    Note(r, blnON ? Change::SwitchedOn : Change::SwitchedOff);
    addin.reset();
    excel.Quit();
}

RemovalResult RemoveActiveAddin(Services& svc, const AddinRequest& r) {
    const std::wstring& fullName = r.fullName;
    const bool onShare = LeavesFileInPlace(svc.drives, r.facts, fullName);
    if (!onShare) {
        if (auto refusal = CheckRemovable(svc, fullName)) return Refused(*refusal);
    }
    RemovalResult result;
    std::unique_ptr<excel::Application> app;
    if (auto refused = StartRemovalExcel(svc, app)) return *refused;
    excel::Session excel(std::move(app));
    auto addin = FindAddinByFullName(*excel, fullName);
    excel->OpenWorkbook(fullName);
    result.addinPath = addin->Path();
    if (addin->Installed()) {
        excel->OpenWorkbook(fullName);
        addin->SetInstalled(false);
        Note(r, Change::SwitchedOff);
    }
    addin.reset();
    excel.Quit();
    if (!ExcelHasEnded(svc)) return Refused(Notice{Reason::ExcelDidNotEnd}, result.addinPath);
    if (auto refused = StillRegistered(svc, r, result.addinPath)) return *refused;

    // A file on the network may be in use by others; it stays.
    result.disposal = onShare ? FileDisposal::Left : DisposeOfFile(svc, r, fullName);
    if (!IsDefaultFolder(r.facts, result.addinPath)) DeleteValue(svc, r, fullName);
    return result;
}

RemovalResult RemoveInactiveAddin(Services& svc, const AddinRequest& r) {
    // A file on the network is the copy every colleague uses; it stays, as in the removal of
    // an active add-in.
    const bool onShare = LeavesFileInPlace(svc.drives, r.facts, r.fullName);
    if (!onShare) {
        if (auto refusal = CheckRemovable(svc, r.fullName)) return Refused(*refusal);
    }
    RemovalResult result;
    std::unique_ptr<excel::Application> app;
    if (auto refused = StartRemovalExcel(svc, app)) return *refused;
    excel::Session excel(std::move(app));
    // Confirms that Excel still lists it, and still off, before anything is deleted: the list
    // the user chose from may be older than Excel's.
    auto addin = FindAddinByFullName(*excel, r.fullName);
    result.addinPath = r.fullName;
    const bool on = addin->Installed();
    addin.reset();
    excel.Quit();
    if (on) {
        Notice n{Reason::SwitchedOn};
        n.title = r.title;
        return Refused(std::move(n), result.addinPath);
    }
    if (!ExcelHasEnded(svc)) return Refused(Notice{Reason::ExcelDidNotEnd}, result.addinPath);
    if (auto refused = StillRegistered(svc, r, result.addinPath)) return *refused;

    result.disposal = onShare ? FileDisposal::Left : DisposeOfFile(svc, r, r.fullName);
    if (!IsDefaultFolder(r.facts, paths::FolderPart(r.fullName))) DeleteValue(svc, r, r.fullName);
    return result;
}

RemovalResult TidyMissingAddin(Services& svc, const AddinRequest& r) {
    RemovalResult result;
    std::unique_ptr<excel::Application> app;
    if (auto refused = StartRemovalExcel(svc, app)) return *refused;
    excel::Session excel(std::move(app));
    auto addin = FindAddinByFullName(*excel, r.fullName);
    result.addinPath = r.fullName;
    // Its file is gone, so it is switched off without being opened.
    if (addin->Installed()) {
        addin->SetInstalled(false);
        Note(r, Change::SwitchedOff);
    }
    addin.reset();
    excel.Quit();
    if (!ExcelHasEnded(svc)) return Refused(Notice{Reason::ExcelDidNotEnd}, result.addinPath);
    if (auto refused = StillRegistered(svc, r, result.addinPath)) return *refused;

    DeleteValue(svc, r, r.fullName);
    return result;
}

}  // namespace qv
