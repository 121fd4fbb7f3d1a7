#include "platform/error.h"
#include "platform/win32/platform.h"
#include "window/texts.h"

namespace qv::win32 {

namespace {

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

[[noreturn]] void Fail(const wchar_t* operation, DWORD code) {
    throw Failure(operation, SystemMessage(code), static_cast<long>(code));
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);  // a root
    return path.substr(0, slash);
}

// Removes the temporary copy, whatever attributes the copy gave it.
void Discard(const std::wstring& tmp) {
    SetFileAttributesW(tmp.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(tmp.c_str());
}

}  // namespace

bool Win32FileSystem::FileExists(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & kNotOrdinary) == 0;
}

bool Win32FileSystem::FileMissing(const std::wstring& path) {
    DWORD a = GetFileAttributesW(path.c_str());
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
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::wstring> Win32FileSystem::ListFiles(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    std::wstring query = folder;
    if (!query.empty() && query.back() != L'\\' && query.back() != L'/') query += L'\\';
    query += pattern;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(query.c_str(), &fd));
    if (!find) return names;  // no match, or no such folder
    do {
        if ((fd.dwFileAttributes & kNotOrdinary) == 0) names.emplace_back(fd.cFileName);
    } while (FindNextFileW(find.get(), &fd));
    return names;
}

void Win32FileSystem::CopyReplace(const std::wstring& src, const std::wstring& dst) {
    // A read-only destination is refused, as Windows' own replace refuses it; Wine's rename
    // would replace it silently.
    DWORD existing = GetFileAttributesW(dst.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
        Fail(texts::kOpCopy, ERROR_ACCESS_DENIED);
    // Copy beside the destination first, so the replace is one rename on the same volume and
    // a failure at any point leaves the old destination untouched.
    wchar_t tmp[MAX_PATH + 1];
    if (!GetTempFileNameW(FolderOf(dst).c_str(), L"qv", 0, tmp)) Fail(texts::kOpCopy, GetLastError());
    if (!CopyFileW(src.c_str(), tmp, FALSE)) {
        DWORD code = GetLastError();
        Discard(tmp);
        Fail(texts::kOpCopy, code);
    }
    if (!MoveFileExW(tmp, dst.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DWORD code = GetLastError();
        Discard(tmp);
        Fail(texts::kOpCopy, code);
    }
}

void Win32FileSystem::Delete(const std::wstring& path) {
    if (!DeleteFileW(path.c_str())) Fail(texts::kOpDelete, GetLastError());
}

}  // namespace qv::win32
