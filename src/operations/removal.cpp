// The switch and removal steps of modes 1 to 5. Each works on the add-in behind the
// selected row, quits its Excel instance, and only then deletes the file or the
// registry value, so Excel cannot write the entry back when it quits.
#include "operations/operations.h"

namespace qv {

namespace {

bool IsNetworkPath(const std::wstring& path) { return path.rfind(L"\\\\", 0) == 0; }

}  // namespace

void SetAddinInstalled(Context& c, bool blnON) {
    const std::wstring fullName = SelectedAddinFullName(c);
    excel::Session excel(c.svc.excel.Create());
    auto addin = FindAddinByFullName(*excel, fullName);
    // Excel only lets go of an add-in that is open as a workbook.
    if (!blnON) excel->OpenWorkbook(fullName);
    addin->SetInstalled(blnON);
    addin.reset();
    excel.Quit();
}

bool RemoveActiveAddin(Context& c) {
    const std::wstring fullName = SelectedAddinFullName(c);
    if (!IsNetworkPath(fullName) && !CheckRemovable(c, fullName)) return false;
    excel::Session excel(c.svc.excel.Create());
    auto addin = FindAddinByFullName(*excel, fullName);
    excel->OpenWorkbook(fullName);
    c.st.strADDINPATH = addin->Path();
    if (addin->Installed()) {
        excel->OpenWorkbook(fullName);
        addin->SetInstalled(false);
    }
    addin.reset();
    excel.Quit();

    // A file on a share may be in use by others; it stays.
    if (!IsNetworkPath(fullName)) c.svc.fs.Delete(fullName);
    if (!IsDefaultFolder(c.st, c.st.strADDINPATH)) DeleteAddinManagerValue(c, fullName);
    return true;
}

bool RemoveInactiveAddin(Context& c) {
    const std::wstring fullName = SelectedAddinFullName(c);
    if (!CheckRemovable(c, fullName)) return false;
    excel::Session excel(c.svc.excel.Create());
    // Confirms that Excel still lists it before anything is deleted.
    FindAddinByFullName(*excel, fullName);
    c.st.strADDINPATH = fullName;
    excel.Quit();

    c.svc.fs.Delete(c.st.strADDINPATH);
    if (!IsDefaultFolder(c.st, FolderPart(c.st.strADDINPATH))) DeleteAddinManagerValue(c, c.st.strADDINPATH);
    return true;
}

void TidyMissingAddin(Context& c) {
    const std::wstring fullName = SelectedAddinFullName(c);
    excel::Session excel(c.svc.excel.Create());
    auto addin = FindAddinByFullName(*excel, fullName);
    c.st.strADDINPATH = fullName;
    // Its file is gone, so it is switched off without being opened.
    if (addin->Installed()) addin->SetInstalled(false);
    addin.reset();
    excel.Quit();

    DeleteAddinManagerValue(c, c.st.strADDINPATH);
}

}  // namespace qv
