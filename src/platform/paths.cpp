#include "platform/paths.h"

namespace qv::paths {

namespace {

bool IsDriveLetter(wchar_t ch) { return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z'); }

}  // namespace

std::wstring FileNamePart(const std::wstring& path) {
    auto p = path.rfind(L'\\');
    return p == std::wstring::npos ? path : path.substr(p + 1);
}

std::wstring FolderPart(const std::wstring& path) {
    auto p = path.rfind(L'\\');
    return p == std::wstring::npos ? std::wstring() : path.substr(0, p);
}

std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

bool IsNetworkPath(const std::wstring& path) { return path.rfind(L"\\\\", 0) == 0; }

bool IsBareDrive(const std::wstring& folder) {
    return folder.size() == 2 && IsDriveLetter(folder[0]) && folder[1] == L':';
}

std::wstring WithRootSeparator(const std::wstring& folder) {
    return IsBareDrive(folder) ? folder + L'\\' : folder;
}

bool IsFullFolderPath(const std::wstring& folder) {
    if (folder.size() >= 3 && IsDriveLetter(folder[0]) && folder[1] == L':' && folder[2] == L'\\')
        return true;
    if (!IsNetworkPath(folder)) return false;
    // \\server\share: both parts present.
    auto serverEnd = folder.find(L'\\', 2);
    if (serverEnd == std::wstring::npos || serverEnd == 2) return false;
    auto shareEnd = folder.find(L'\\', serverEnd + 1);
    auto shareLen = (shareEnd == std::wstring::npos ? folder.size() : shareEnd) - (serverEnd + 1);
    return shareLen > 0;
}

std::wstring StemPart(const std::wstring& path) {
    std::wstring name = FileNamePart(path);
    auto dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring ExtensionPart(const std::wstring& path) {
    std::wstring name = FileNamePart(path);
    auto dot = name.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

std::wstring WithoutClosingSeparator(std::wstring folder) {
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring DriveRoot(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2) + L"\\";
    if (IsNetworkPath(path)) {
        auto server = path.find(L'\\', 2);
        if (server == std::wstring::npos) return L"";
        auto share = path.find(L'\\', server + 1);
        return (share == std::wstring::npos ? path : path.substr(0, share)) + L"\\";
    }
    return L"";
}

std::wstring FoldCase(std::wstring text) {
    for (auto& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b) { return FoldCase(a) == FoldCase(b); }

}  // namespace qv::paths
