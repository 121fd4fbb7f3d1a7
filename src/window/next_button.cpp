// cmdNEXT_Click: carry out the chosen mode on the selected row. A failing step throws
// out of here to the window's top level; then no completion text is written, the row
// stays and no file is marked done.
#include "window/steps.h"
#include "window/texts.h"

namespace qv {

namespace {

constexpr int kModes = 7;

int ChosenMode(Controls& ui) {
    for (int i = 0; i < kModes; ++i)
        if (ui.Checked(OptBtn(i))) return i;
    return -1;
}

void ShowDone(Controls& ui, const std::wstring& name, const wchar_t* ending) {
    ui.SetText(Ctl::lblKEKKA, texts::kOpenQuote + name + ending);
}

// Every offered file with the installed row's file name is done, so the install list
// leaves them all out from now on, whichever folder they came from.
void MarkInstalled(SharedState& st, const std::wstring& fileName) {
    for (long i = 1; i <= st.SelFileUpper(); ++i) {
        auto& entry = st.strSELFILE[static_cast<size_t>(i)];
        if (FileNamePart(entry.Path) == fileName) entry.Done = true;
    }
}

void RemoveSelectedRow(Controls& ui) { ui.ListRemove(ui.ListIndex()); }

void Install(Context& c) {
    if (!CheckInstallFolder(c)) return;
    {
        BusyScope busy(c.svc.busy);
        if (!InstallAddin(c)) return;
    }
    ShowDone(c.ui, c.ui.Text(Ctl::lblMSG1), texts::kInstallDone);
    MarkInstalled(c.st, c.ui.ListText());
    RemoveSelectedRow(c.ui);
    c.ui.SetVisible(Ctl::cmdFolder, false);
}

void SwitchOrRemove(Context& c, int mode) {
    const wchar_t* ending = nullptr;
    {
        BusyScope busy(c.svc.busy);
        switch (mode) {
            case 1: SetAddinInstalled(c, true); ending = texts::kInstallDone; break;
            case 2: SetAddinInstalled(c, false); ending = texts::kUninstallDone; break;
            case 3: ending = RemoveActiveAddin(c) ? texts::kUninstallDone : nullptr; break;
            case 4: ending = RemoveInactiveAddin(c) ? texts::kDeleteDone : nullptr; break;
            default: ending = TidyMissingAddin(c) ? texts::kDeleteDone : nullptr; break;
        }
    }
    if (!ending) return;  // nothing was removed: the row stays
    ShowDone(c.ui, c.ui.ListText(), ending);
    RemoveSelectedRow(c.ui);
}

}  // namespace

void MainWindow::cmdNEXT_Click() {
    Context& c = ctx_;
    if (c.ui.ListIndex() == -1) {
        const bool installMode = c.ui.Text(Ctl::cmdNEXT) == texts::kInstall1Run;
        c.svc.msg.Show(installMode ? texts::kSelectAddinFile : texts::kSelectAddin, texts::kAppTitle, kMbCritical);
        return;
    }
    const int mode = ChosenMode(c.ui);
    if (mode == 0) {
        Install(c);
    } else if (mode >= 1 && mode <= 5) {
        SwitchOrRemove(c, mode);
    } else if (mode == 6) {
        CopyPathToClipboard(c, c.ui.Text(Ctl::txtFOLDER));
    }
}

}  // namespace qv
