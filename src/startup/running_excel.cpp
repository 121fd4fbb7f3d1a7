#include "startup/running_excel.h"

#include "startup/startup.h"

#include <string>

#include "platform/texts.h"
#include "startup/excel_start.h"

namespace qv {

void RefuseRunningExcel(Services& svc, std::unique_ptr<excel::Application> running) {
    excel::Application& app = *running;
    svc.msg.Show(DescribeRunningExcel(app, true), texts::kAppTitle, kMbCritical);
    try {
        app.Quit();
    } catch (...) {
        // The message is shown; a failing Quit changes nothing more.
    }
    running.reset();
}

}  // namespace qv
