// Checks before any Excel step. Without them an install into a protected folder would switch
// the old version off in Excel and then fail at the copy, and a removal would fail at the
// delete after Excel had already changed its list.
#include "excel/path_limit.h"
#include "operations/operations.h"
#include "platform/paths.h"

namespace qv {

namespace {

Notice ReadOnlyFile(const std::wstring& path) {
    Notice n{Reason::ReadOnly};
    n.path = path;
    return n;
}

Notice NeedsAdministrator(const std::wstring& folder, bool hintUserFolder) {
    Notice n{Reason::AdminRights};
    n.folder = folder;
    n.userFolderHint = hintUserFolder;
    return n;
}

}  // namespace

std::optional<Notice> CheckInstallTarget(Services& svc, const excel::Facts& facts, const std::wstring& folder,
                                         const std::wstring& fullName, bool copies, bool newInstall) {
    if (!excel::CanOpenFullName(fullName)) {
        Notice n{Reason::PathTooLong};
        n.path = fullName;
        return n;
    }
    // Nothing is written when the file already lies at its destination.
    if (!copies) return std::nullopt;
    // Replacing it would fail only after the old version had been switched off.
    if (svc.fs.IsReadOnly(fullName)) return ReadOnlyFile(fullName);
    // The folder up to and including its last "\", so that a file at a drive's root names "C:\", not "C:".
    const std::wstring folderPart = fullName.substr(0, fullName.size() - paths::FileNamePart(fullName).size());
    bool denied = svc.fs.ProbeCreate(folderPart) == Access::Denied;
    // An old version Excel holds answers Other here; the install switches it off before the copy.
    if (!denied) denied = svc.fs.ProbeDelete(fullName) == Access::Denied;
    if (!denied) return std::nullopt;
    // Only a new install may go elsewhere; a newer version must go where the old one lies. The
    // user folder is no way out where Excel has none (Excel 97), or when it is the one refused.
    const bool hint = newInstall && !facts.userFolder.empty() && paths::FolderPart(fullName) != facts.userFolder;
    return NeedsAdministrator(folder, hint);
}

std::optional<Notice> CheckRemovable(Services& svc, const std::wstring& fullName) {
    // Opening a read-only file for delete succeeds; only the delete itself fails.
    if (svc.fs.IsReadOnly(fullName)) return ReadOnlyFile(fullName);
    if (svc.fs.ProbeDelete(fullName) != Access::Denied) return std::nullopt;
    return NeedsAdministrator(paths::WithRootSeparator(paths::FolderPart(fullName)), false);
}

}  // namespace qv
