#include "fileinfo/win32/details_provider.h"

#include "fileinfo/summary_first.h"
#include "fileinfo/win32/shell_details.h"
#include "fileinfo/win32/storage_details.h"

namespace qv::win32 {

std::unique_ptr<DetailsProvider> MakeDetailsProvider() {
    return std::make_unique<SummaryFirstProvider>(&ReadStorageSummary, &OpenShellDetails);
}

}  // namespace qv::win32
