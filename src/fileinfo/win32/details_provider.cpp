#include "fileinfo/win32/details_provider.h"

#include "fileinfo/win32/shell_details.h"
#include "fileinfo/win32/storage_details.h"

namespace qv::win32 {

namespace {

class ShellFirstProvider : public DetailsProvider {
public:
    std::unique_ptr<FileDetails> Open(const std::wstring& folder, const std::wstring& fileName) override {
        if (auto shell = OpenShellDetails(folder, fileName)) return shell;
        return OpenStorageDetails(folder, fileName);
    }
};

}  // namespace

std::unique_ptr<DetailsProvider> MakeDetailsProvider() { return std::make_unique<ShellFirstProvider>(); }

}  // namespace qv::win32
