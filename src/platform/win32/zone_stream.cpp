#include "platform/win32/zone_stream.h"

#include "platform/error.h"
#include "platform/texts.h"
#include "platform/win32/long_path.h"
#include "platform/win32/platform.h"

namespace qv::win32 {

namespace {

// A mark is a few dozen bytes; a larger stream is read only this far.
constexpr DWORD kMostRead = 64 * 1024;

// No such file or stream, or a volume that keeps no streams (FAT): no mark.
bool IsNoStream(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME;
}

UniqueHandle OpenStream(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE h = CreateFileW(LongPath(ZoneStreamPath(path)).c_str(), access, share, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

[[noreturn]] void Fail(const wchar_t* operation, DWORD code) {
    throw Failure(operation, SystemMessage(code), static_cast<long>(code));
}

// Runs `change` on the file's stream; a read-only file is made writable for the moment, as
// NTFS refuses to change a stream of a read-only file.
template <class Change>
void OnStream(const std::wstring& path, const wchar_t* operation, Change change) {
    DWORD code = change();
    if (code == ERROR_ACCESS_DENIED) {
        const std::wstring p = LongPath(path);
        DWORD a = GetFileAttributesW(p.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) &&
            SetFileAttributesW(p.c_str(), a & ~FILE_ATTRIBUTE_READONLY)) {
            code = change();
            SetFileAttributesW(p.c_str(), a);
        }
    }
    if (code != 0) Fail(operation, code);
}

}  // namespace

ZoneStream Win32FileSystem::ReadZoneStream(const std::wstring& path) {
    UniqueHandle h = OpenStream(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                OPEN_EXISTING);
    if (!h) return ZoneStream{IsNoStream(GetLastError()) ? StreamState::Absent : StreamState::Unreadable, {}};
    ZoneStream z{StreamState::Present, {}};
    char buf[4096];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h.get(), buf, sizeof buf, &got, nullptr)) return ZoneStream{StreamState::Unreadable, {}};
        if (got == 0) break;
        z.text.append(buf, got);
        if (z.text.size() >= kMostRead) break;
    }
    return z;
}

void Win32FileSystem::WriteZoneStream(const std::wstring& path, const std::string& text) {
    OnStream(path, texts::kOpCopy, [&]() -> DWORD {
        UniqueHandle h = OpenStream(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
        if (!h) return GetLastError();
        DWORD put = 0;
        if (!WriteFile(h.get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr)) return GetLastError();
        return put == text.size() ? 0 : ERROR_WRITE_FAULT;
    });
}

void Win32FileSystem::DeleteZoneStream(const std::wstring& path) {
    OnStream(path, texts::kOpDelete, [&]() -> DWORD {
        if (DeleteFileW(LongPath(ZoneStreamPath(path)).c_str())) return 0;
        DWORD code = GetLastError();
        return IsNoStream(code) ? 0 : code;
    });
}

}  // namespace qv::win32
