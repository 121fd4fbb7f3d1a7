// The install's target folder and the check made before anything is started: a folder
// typed into the combo box may be relative, half a drive ("C:") or simply missing, and a
// copy there would land somewhere the user did not mean.
#include "operations/operations.h"
#include "window/texts.h"

namespace qv {

namespace {

bool IsDriveLetter(wchar_t ch) { return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z'); }

}  // namespace

std::wstring InstallFolder(Context& c) {
    return c.ui.Text(c.st.strADDINPATH.empty() ? Ctl::cbxFOLDER : Ctl::txtFOLDER);
}

bool IsFullFolderPath(const std::wstring& folder) {
    if (folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == L':' && folder[2] == L'\\')
        return true;
    if (folder.rfind(L"\\\\", 0) != 0) return false;
    // \\server\share: both parts present.
    auto serverEnd = folder.find(L'\\', 2);
    if (serverEnd == std::wstring::npos || serverEnd == 2) return false;
    auto shareEnd = folder.find(L'\\', serverEnd + 1);
    auto shareLen = (shareEnd == std::wstring::npos ? folder.size() : shareEnd) - (serverEnd + 1);
    return shareLen > 0;
}

bool CheckInstallFolder(Context& c) {
    std::wstring folder = InstallFolder(c);
    // Excel gives the folder of an add-in at a drive's root as "C:", without the separator.
    std::wstring checked = folder;
    if (!c.st.strADDINPATH.empty() && checked.size() == 2 && IsDriveLetter(checked[0]) && checked[1] == L':')
        checked += L'\\';
    if (IsFullFolderPath(checked) && c.svc.fs.FolderExists(checked)) return true;
    c.svc.msg.Show(texts::kInvalidFolder1 + folder + texts::kInvalidFolder2, texts::kAppTitle, kMbCritical);
    return false;
}

}  // namespace qv
