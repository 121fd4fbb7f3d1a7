// Checks before any Excel step. Without them an install into a protected folder would switch
// the old version off in Excel and then fail at the copy, and a removal would fail at the
// delete after Excel had already changed its list.
#include "excel/path_limit.h"
#include "operations/operations.h"
#include "window/texts.h"

namespace qv {

namespace {

// Up to and including the last "\", so that a file at a drive's root names "C:\", not "C:".
std::wstring FolderWithSeparator(const std::wstring& fullName) {
    auto p = fullName.rfind(L'\\');
    return p == std::wstring::npos ? std::wstring() : fullName.substr(0, p + 1);
}

void ShowNeedsAdministrator(Context& c, const std::wstring& folder, bool hintUserFolder) {
    std::wstring text = texts::kAdminFolder1 + folder + texts::kAdminFolder2;
    if (hintUserFolder) text += texts::kAdminUserFolderHint;
    c.svc.msg.Show(text, texts::kAppTitle, kMbCritical);
}

}  // namespace

bool CheckInstallTarget(Context& c, const std::wstring& folder, const std::wstring& fullName, bool copies) {
    if (!excel::CanOpenFullName(fullName)) {
        c.svc.msg.Show(texts::kPathTooLong1 + fullName + texts::kPathTooLong2, texts::kAppTitle, kMbCritical);
        return false;
    }
    // Nothing is written when the file already lies at its destination.
    if (!copies) return true;
    bool denied = c.svc.fs.ProbeCreate(FolderWithSeparator(fullName)) == Access::Denied;
    // An old version Excel holds answers Other here; the install switches it off before the copy.
    if (!denied) denied = c.svc.fs.ProbeDelete(fullName) == Access::Denied;
    if (!denied) return true;
    // Only a new install may go elsewhere; a newer version must go where the old one lies. The
    // user folder is no way out where Excel has none (Excel 97), or when it is the one refused.
    const std::wstring& userFolder = c.st.strADDINFOLDER[0];
    const bool hint = c.st.strADDINPATH.empty() && !userFolder.empty() && FolderPart(fullName) != userFolder;
    ShowNeedsAdministrator(c, folder, hint);
    return false;
}

bool CheckRemovable(Context& c, const std::wstring& fullName) {
    if (c.svc.fs.ProbeDelete(fullName) != Access::Denied) return true;
    std::wstring folder = FolderPart(fullName);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    ShowNeedsAdministrator(c, folder, false);
    return false;
}

}  // namespace qv
