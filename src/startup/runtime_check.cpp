#include "startup/startup.h"
#include "startup/texts.h"

namespace qv {

// The VB runtime is a 32-bit library: on 64-bit Windows it lies in the WOW64 system folder,
// which RuntimeLibraryFolder already chooses. The folder path is used whole, however long.
std::wstring FindRuntimeLibrary(Services& svc) {
    const std::wstring fileName = texts::kRuntimeFileName;  // "\MSVBVM60.DLL"
    const std::wstring folder = svc.sys.RuntimeLibraryFolder();
    if (folder.empty()) return L"";
    if (!svc.fs.FileExists(folder + fileName)) return L"";
    return fileName.substr(1);
}

}  // namespace qv
