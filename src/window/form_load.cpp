#include <string>

#include "window/texts.h"
#include "window/wizard.h"

namespace qv {

namespace {

std::wstring VersionLabel(const ProgramVersion& v) {
    return texts::kVersionPrefix + std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." +
           std::to_wstring(v.revision);
}

}  // namespace

void MainWindow::Form_Load() {
    Context& c = ctx_;
    c.ui.SetCaption(texts::kAppTitle);

    // Every offered file, in entry order; a row carries its entry's number.
    for (long i = 1; i <= c.st.SelFileUpper(); ++i) {
        int row = c.ui.ListAdd(FileNamePart(c.st.strSELFILE[static_cast<size_t>(i)].Path));
        c.ui.ListSetItemData(row, i);
    }

    // The read-only folder field lies exactly over the folder choice; one of the two is shown per mode.
    c.ui.SetBounds(Ctl::txtFOLDER, c.ui.Bounds(Ctl::cbxFOLDER));
    c.ui.SetText(Ctl::txtFOLDER, L"");

    c.ui.SetText(Ctl::Text1, texts::kHelpText);
    c.ui.SetText(Ctl::lblVERSION, VersionLabel(c.svc.sys.Version()));
}

void MainWindow::cmdEND_Click() { ctx_.ui.Close(); }

}  // namespace qv
