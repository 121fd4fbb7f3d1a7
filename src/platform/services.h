#pragma once
// The small interfaces through which the portable core reaches the world.
// Win32 implementations live in platform/win32; tests use in-memory fakes.
#include <cstdint>
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

struct RegBinary {
    std::wstring name;
    std::vector<std::uint8_t> data;  // REG_BINARY bytes as stored
};

// The machine-wide hives, read only. Keys under HKCR are those the system merges from
// HKLM\Software\Classes and the user's classes.
enum class MachineRoot { LocalMachine, ClassesRoot };
// Which registry view a 64-bit system shows: the program's own, or the 32-bit or 64-bit one
// explicitly (KEY_WOW64_32KEY, KEY_WOW64_64KEY).
enum class RegView { Own, Bits32, Bits64 };

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

    // Typed reads: nullopt when the key or value is absent or holds another type.
    virtual std::optional<std::vector<std::uint8_t>> GetBinary(const std::wstring& key, const std::wstring& name) = 0;
    virtual std::optional<std::uint32_t> GetDword(const std::wstring& key, const std::wstring& name) = 0;
    // REG_SZ text as stored, REG_EXPAND_SZ text with its environment variables expanded.
    virtual std::optional<std::wstring> GetExpandedString(const std::wstring& key, const std::wstring& name) = 0;
    // The REG_BINARY values of `key` in enumeration order; empty when the key is absent.
    virtual std::vector<RegBinary> BinaryValues(const std::wstring& key) = 0;
    // The names of the subkeys of `key` in enumeration order; empty when the key is absent.
    virtual std::vector<std::wstring> SubkeyNames(const std::wstring& key) = 0;
    // A text value under HKLM or HKCR in the given view, read as GetExpandedString reads it.
    // An empty `name` reads the key's default value.
    virtual std::optional<std::wstring> GetMachineString(MachineRoot root, const std::wstring& key,
                                                         const std::wstring& name, RegView view) = 0;
};

// What an access probe found. Only a refusal for want of rights is Denied; anything else that
// goes wrong (a sharing violation while Excel holds the file, a missing file) is Other and
// leaves the step to meet it as it would have without the probe.
enum class Access { Granted, Denied, Other };

// What a file check found. Unreachable: the file's drive or share did not answer (a mapped
// drive not yet connected, a server that is down), so nothing is known about the file.
enum class FileState { Present, Missing, Unreachable };

// A file's Zone.Identifier stream (its Mark of the Web), as read.
enum class StreamState { Present, Absent, Unreadable };
struct ZoneStream {
    StreamState state = StreamState::Absent;
    std::string text;  // the stream's bytes when Present
};

// What the copy made by CopyReplace carries as its Zone.Identifier stream.
enum class ZoneMark {
    KeepSource,  // exactly the source's stream, or none when the source has none
    None,        // no stream: the mark is removed from the copy (never from the source)
};

