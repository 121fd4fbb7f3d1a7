#include "startup/running_excel.h"

#include "startup/startup.h"

#include <string>

#include "startup/excel_start.h"

namespace qv {

void RefuseRunningExcel(StartupDialogue& ui, std::unique_ptr<excel::Application> running) {
    excel::Application& app = *running;
    const Notice n = DescribeRunningExcel(app, true);
    ui.Tell(n);
    // A hidden Excel with open workbooks may be another program's, with its alerts turned off:
    // Quit would close its unsaved books without asking. It is shown, and left to its owner.
    if (!(n.hidden && n.workbookCount > 0)) {
        try {
            app.Quit();
        } catch (...) {
            // The message is shown; a failing Quit changes nothing more.
        }
    }
    running.reset();
}

}  // namespace qv
