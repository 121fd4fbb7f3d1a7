#pragma once
// Win32 implementations of the core's platform interfaces. They translate; they do not decide.
#include <string>
#include <string_view>

#include "platform/services.h"
#include "platform/win32/handles.h"

namespace qv::win32 {

// Keys are paths under HKEY_CURRENT_USER; names are passed to the wide API as they stand.
class Win32Registry : public Registry {
public:
    std::vector<RegValue> StringValues(const std::wstring& key) override;
    std::optional<std::wstring> GetString(const std::wstring& key, const std::wstring& name) override;
    void SetString(const std::wstring& key, const std::wstring& name, const std::wstring& data) override;
    RegResult DeleteValue(const std::wstring& key, const std::wstring& name) override;
};

class Win32FileSystem : public FileSystem {
public:
    bool FileExists(const std::wstring& path) override;
    bool FileMissing(const std::wstring& path) override;
    bool FolderExists(const std::wstring& path) override;
    std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) override;
    void CopyReplace(const std::wstring& src, const std::wstring& dst) override;
    void Delete(const std::wstring& path) override;
    Access ProbeCreate(const std::wstring& folder) override;
    Access ProbeDelete(const std::wstring& path) override;
};

class Win32MessageBoxes : public MessageBoxes {
public:
    int Show(const std::wstring& text, const std::wstring& title, int flags) override;
    void SetOwner(HWND owner) { owner_ = owner; }

private:
    HWND owner_ = nullptr;
};

class Win32Clipboard : public Clipboard {
public:
    bool SetText(const std::wstring& text) override;
    void Pause(int milliseconds) override;
    void SetOwner(HWND owner) { owner_ = owner; }

private:
    HWND owner_ = nullptr;
};

class Win32Shell : public Shell {
public:
    bool OpenDocument(const std::wstring& path) override;
    void SetOwner(HWND owner) { owner_ = owner; }

private:
    HWND owner_ = nullptr;
};

class Win32Drives : public Drives {
public:
    int DriveType(const std::wstring& root) override;
};

class Win32SystemInfo : public SystemInfo {
public:
    std::wstring CommandArguments() override;
    std::wstring RuntimeLibraryFolder() override;
    std::wstring ProgramFolder() override;
    ProgramVersion Version() override;
};

// What follows the program name on a command line, as typed: the first token (quoted or
// not) and the blanks after it are skipped, the rest is kept untouched.
std::wstring ArgumentsOf(std::wstring_view commandLine);

// The first three numbers of a file's FILEVERSION; zeros when it has none.
ProgramVersion FileVersionOf(const std::wstring& path);

// The busy cursor for nested operations. A dialog asks Busy() in WM_SETCURSOR and, while it
// is true, keeps the wait cursor instead of letting the class cursor come back.
class Win32BusyCursor : public BusyCursor {
public:
    void Begin() override;
    void End() override;
    bool Busy() const { return depth_ > 0; }
    int Depth() const { return depth_; }

private:
    int depth_ = 0;
    HCURSOR previous_ = nullptr;
};

}  // namespace qv::win32
