#include "platform/win32/long_path.h"

#include <windows.h>

namespace qv::win32 {

namespace {

// CreateDirectory's limit, the shortest of the file functions: below it every call works as is.
constexpr size_t kShortEnough = MAX_PATH - 12;

bool IsFullPath(const std::wstring& p) {
    const bool drive = p.size() >= 3 && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/');
    const bool share = p.size() >= 3 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'?' && p[2] != L'.';
    return drive || share;
}

// The prefixed form switches off the system's own clean-up of "/", "." and "..", so do it first.
std::wstring Normalized(const std::wstring& p) {
    DWORD n = GetFullPathNameW(p.c_str(), 0, nullptr, nullptr);
    if (n == 0) return p;
    std::wstring full(n, L'\0');
    n = GetFullPathNameW(p.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size()) return p;
    full.resize(n);
    return full;
}

}  // namespace

std::wstring LongPath(const std::wstring& path) {
    if (path.size() < kShortEnough || !IsFullPath(path)) return path;
    std::wstring full = Normalized(path);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

}  // namespace qv::win32
