#include "window/texts.h"
#include "window/wizard.h"

namespace qv {

// The manual is a convenience: a missing file, no PDF viewer or any other failure must
// neither report anything nor end the program.
void MainWindow::cmdMANUAL_Click() {
    Context& c = ctx_;
    try {
        c.svc.shell.OpenDocument(c.svc.sys.ProgramFolder() + texts::kManualFile);
    } catch (...) {
    }
}

}  // namespace qv
