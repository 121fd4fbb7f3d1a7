#pragma once
// Everything outside the core that the start-up and the operations reach. Both programs build
// it; the wizard's window adds its own extras (window/services.h).
#include "excel/excel.h"
#include "fileinfo/details.h"
#include "platform/services.h"

namespace qv {

struct Services {
    excel::Launcher& excel;
    FileSystem& fs;
    Registry& reg;
    Drives& drives;
    DetailsProvider& details;
    SystemInfo& sys;
    Accounts& accounts;
};

}  // namespace qv
