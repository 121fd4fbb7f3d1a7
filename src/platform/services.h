#pragma once
// The small interfaces through which the portable core reaches the world.
// Win32 implementations live in platform/win32; tests use in-memory fakes.
#include <optional>
#include <string>
#include <vector>

namespace qv {

// Registry under HKEY_CURRENT_USER. A missing key or value is a normal answer, not a failure.
enum class RegResult { Ok, Absent, Failed };

struct RegValue {
    std::wstring name;
    std::wstring data;  // REG_SZ text
};

class Registry {
public:
    virtual ~Registry() = default;
    // The REG_SZ values of `key` in the registry's own enumeration order; empty when the key is absent.
    virtual std::vector<RegValue> StringValues(const std::wstring& key) = 0;
    virtual std::optional<std::wstring> GetString(const std::wstring& key, const std::wstring& name) = 0;
    // Creates the key when needed. Throws Failure when the write fails.
    virtual void SetString(const std::wstring& key, const std::wstring& name, const std::wstring& data) = 0;
    // Only opens the key, never creates it.
    virtual RegResult DeleteValue(const std::wstring& key, const std::wstring& name) = 0;
};

// What an access probe found. Only a refusal for want of rights is Denied; anything else that
// goes wrong (a sharing violation while Excel holds the file, a missing file) is Other and
// leaves the step to meet it as it would have without the probe.
enum class Access { Granted, Denied, Other };

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True for an ordinary file: not a folder, not hidden, not system.
    virtual bool FileExists(const std::wstring& path) = 0;
    // True only when the path is known to hold no ordinary file: nothing there, or a folder,
    // hidden or system file. A drive or share that cannot be reached is not known to be
    // missing, so an add-in on a disconnected share is not taken for one whose file is gone.
    virtual bool FileMissing(const std::wstring& path) = 0;
    virtual bool FolderExists(const std::wstring& path) = 0;
    // Names (not paths) of the ordinary files in `folder` that match `pattern` (such as "*.xla"),
    // in the order the listing returns them.
    virtual std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) = 0;
    // Copies `src` over `dst` through a temporary file in the destination folder and one atomic
    // replace, so a failed copy leaves the old `dst` as it was. Throws Failure.
    virtual void CopyReplace(const std::wstring& src, const std::wstring& dst) = 0;
    // Throws Failure when the file cannot be deleted (missing, in use, no permission).
    virtual void Delete(const std::wstring& path) = 0;
    // Whether a new file can be made in `folder`: creates a uniquely named file there and
    // removes it again.
    virtual Access ProbeCreate(const std::wstring& folder) = 0;
    // Whether the file `path` can be deleted or replaced: opens it for delete access, sharing
    // everything, and closes it again.
    virtual Access ProbeDelete(const std::wstring& path) = 0;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // flags: 16 critical + OK, 64 information + OK, 292 Yes/No question with No as default,
    // 52 Yes/No warning, each optionally with kMbSetForeground.
    // Returns the button pressed (1 OK, 6 Yes, 7 No).
    virtual int Show(const std::wstring& text, const std::wstring& title, int flags) = 0;
};

inline constexpr int kMbCritical = 16;
inline constexpr int kMbInformation = 64;
inline constexpr int kMbYesNoQuestion = 292;
// Yes and No, warning icon, Yes as default.
inline constexpr int kMbYesNoWarning = 4 + 48;
// Brings the box to the front (MB_SETFOREGROUND). A box shown off the window's thread has no owner.
inline constexpr int kMbSetForeground = 0x10000;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Empties the clipboard and puts `text` on it as plain (Unicode) text. Returns false when
    // another program holds the clipboard open; throws Failure for any other failure.
    virtual bool SetText(const std::wstring& text) = 0;
    // The pause between two tries while another program holds the clipboard.
    virtual void Pause(int milliseconds) = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Hands a document to the application the desktop associates with it, maximized.
    // Returns false when that failed; nothing is shown.
    virtual bool OpenDocument(const std::wstring& path) = 0;
};

inline constexpr int kDriveFixed = 3;

class Drives {
public:
    virtual ~Drives() = default;
    // GetDriveType of a root path such as "C:\\".
    virtual int DriveType(const std::wstring& root) = 0;
};

class BusyCursor {
public:
    virtual ~BusyCursor() = default;
    virtual void Begin() = 0;
    virtual void End() = 0;
};

// Shows the busy cursor for the lifetime of the object.
class BusyScope {
public:
    explicit BusyScope(BusyCursor& c) : c_(c) { c_.Begin(); }
    ~BusyScope() { c_.End(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyCursor& c_;
};

struct ProgramVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // The argument text of the command line, without the program's own name.
    virtual std::wstring CommandArguments() = 0;
    // The folder where the 32-bit system libraries lie: the WOW64 system folder where
    // there is one, the system folder otherwise. No trailing separator.
    virtual std::wstring RuntimeLibraryFolder() = 0;
    // The folder of the program file, without a trailing separator.
    virtual std::wstring ProgramFolder() = 0;
    virtual ProgramVersion Version() = 0;
};

}  // namespace qv
