#include <atomic>

#include "platform/error.h"
#include "platform/paths.h"
#include "platform/win32/long_path.h"
#include "platform/win32/platform.h"
#include "platform/texts.h"

namespace qv::win32 {

namespace {

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

[[noreturn]] void Fail(const wchar_t* operation, DWORD code) {
    throw Failure(operation, SystemMessage(code), static_cast<long>(code));
}

// Removes the temporary copy, whatever attributes the copy gave it.
void Discard(const std::wstring& tmp) {
    SetFileAttributesW(tmp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(tmp.c_str());
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

bool Win32FileSystem::FileMissing(const std::wstring& path) {
    DWORD a = GetFileAttributesW(LongPath(path).c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return (a & kNotOrdinary) != 0;
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return true;
        default:  // not ready, network path or share unreachable, access denied...
            return false;
    }
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

void Win32FileSystem::CopyReplace(const std::wstring& src, const std::wstring& dst) {
    const std::wstring to = LongPath(dst);
    // A read-only destination is refused, as Windows' own replace refuses it; Wine's rename
    // would replace it silently.
    DWORD existing = GetFileAttributesW(to.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
        Fail(texts::kOpCopy, ERROR_ACCESS_DENIED);
    // Copy beside the destination first, so the replace is one rename on the same volume and
    // a failure at any point leaves the old destination untouched.
    const std::wstring from = LongPath(src);
    std::wstring tmp;
    for (int attempt = 0;; ++attempt) {
        tmp = LongPath(UniqueNameIn(paths::WithRootSeparator(paths::FolderPart(dst)), L"~qv"));
        if (CopyFileW(from.c_str(), tmp.c_str(), TRUE)) break;
        DWORD code = GetLastError();
        const bool taken = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
        if (taken && attempt < 9) continue;
        if (!taken) Discard(tmp);  // a copy that broke off midway; a taken name is someone else's
        Fail(texts::kOpCopy, code);
    }
    if (!MoveFileExW(tmp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD code = GetLastError();
        Discard(tmp);
        Fail(texts::kOpCopy, code);
    }
}

void Win32FileSystem::Delete(const std::wstring& path) {
    if (!DeleteFileW(LongPath(path).c_str())) Fail(texts::kOpDelete, GetLastError());
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
