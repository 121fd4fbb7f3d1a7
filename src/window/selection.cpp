#include "fileinfo/addin_details.h"
#include "window/lookup_addin.h"
#include "window/steps.h"
#include "window/texts.h"
#include "window/wizard.h"

namespace qv {

namespace {

// Mode 0, no listed add-in to replace: offer the add-in folders, and the file's own share folder.
void OfferTargetFolders(Context& c, long item) {
    Controls& ui = c.ui;
    ui.SetVisible(Ctl::cbxFOLDER, true);
    ui.SetVisible(Ctl::txtFOLDER, false);
    ui.SetVisible(Ctl::cmdFolder, true);
    ui.ComboClear();
    if (!c.st.strADDINFOLDER[0].empty()) ui.ComboAdd(c.st.strADDINFOLDER[0]);
    ui.ComboAdd(c.st.strADDINFOLDER[1]);
    c.st.strSRCFILE = GetSelectedFile(c, item);
    if (auto own = OwnShareFolder(c.st.strSRCFILE)) ui.ComboAdd(*own);
    ui.ComboSelect(0);
}

void SelectFileToInstall(Context& c, const std::wstring& rowText, long item) {
    Controls& ui = c.ui;
    BusyScope busy(c.svc.busy);
    LookupAddinByName(c, rowText);
    if (!c.st.strADDINPATH.empty()) {
        ui.SetVisible(Ctl::cbxFOLDER, false);
        ui.SetVisible(Ctl::txtFOLDER, true);
        ui.SetText(Ctl::txtFOLDER, c.st.strADDINPATH);
        ui.SetReadOnly(Ctl::txtFOLDER, true);
    } else {
        OfferTargetFolders(c, item);
    }

    const FileTitle read = GetAddinFileTitle(c.svc.details, GetSelectedFile(c, item));
    if (read.warning) ShowNotice(c.svc.msg, *read.warning);
    ui.SetText(Ctl::lblMSG1, read.title);
    const std::wstring title = ui.Text(Ctl::lblMSG1);
    if (title.empty()) return;  // the user has been told the file has no title
    ui.SetVisible(Ctl::lblMSG1, true);
    if (IsTitleUsedByOtherAddin(c, title)) {
        Notice conflict{Reason::TitleConflict};
        conflict.title = title;
        ShowNotice(c.svc.msg, conflict);
        ui.SetEnabled(Ctl::cmdNEXT, false);
    }
}

// Complete removal: show the folder of the add-in's file and its name.
void ShowFolderAndName(Context& c, long item) {
    Controls& ui = c.ui;
    ui.SetText(Ctl::txtFOLDER, GetAddinRowFullName(c, item));
    const std::wstring full = ui.Text(Ctl::txtFOLDER);
    ui.SetText(Ctl::lblMSG1, paths::FileNamePart(full));
    // C: alone is not the root.
    ui.SetText(Ctl::txtFOLDER, paths::WithRootSeparator(paths::FolderPart(full)));
    ui.SetVisible(Ctl::lblMSG1, true);
}

}  // namespace

void MainWindow::lstADDIN_Click() {
    Context& c = ctx_;
    const std::wstring rowText = c.ui.ListText();
    if (rowText.empty()) return;

    c.ui.SetEnabled(Ctl::cmdNEXT, true);
    c.ui.SetText(Ctl::lblKEKKA, L"");
    const long item = SelectedItemData(c);

    if (!c.shownMode) return;
    switch (*c.shownMode) {
        case Mode::Install: SelectFileToInstall(c, rowText, item); break;
        case Mode::RemoveActive:
        case Mode::RemoveInactive: ShowFolderAndName(c, item); break;
        case Mode::ShowFolder: c.ui.SetText(Ctl::txtFOLDER, GetAddinRowFullName(c, item)); break;
        default: break;
    }
}

}  // namespace qv
