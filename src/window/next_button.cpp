// cmdNEXT_Click: carry out the chosen mode on the selected row. A failing step throws
// out of here to the window's top level; then no completion text is written, the row
// stays and no file is marked done.
#include "window/steps.h"
#include "window/texts.h"

namespace qv {

namespace {

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

// The row the step works on, taken when it starts: messages dispatched while it waits for Excel
// may move the list's selection.
struct Row {
    explicit Row(Controls& ui) : index(ui.ListIndex()), text(ui.ListText()) {}
    int index;
    std::wstring text;
};

void Install(Context& c) {
    const Row row(c.ui);
    if (!CheckInstallFolder(c)) return;
    {
        BusyScope busy(c.svc.busy);
        if (!InstallAddin(c)) return;
    }
    ShowDone(c.ui, c.ui.Text(Ctl::lblMSG1), texts::kInstallDone);
    MarkInstalled(c.st, row.text);
    c.ui.ListRemove(row.index);
    c.ui.SetVisible(Ctl::cmdFolder, false);
}

void SwitchOrRemove(Context& c, Mode mode) {
    const Row row(c.ui);
    const wchar_t* ending = nullptr;
    {
        BusyScope busy(c.svc.busy);
        switch (mode) {
            case Mode::SwitchOn: SetAddinInstalled(c, true); ending = texts::kInstallDone; break;
            case Mode::SwitchOff: SetAddinInstalled(c, false); ending = texts::kUninstallDone; break;
            case Mode::RemoveActive: ending = RemoveActiveAddin(c) ? texts::kUninstallDone : nullptr; break;
            case Mode::RemoveInactive: ending = RemoveInactiveAddin(c) ? texts::kDeleteDone : nullptr; break;
            case Mode::Tidy: ending = TidyMissingAddin(c) ? texts::kDeleteDone : nullptr; break;
            default: break;
        }
    }
    if (!ending) return;  // nothing was removed: the row stays
    ShowDone(c.ui, row.text, ending);
    c.ui.ListRemove(row.index);
}

}  // namespace

void MainWindow::cmdNEXT_Click() {
    Context& c = ctx_;
    if (c.ui.ListIndex() == -1) {
        const bool installMode = c.ui.Text(Ctl::cmdNEXT) == texts::kInstall1Run;
        c.svc.msg.Show(installMode ? texts::kSelectAddinFile : texts::kSelectAddin, texts::kAppTitle, kMbCritical);
        return;
    }
    if (!c.shownMode) return;
    switch (*c.shownMode) {
        case Mode::Install: Install(c); break;
        case Mode::ShowFolder: CopyPathToClipboard(c, c.ui.Text(Ctl::txtFOLDER)); break;
        default: SwitchOrRemove(c, *c.shownMode); break;
    }
}

}  // namespace qv
