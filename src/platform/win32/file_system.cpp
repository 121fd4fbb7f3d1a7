#include <atomic>
#include <optional>

#include <windows.h>
#include <shellapi.h>

#include "platform/copy_replace.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/win32/long_path.h"
#include "platform/win32/platform.h"
#include "platform/win32/zone_stream.h"
#include "platform/texts.h"

namespace qv::win32 {

namespace {

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

[[noreturn]] void Fail(const wchar_t* operation, DWORD code) {
    throw Failure(operation, SystemMessage(code), static_cast<long>(code));
}

// Removes the temporary copy, whatever attributes the copy gave it, and any stream of its own.
void Discard(const std::wstring& tmp) {
    SetFileAttributesW(tmp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(tmp.c_str());
    DeleteFileW(ZoneStreamPath(tmp).c_str());
}

bool IsHold(DWORD code) { return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION; }

// An existing file without the read-only attribute. A rename over such a file, or its delete,
// that is refused meets a handle open on it (NTFS and Wine both answer "access denied" to a
// rename over an open file), which goes away like any other hold.
bool Writable(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

std::wstring Hex(unsigned long long v) {
    std::wstring r;
    do {
        r.insert(r.begin(), L"0123456789abcdef"[v & 0xF]);
        v >>= 4;
    } while (v);
    return r;
}

// "<folder>\<prefix><unique>.tmp". Built here rather than by GetTempFileNameW, which refuses
// folders longer than MAX_PATH - 14.
std::wstring UniqueNameIn(const std::wstring& folder, const wchar_t* prefix) {
    static std::atomic<unsigned> counter{0};
    std::wstring name = folder;
    if (!name.empty() && name.back() != L'\\' && name.back() != L'/') name += L'\\';
    name += prefix;
    name += Hex(GetCurrentProcessId()) + L"-" + Hex(GetTickCount64()) + L"-" + Hex(++counter) + L".tmp";
    return name;
}

// Only a want of rights means the folder or file needs an administrator.
Access AccessOf(DWORD code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_PRIVILEGE_NOT_HELD ? Access::Denied : Access::Other;
}

UniqueHandle Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    HANDLE h = CreateFileW(LongPath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

}  // namespace

bool Win32FileSystem::FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(LongPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & kNotOrdinary) == 0;
}

bool Win32FileSystem::FileMissing(const std::wstring& path) { return FileStateOf(path) == FileState::Missing; }

bool Win32FileSystem::IsReadOnly(const std::wstring& path) {
    DWORD a = GetFileAttributesW(LongPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0;
}

void SleepPauser::Pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

unsigned long Win32FileSystem::WhileHeld(const std::function<bool()>& call, const std::wstring& target) {
    DWORD code = 0;
    RetryWhileHeld(
        [&] {
            if (call()) {
                code = 0;
                return TryResult::Done;
            }
            code = GetLastError();
            return IsHold(code) || (code == ERROR_ACCESS_DENIED && !target.empty() && Writable(target))
                       ? TryResult::Held
                       : TryResult::Failed;
        },
        *pauser_, patience_);
    return code;
}

bool Win32FileSystem::FolderExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(LongPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::wstring> Win32FileSystem::ListFiles(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    std::wstring query = folder;
    if (!query.empty() && query.back() != L'\\' && query.back() != L'/') query += L'\\';
    query += pattern;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(LongPath(query).c_str(), &fd));
    if (!find) return names;  // no match, or no such folder
    do {
        if ((fd.dwFileAttributes & kNotOrdinary) == 0) names.emplace_back(fd.cFileName);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

// A volume that keeps no streams (FAT32, exFAT, some NAS and SMB servers) answers a stream
// name with one of these.
bool IsNoStreams(long code) {
    return code == ERROR_INVALID_NAME || code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_PARAMETER ||
           code == ERROR_INVALID_FUNCTION;
}

class Win32FileSystem::ReplaceSteps : public qv::ReplaceSteps {
public:
    explicit ReplaceSteps(Win32FileSystem& fs) : fs_(fs) {}

    std::wstring CopyBeside(const std::wstring& src, const std::wstring& dst) override {
        // A read-only destination is refused, as Windows' own replace refuses it; Wine's rename
        // would replace it silently.
        DWORD existing = GetFileAttributesW(LongPath(dst).c_str());
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
            Fail(texts::kOpCopy, ERROR_ACCESS_DENIED);
        // Beside the destination, so the replace is one rename on the same volume.
        const std::wstring from = LongPath(src);
        for (int attempt = 0;; ++attempt) {
            std::wstring tmp = LongPath(UniqueNameIn(paths::WithRootSeparator(paths::FolderPart(dst)), L"~qv"));
            DWORD code = fs_.WhileHeld([&] { return CopyFileW(from.c_str(), tmp.c_str(), TRUE) != FALSE; });
            if (code == 0) return tmp;
            const bool taken = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
            if (taken && attempt < 9) continue;
            if (!taken) Discard(tmp);  // a copy that broke off midway; a taken name is someone else's
            Fail(texts::kOpCopy, code);
        }
    }

    void MakePlain(const std::wstring& path) override {
        constexpr DWORD kNotPlain = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        DWORD a = GetFileAttributesW(path.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) Fail(texts::kOpCopy, GetLastError());
        if ((a & kNotPlain) == 0) return;
        // No attribute left at all is written as NORMAL.
        DWORD plain = a & ~kNotPlain;
        if (!SetFileAttributesW(path.c_str(), plain ? plain : FILE_ATTRIBUTE_NORMAL)) Fail(texts::kOpCopy, GetLastError());
    }

    ZoneStream ReadMark(const std::wstring& path) override { return fs_.ReadZoneStream(path); }

    StreamWrite WriteMark(const std::wstring& path, const std::string& text) override {
        return Stream(path, [&] { fs_.WriteZoneStream(path, text); });
    }
    StreamWrite RemoveMark(const std::wstring& path) override {
        return Stream(path, [&] { fs_.DeleteZoneStream(path); });
    }

    void RenameOver(const std::wstring& temporary, const std::wstring& dst) override {
        const std::wstring to = LongPath(dst);
        DWORD code = fs_.WhileHeld(
            [&] {
                return MoveFileExW(temporary.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
                       FALSE;
            },
            to);
        if (code != 0) Fail(texts::kOpCopy, code);
        // Wine keeps a stream as a file beside the named one, which the rename left behind.
        DeleteFileW(ZoneStreamPath(temporary).c_str());
    }

    void Discard(const std::wstring& temporary) override { qv::win32::Discard(temporary); }

private:
    // One stream step, tried again while another program holds the file.
    template <class Step>
    StreamWrite Stream(const std::wstring& path, Step step) {
        std::optional<Failure> failure;
        fs_.WhileHeld(
            [&] {
                try {
                    step();
                    failure.reset();
                    return true;
                } catch (const Failure& f) {
                    failure = f;
                    SetLastError(static_cast<DWORD>(f.Code()));
                    return false;
                }
            },
            path);
        if (!failure) return StreamWrite::Done;
        if (IsNoStreams(failure->Code())) return StreamWrite::NoStreams;
        throw Failure(texts::kOpCopy, failure->Detail(), failure->Code());
    }

    Win32FileSystem& fs_;
};

MarkWarning Win32FileSystem::CopyReplace(const std::wstring& src, const std::wstring& dst, ZoneMark mark) {
    ReplaceSteps steps(*this);
    return CopyReplaceInOrder(steps, src, dst, mark);
}

void Win32FileSystem::Delete(const std::wstring& path) {
    const std::wstring p = LongPath(path);
    DWORD code = WhileHeld([&] { return DeleteFileW(p.c_str()) != FALSE; }, p);
    if (code != 0) Fail(texts::kOpDelete, code);
    // On NTFS the stream went with the file; under Wine it is a file beside it.
    DeleteFileW(ZoneStreamPath(p).c_str());
}

void Win32FileSystem::Recycle(const std::wstring& path) {
    // The shell's operation takes a list ended by an empty name, and no "\\?\" prefix.
    std::wstring list = path;
    list.push_back(L'\0');
    DWORD code = WhileHeld(
        [&] {
            SHFILEOPSTRUCTW op{};
            op.wFunc = FO_DELETE;
            op.pFrom = list.c_str();
            op.fFlags = FOF_ALLOWUNDO | FOF_NO_UI;
            const int result = SHFileOperationW(&op);
            if (result == 0 && !op.fAnyOperationsAborted) return true;
            SetLastError(result != 0 ? static_cast<DWORD>(result) : ERROR_CANCELLED);
            return false;
        },
        path);
    if (code != 0) Fail(texts::kOpDelete, code);
    // On NTFS the stream went into the Recycle Bin with the file; under Wine it is a file beside it.
    DeleteFileW(LongPath(ZoneStreamPath(path)).c_str());
}

void Win32FileSystem::CreateFolders(const std::wstring& path) {
    const std::wstring full = paths::WithoutClosingSeparator(path);
    if (full.empty() || FolderExists(paths::WithRootSeparator(full))) return;
    const size_t root = paths::DriveRoot(full).size();
    for (size_t i = root; i <= full.size(); ++i) {
        if (i < full.size() && full[i] != L'\\' && full[i] != L'/') continue;
        const std::wstring part = full.substr(0, i);
        if (part.size() <= root || part.back() == L'\\' || FolderExists(part)) continue;
        if (CreateDirectoryW(LongPath(part).c_str(), nullptr)) continue;
        DWORD code = GetLastError();
        if (code == ERROR_ALREADY_EXISTS && FolderExists(part)) continue;  // made meanwhile by another
        Fail(texts::kOpCreateFolder, code);
    }
    // A share or drive root that is not there has nothing to create below it.
    if (!FolderExists(paths::WithRootSeparator(full))) Fail(texts::kOpCreateFolder, ERROR_PATH_NOT_FOUND);
}

Access Win32FileSystem::ProbeCreate(const std::wstring& folder) {
    const std::wstring probe = UniqueNameIn(folder, L"~qv-probe-");
    // Deleted when closed, so nothing is left behind even if the program ends right here.
    UniqueHandle h = Open(probe, GENERIC_WRITE | DELETE, 0, CREATE_NEW,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE);
    if (!h) return AccessOf(GetLastError());
    h.reset();
    DeleteFileW(LongPath(probe).c_str());
    return Access::Granted;
}

Access Win32FileSystem::ProbeDelete(const std::wstring& path) {
    UniqueHandle h = Open(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL);
    return h ? Access::Granted : AccessOf(GetLastError());
}

}  // namespace qv::win32
