// The switch and removal steps of modes 1 to 5. Each works on the add-in behind the
// selected row and quits its Excel instance. A removal then waits until that Excel's process
// has ended, because Excel writes its add-in list on its way out: a file or registry value
// deleted earlier would be written back, or still be held open.
#include "operations/operations.h"
#include "window/texts.h"

namespace qv {

namespace {

bool IsNetworkPath(const std::wstring& path) { return path.rfind(L"\\\\", 0) == 0; }

// True once every Excel the wizard quit has ended; otherwise says that nothing was deleted.
bool ExcelHasEnded(Context& c) {
    if (c.svc.excel.WaitForQuitInstances(excel::kExcelExitWaitMs)) return true;
    c.svc.msg.Show(texts::kExcelDidNotEnd, texts::kAppTitle, kMbCritical);
    return false;
}

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
    if (!ExcelHasEnded(c)) return false;

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
    if (!ExcelHasEnded(c)) return false;

    c.svc.fs.Delete(c.st.strADDINPATH);
    if (!IsDefaultFolder(c.st, FolderPart(c.st.strADDINPATH))) DeleteAddinManagerValue(c, c.st.strADDINPATH);
    return true;
}

bool TidyMissingAddin(Context& c) {
    const std::wstring fullName = SelectedAddinFullName(c);
    excel::Session excel(c.svc.excel.Create());
    auto addin = FindAddinByFullName(*excel, fullName);
    c.st.strADDINPATH = fullName;
    // Its file is gone, so it is switched off without being opened.
    if (addin->Installed()) addin->SetInstalled(false);
    addin.reset();
    excel.Quit();
    if (!ExcelHasEnded(c)) return false;

    DeleteAddinManagerValue(c, c.st.strADDINPATH);
    return true;
}

}  // namespace qv
