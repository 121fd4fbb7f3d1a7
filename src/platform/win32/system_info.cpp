#include "platform/win32/platform.h"
#include "platform/win32/system_dlls.h"

#include <shlobj.h>
#include <knownfolders.h>

namespace qv::win32 {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// A folder path without its closing separator (a drive root keeps it).
std::wstring WithoutSeparator(std::wstring s) {
    while (s.size() > 3 && (s.back() == L'\\' || s.back() == L'/')) s.pop_back();
    return s;
}

std::wstring ModulePath() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::wstring();
        if (n < buf.size()) { buf.resize(n); return buf; }
        buf.resize(buf.size() * 2);  // truncated: grow and ask again
    }
}

// Calls a GetSystem*Directory-style function with a buffer of the size it asks for.
template <class F>
std::wstring SizedPath(F get) {
    UINT need = get(nullptr, 0);
    while (need != 0) {
        std::wstring buf(need, L'\0');
        UINT n = get(buf.data(), need);
        if (n == 0) break;
        if (n < need) { buf.resize(n); return buf; }
        need = n;  // it grew in between
    }
    return std::wstring();
}

}  // namespace

std::wstring ArgumentsOf(std::wstring_view line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i < line.size() && line[i] == L'"') {
        size_t close = line.find(L'"', i + 1);
        i = close == std::wstring_view::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !IsBlank(line[i])) ++i;  // the rest of the token, as the loader reads it
    while (i < line.size() && IsBlank(line[i])) ++i;
    return std::wstring(line.substr(i));
}

std::wstring Win32SystemInfo::CommandArguments() { return ArgumentsOf(GetCommandLineW()); }

std::wstring Win32SystemInfo::RuntimeLibraryFolder() {
    std::wstring wow = SizedPath([](wchar_t* b, UINT n) { return GetSystemWow64DirectoryW(b, n); });
    if (!wow.empty()) return WithoutSeparator(wow);
    return WithoutSeparator(SizedPath([](wchar_t* b, UINT n) { return GetSystemDirectoryW(b, n); }));
}

std::wstring Win32SystemInfo::ProgramFolder() {
    std::wstring path = ModulePath();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : WithoutSeparator(path.substr(0, slash + 1));
}

ProgramVersion FileVersionOf(const std::wstring& path) {
    ProgramVersion v;
    DWORD ignored = 0;
    DWORD size = system_dll::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return v;
    std::vector<BYTE> block(size);
    if (!system_dll::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return v;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!system_dll::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info ||
        len < sizeof(VS_FIXEDFILEINFO))
        return v;
    v.major = HIWORD(info->dwFileVersionMS);
    v.minor = LOWORD(info->dwFileVersionMS);
    v.revision = HIWORD(info->dwFileVersionLS);
    return v;
}

ProgramVersion Win32SystemInfo::Version() { return FileVersionOf(ModulePath()); }

std::wstring Win32SystemInfo::RoamingAppDataFolder() {
    // The known folder, not %APPDATA%: a script's environment may have been changed.
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path)) && path) folder = path;
    CoTaskMemFree(path);
    return WithoutSeparator(folder);
}

bool Win32SystemInfo::SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace qv::win32
