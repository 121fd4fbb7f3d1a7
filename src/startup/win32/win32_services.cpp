#include "startup/win32/win32_services.h"

#include <utility>

#include "fileinfo/win32/details_provider.h"

namespace qv::win32 {

Win32Services::Win32Services(excel::com::LauncherOptions options)
    : launcher_(excel::com::MakeLauncher(std::move(options))),
      details_(MakeDetailsProvider()),
      svc_{*launcher_, fs_, reg_, drives_, *details_, sys_, accounts_} {}

}  // namespace qv::win32
