// PENDING STUBS: minimal stand-ins so this branch builds before the handlers, the Win32
// platform, the COM launcher, the details provider and start-up land. None of this is the
// product: every definition here is deleted at integration (with pending_stubs.h).
#include "window/win32/pending_stubs.h"

#include "platform/error.h"

namespace qv {

// The portable window handlers: they do nothing yet.
void MainWindow::Form_Load() {}
void MainWindow::optBTN_Click(int) {}
void MainWindow::lstADDIN_Click() {}
void MainWindow::cmdADDIN_Click() {}
void MainWindow::cmdFolder_Click() {}
void MainWindow::cmdMANUAL_Click() {}
void MainWindow::cmdNEXT_Click() {}
void MainWindow::cmdEND_Click() {}

#if !__has_include("startup/startup.h")
StartupOutcome Main(Services&, SharedState&) { return StartupOutcome::ShowWindow; }
#endif

}  // namespace qv

#if !__has_include("platform/win32/platform.h")
namespace qv::win32 {
namespace {
[[noreturn]] void NotYet() { throw Failure(L"pending", L"not in this branch yet", 0); }
}  // namespace
bool Win32Registry::KeyExists(const std::wstring&) { return false; }
std::vector<RegValue> Win32Registry::StringValues(const std::wstring&) { return {}; }
std::optional<std::wstring> Win32Registry::GetString(const std::wstring&, const std::wstring&) { return std::nullopt; }
void Win32Registry::SetString(const std::wstring&, const std::wstring&, const std::wstring&) { NotYet(); }
RegResult Win32Registry::DeleteValue(const std::wstring&, const std::wstring&) { return RegResult::Absent; }
bool Win32FileSystem::FileExists(const std::wstring&) { return false; }
bool Win32FileSystem::FolderExists(const std::wstring&) { return false; }
std::vector<std::wstring> Win32FileSystem::ListFiles(const std::wstring&, const std::wstring&) { return {}; }
void Win32FileSystem::CopyReplace(const std::wstring&, const std::wstring&) { NotYet(); }
void Win32FileSystem::Delete(const std::wstring&) { NotYet(); }
int Win32MessageBoxes::Show(const std::wstring& text, const std::wstring& title, int flags) {
    return MessageBoxW(owner_, text.c_str(), title.c_str(), static_cast<UINT>(flags));
}
void Win32Clipboard::SetText(const std::wstring&) { NotYet(); }
bool Win32Shell::OpenDocument(const std::wstring&) { return false; }
int Win32Drives::DriveType(const std::wstring&) { return 0; }
std::wstring Win32SystemInfo::CommandArguments() { return L""; }
std::wstring Win32SystemInfo::RuntimeLibraryFolder() { return L""; }
std::wstring Win32SystemInfo::ProgramFolder() { return L""; }
ProgramVersion Win32SystemInfo::Version() { return {1, 0, 0}; }
void Win32BusyCursor::Begin() {}
void Win32BusyCursor::End() {}
}  // namespace qv::win32
#endif

#if !__has_include("excel/com/com_excel.h")
namespace qv::excel::com {
std::unique_ptr<Launcher> MakeLauncher() {
    struct None : Launcher {
        std::unique_ptr<Application> Attach() override { return nullptr; }
        std::unique_ptr<Application> Create() override { throw ExcelError(L"Create", 0x80004001L, L"pending"); }
    };
    return std::make_unique<None>();
}
}  // namespace qv::excel::com
#endif

#if !__has_include("fileinfo/win32/details_provider.h")
namespace qv::win32 {
std::unique_ptr<DetailsProvider> MakeDetailsProvider() {
    struct None : DetailsProvider {
        std::unique_ptr<FileDetails> Open(const std::wstring&, const std::wstring&) override {
            throw Failure(L"pending", L"not in this branch yet", 0);
        }
    };
    return std::make_unique<None>();
}
}  // namespace qv::win32
#endif
