#pragma once
// Win32 implementations of the core's platform interfaces. They translate; they do not decide.
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/hold_retry.h"
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
    std::optional<std::vector<std::uint8_t>> GetBinary(const std::wstring& key, const std::wstring& name) override;
    std::optional<std::uint32_t> GetDword(const std::wstring& key, const std::wstring& name) override;
    std::optional<std::wstring> GetExpandedString(const std::wstring& key, const std::wstring& name) override;
    std::vector<RegBinary> BinaryValues(const std::wstring& key) override;
    std::vector<std::wstring> SubkeyNames(const std::wstring& key) override;
    std::optional<std::wstring> GetMachineString(MachineRoot root, const std::wstring& key, const std::wstring& name,
                                                 RegView view) override;
};

// Sleep, for the pauses between tries.
class SleepPauser : public Pauser {
public:
    void Pause(int milliseconds) override;
};

class Win32FileSystem : public FileSystem {
public:
    Win32FileSystem() = default;
    // `pauser` must outlive the file system; tests pass a short patience.
    Win32FileSystem(Pauser& pauser, HoldPatience patience) : pauser_(&pauser), patience_(patience) {}

    bool FileExists(const std::wstring& path) override;
    bool FileMissing(const std::wstring& path) override;
    FileState FileStateOf(const std::wstring& path) override;
    void BeginListing() override;
    void EndListing() override;
    bool IsReadOnly(const std::wstring& path) override;
    bool FolderExists(const std::wstring& path) override;
    std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) override;
    MarkWarning CopyReplace(const std::wstring& src, const std::wstring& dst, ZoneMark mark) override;
    void Delete(const std::wstring& path) override;
    void Recycle(const std::wstring& path) override;
    void CreateFolders(const std::wstring& path) override;
    ZoneStream ReadZoneStream(const std::wstring& path) override;
    void WriteZoneStream(const std::wstring& path, const std::string& text) override;
    void DeleteZoneStream(const std::wstring& path) override;
    Access ProbeCreate(const std::wstring& folder) override;
    Access ProbeDelete(const std::wstring& path) override;

private:
    class ReplaceSteps;  // CopyReplace's single steps, for the order every file system shares
    friend class ReplaceSteps;

    // Whether the drive or share root answers; kept per root while a listing runs.
    bool RootAnswers(const std::wstring& root);
    std::optional<bool> KnownRoot(const std::wstring& root);
    // Runs one file call, retried while another program holds the file. Returns 0 or the error.
    // With a `target`, access denied on that file counts as a hold while it is not read-only.
    unsigned long WhileHeld(const std::function<bool()>& call, const std::wstring& target = std::wstring());

    SleepPauser sleeper_;
    Pauser* pauser_ = &sleeper_;
    HoldPatience patience_;
    std::mutex roots_mutex_;
    int listings_ = 0;
    std::map<std::wstring, bool> roots_;  // case-folded root -> answers
};

// The user of the program's token and the user at the desktop: the owner of the shell
// window's process, or else the session's user.
class Win32Accounts : public Accounts {
public:
    AccountFacts Facts() override;
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
    std::wstring RoamingAppDataFolder() override;
    bool SamePath(const std::wstring& a, const std::wstring& b) override;
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
