// The check on the install's target folder, made before anything is started: a folder typed
// into the combo box may be relative, half a drive ("C:") or simply missing, and a copy there
// would land somewhere the user did not mean.
#include "operations/operations.h"
#include "operations/texts.h"
#include "platform/paths.h"

namespace qv {

namespace {

// The full-width form of a printable ASCII character: U+0021..U+007E map to U+FF01..U+FF5E.
wchar_t FullWidth(wchar_t ch) {
    return ch >= 0x21 && ch <= 0x7E ? static_cast<wchar_t>(ch + 0xFEE0) : ch;
}

}  // namespace

std::wstring RefusedDriveMessage(const std::wstring& path) {
    std::wstring drive;
    for (wchar_t ch : path.substr(0, 2)) drive += FullWidth(ch);
    return texts::kDriveRefused1 + drive + texts::kDriveRefused2;
}

std::optional<std::wstring> CheckFolderDrive(Drives& drives, const std::wstring& path) {
    if (drives.DriveType(path.substr(0, 3)) == kDriveFixed) return std::nullopt;
    return RefusedDriveMessage(path);
}

std::optional<std::wstring> CheckInstallFolder(FileSystem& fs, const std::wstring& folder, bool versionUp) {
    // Excel gives the folder of an add-in at a drive's root as "C:", without the separator.
    const std::wstring checked = versionUp ? paths::WithRootSeparator(folder) : folder;
    if (paths::IsFullFolderPath(checked) && fs.FolderExists(checked)) return std::nullopt;
    return texts::kInvalidFolder1 + folder + texts::kInvalidFolder2;
}

}  // namespace qv
