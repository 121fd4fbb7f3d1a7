// The check on the install's target folder, made before anything is started: a folder typed
// into the combo box may be relative, half a drive ("C:") or simply missing, and a copy there
// would land somewhere the user did not mean.
#include "operations/operations.h"
#include "platform/paths.h"

namespace qv {

std::optional<Notice> CheckFolderDrive(Drives& drives, const std::wstring& path) {
    if (drives.DriveType(path.substr(0, 3)) == kDriveFixed) return std::nullopt;
    Notice n{Reason::DriveRefused};
    n.path = path;
    return n;
}

std::optional<Notice> CheckInstallFolder(FileSystem& fs, const std::wstring& folder, bool versionUp,
                                         const std::wstring& userFolder) {
    // Excel gives the folder of an add-in at a drive's root as "C:", without the separator.
    const std::wstring checked = versionUp ? paths::WithRootSeparator(folder) : folder;
    // A new profile has no user add-in folder until Excel's own dialog first saves there.
    const bool madeWhenMissing = !versionUp && !userFolder.empty() && folder == userFolder;
    if (paths::IsFullFolderPath(checked) && (madeWhenMissing || fs.FolderExists(checked))) return std::nullopt;
    Notice n{Reason::InvalidFolder};
    n.folder = folder;
    return n;
}

}  // namespace qv
