#pragma once
// PENDING STUBS: temporary declarations of pieces other branches provide (Win32 platform
// classes, the COM Excel launcher, the details provider, start-up). Included only where
// the real header is not in this branch yet. Delete with pending_stubs.cpp at integration.
#include <windows.h>

#include <memory>
#include <string>

#include "excel/excel.h"
#include "fileinfo/details.h"
#include "platform/services.h"
#include "window/state.h"
#include "window/wizard.h"

#if !__has_include("platform/win32/platform.h")
namespace qv::win32 {
class Win32Registry : public Registry {
public:
    bool KeyExists(const std::wstring&) override;
    std::vector<RegValue> StringValues(const std::wstring&) override;
    std::optional<std::wstring> GetString(const std::wstring&, const std::wstring&) override;
    void SetString(const std::wstring&, const std::wstring&, const std::wstring&) override;
    RegResult DeleteValue(const std::wstring&, const std::wstring&) override;
};
class Win32FileSystem : public FileSystem {
public:
    bool FileExists(const std::wstring&) override;
    bool FolderExists(const std::wstring&) override;
    std::vector<std::wstring> ListFiles(const std::wstring&, const std::wstring&) override;
    void CopyReplace(const std::wstring&, const std::wstring&) override;
    void Delete(const std::wstring&) override;
};
class Win32MessageBoxes : public MessageBoxes {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    int Show(const std::wstring&, const std::wstring&, int) override;
private:
    HWND owner_ = nullptr;
};
class Win32Clipboard : public Clipboard {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    void SetText(const std::wstring&) override;
private:
    HWND owner_ = nullptr;
};
class Win32Shell : public Shell {
public:
    void SetOwner(HWND owner) { owner_ = owner; }
    bool OpenDocument(const std::wstring&) override;
private:
    HWND owner_ = nullptr;
};
class Win32Drives : public Drives {
public:
    int DriveType(const std::wstring&) override;
};
class Win32SystemInfo : public SystemInfo {
public:
    std::wstring CommandArguments() override;
    std::wstring RuntimeLibraryFolder() override;
    std::wstring ProgramFolder() override;
    ProgramVersion Version() override;
};
class Win32BusyCursor : public BusyCursor {
public:
    void Begin() override;
    void End() override;
};
}  // namespace qv::win32
#endif

#if !__has_include("excel/com/com_excel.h")
namespace qv::excel::com {
std::unique_ptr<Launcher> MakeLauncher();
}
#endif

#if !__has_include("fileinfo/win32/details_provider.h")
namespace qv::win32 {
std::unique_ptr<DetailsProvider> MakeDetailsProvider();
}
#endif

#if !__has_include("startup/startup.h")
namespace qv {
enum class StartupOutcome { ShowWindow, Refused };
StartupOutcome Main(Services& svc, SharedState& st);
}  // namespace qv
#endif
