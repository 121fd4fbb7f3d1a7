#include "startup/running_excel.h"

#include "startup/startup.h"

#include <string>

#include "startup/excel_start.h"

namespace qv {

void RefuseRunningExcel(StartupDialogue& ui, std::unique_ptr<excel::Application> running) {
    excel::Application& app = *running;
    ui.Tell(DescribeRunningExcel(app, true));
    try {
        app.Quit();
    } catch (...) {
        // The message is shown; a failing Quit changes nothing more.
    }
    running.reset();
}

}  // namespace qv
