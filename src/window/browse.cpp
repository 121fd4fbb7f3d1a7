#include "startup/excel_start.h"
#include "operations/operations.h"
#include "window/steps.h"
#include "window/texts.h"
#include "window/wizard.h"

namespace qv {

void MainWindow::cmdADDIN_Click() {
    Context& c = ctx_;
    BusyScope busy(c.svc.busy);
    excel::Session excel(StartExcel(c.svc));
    const auto chosen = excel->GetOpenFilenames(texts::kOpenFilter);
    // An empty answer chose nothing, like a cancel: the files on offer stay.
    if (chosen && !chosen->empty()) {
        c.st.strSELFILE.assign(1, SelFileRow{});
        c.ui.ListClear();
        long i = 0;
        for (const auto& path : *chosen) {
            ++i;
            c.st.strSELFILE.push_back(SelFileRow{path, false});
            const int row = c.ui.ListAdd(FileNamePart(path));
            c.ui.ListSetItemData(row, i);
        }
    }
    excel.Quit();
}

void MainWindow::cmdFolder_Click() {
    Context& c = ctx_;
    BusyScope busy(c.svc.busy);
    excel::Session excel(StartExcel(c.svc));
    const auto chosen = excel->GetSaveAsFilename(c.ui.ListText());
    if (chosen) {
        const std::wstring& path = *chosen;
        const auto p = path.rfind(L'\\');
        if (!CheckFolderDrive(c.svc.drives, path) && p != std::wstring::npos) {
            // The typed file name is dropped; "C:" alone is not the root.
            c.ui.SetText(Ctl::cbxFOLDER, paths::WithRootSeparator(path.substr(0, p)));
        } else {
            Notice refused{Reason::DriveRefused};
            refused.path = path;
            ShowNotice(c.svc.msg, refused);
        }
    }
    excel.Quit();
}

}  // namespace qv
