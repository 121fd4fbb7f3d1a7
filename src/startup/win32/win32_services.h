#pragma once
// The core bundle over the Win32 adapters, set up once for both programs. Each program brings
// its own answer to an Excel call that does not return.
#include <memory>

#include "excel/com/com_excel.h"
#include "platform/win32/platform.h"
#include "startup/services.h"

namespace qv::win32 {

class Win32Services {
public:
    explicit Win32Services(excel::com::LauncherOptions options);
    Win32Services(const Win32Services&) = delete;
    Win32Services& operator=(const Win32Services&) = delete;

    Services& Core() { return svc_; }
    // Excel writes its add-in list when its process ends: a program ends only after its own
    // instances, so that the next Excel, a person's or a script's, reads what was written.
    void AwaitExcel() { launcher_->WaitForInstancesToEnd(excel::kExcelExitWaitMs); }

private:
    Win32Registry reg_;
    Win32FileSystem fs_;
    Win32Drives drives_;
    Win32SystemInfo sys_;
    Win32Accounts accounts_;
    std::unique_ptr<excel::Launcher> launcher_;
    std::unique_ptr<DetailsProvider> details_;
    Services svc_;
};

}  // namespace qv::win32
