#pragma once
// Everything outside the core that an operation, the start-up or a front end may reach.
#include "excel/excel.h"
#include "fileinfo/details.h"
#include "platform/services.h"

namespace qv {

struct Services {
    excel::Launcher& excel;
    FileSystem& fs;
    Registry& reg;
    MessageBoxes& msg;
    Clipboard& clip;
    Shell& shell;
    Drives& drives;
    DetailsProvider& details;
    SystemInfo& sys;
    BusyCursor& busy;
};

}  // namespace qv