// What became of the mark asked for, once the new file is in place.
enum class MarkWarning {
    None,        // the destination carries the mark asked for
    NotSet,      // the source's mark was to be kept, and could not be written
    NotRemoved,  // the mark was to go, and could not be taken away
    NotKept,     // the source's mark was to be kept, on a volume that keeps no streams
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True for an ordinary file: not a folder, not hidden, not system.
    virtual bool FileExists(const std::wstring& path) = 0;
    // True only when the path is known to hold no ordinary file: nothing there, or a folder,
    // hidden or system file. A drive or share that cannot be reached is not known to be
    // missing, so an add-in on a disconnected share is not taken for one whose file is gone.
    // The same as FileStateOf(path) == FileState::Missing.
    virtual bool FileMissing(const std::wstring& path) = 0;
    // Present for an ordinary file; Missing when the file's volume answers and holds no
    // ordinary file there; Unreachable when the volume (a drive letter without a root, a share
    // whose root cannot be listed) does not answer, or the file cannot be asked about.
    virtual FileState FileStateOf(const std::wstring& path) = 0;
    // Between BeginListing and EndListing (see ListingScope) each drive or share root is asked
    // at most once, and a root found unreachable is not asked again: a server's timeout is long.
    // Outside a listing every check asks afresh. Listings nest.
    virtual void BeginListing() = 0;
    virtual void EndListing() = 0;
    // Whether the file carries the read-only attribute; false when it cannot be read.
    virtual bool IsReadOnly(const std::wstring& path) = 0;
    virtual bool FolderExists(const std::wstring& path) = 0;
    // Names (not paths) of the ordinary files in `folder` that match `pattern` (such as "*.xla"),
    // in the order the listing returns them.
    virtual std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) = 0;
    // Copies `src` over `dst` through a temporary file in the destination folder and one atomic
    // replace, so a failed copy leaves the old `dst` as it was. The copy is made a plain file
    // (no read-only, hidden or system attribute) and given its Zone.Identifier stream as `mark`
    // says before the rename; afterwards `dst`'s stream is read and set right, the same on NTFS
    // (which moves streams with a file) and under Wine (which does not). A source stream that
    // cannot be read leaves the copy's stream as the system's copy made it. `src` is never
    // changed. Throws Failure with `dst` unchanged; once the new file is in place a mark that
    // could not be made right comes back as a warning instead.
    // Another program's hold (a sharing or lock violation, or a refused rename over or delete
    // of a file that is not read-only) is retried for up to 5 s; a read-only `dst` fails at once.
    virtual MarkWarning CopyReplace(const std::wstring& src, const std::wstring& dst, ZoneMark mark) = 0;
    // Deletes the file and its Zone.Identifier stream, waiting out a hold as CopyReplace does.
    // Throws Failure when the file cannot be deleted (missing, in use, no permission).
    virtual void Delete(const std::wstring& path) = 0;
    // Moves the file to its volume's Recycle Bin, asking nothing, and waiting out a hold as
    // Delete does. The caller makes sure the volume has a Recycle Bin: without one the system
    // deletes the file for good without a word. Throws Failure as Delete does.
    virtual void Recycle(const std::wstring& path) = 0;
    // Creates the folder and every missing parent; nothing happens when it exists. Throws Failure.
    virtual void CreateFolders(const std::wstring& path) = 0;
    // The file's Zone.Identifier stream (`path` + ":Zone.Identifier").
    virtual ZoneStream ReadZoneStream(const std::wstring& path) = 0;
    // Both throw Failure. Deleting a stream that is not there is no failure.
    virtual void WriteZoneStream(const std::wstring& path, const std::string& text) = 0;
    virtual void DeleteZoneStream(const std::wstring& path) = 0;
    // Whether a new file can be made in `folder`: creates a uniquely named file there and
    // removes it again.
    virtual Access ProbeCreate(const std::wstring& folder) = 0;
    // Whether the file `path` can be deleted or replaced: opens it for delete access, sharing
    // everything, and closes it again.
    virtual Access ProbeDelete(const std::wstring& path) = 0;
};

// Keeps the file system's per-root answers for the lifetime of the object: one listing.
class ListingScope {
public:
    explicit ListingScope(FileSystem& fs) : fs_(fs) { fs_.BeginListing(); }
    ~ListingScope() { fs_.EndListing(); }
    ListingScope(const ListingScope&) = delete;
    ListingScope& operator=(const ListingScope&) = delete;

private:
    FileSystem& fs_;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // flags: 16 critical + OK, 64 information + OK, 292 Yes/No question with No as default,
    // 52 Yes/No warning, each optionally with kMbSetForeground and kMbTopmost.
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
// Keeps the box above other windows (MB_TOPMOST): an Excel window just brought to the front would
// otherwise cover it.
inline constexpr int kMbTopmost = 0x40000;
// Yes, No and Cancel, warning icon, No as default (3 + 48 + 256).
inline constexpr int kMbYesNoCancelWarningNo = 3 + 48 + 256;
inline constexpr int kIdCancel = 2;
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
    // The user's roaming application data folder (%APPDATA%), without a trailing separator;
    // empty when it cannot be found.
    virtual std::wstring RoamingAppDataFolder() = 0;
    // Whether two paths name the same file as the file system compares names: ordinal, letter
    // case ignored in every script (CompareStringOrdinal with bIgnoreCase TRUE), so that
    // "Ｔｏｏｌｓ" and "ｔｏｏｌｓ" or "É" and "é" match as they do for Excel.
    virtual bool SamePath(const std::wstring& a, const std::wstring& b) = 0;
};

// Who the program runs as, beside who sits at the desktop.
struct AccountFacts {
    std::wstring own;                         // DOMAIN\user of the program's own token
    // DOMAIN\user of the desktop shell's process, or else of the session (then perhaps without
    // the domain); nullopt when neither is found, as for a service or a desktop without a shell.
    std::optional<std::wstring> desktopUser;
    // The accounts' SIDs as text ("S-1-5-21-…"): the program's own token's (empty when it could
    // not be read), and the desktop user's, from the shell's token or else looked up from the
    // session's user name (nullopt when neither gave one).
    std::wstring ownSid;
    std::optional<std::wstring> desktopSid;
    bool ownIsLocalSystem = false;
};

class Accounts {
public:
    virtual ~Accounts() = default;
    virtual AccountFacts Facts() = 0;
};

}  // namespace qv
