#include "model/paths.h"

namespace qv::standin {

std::wstring FolderOf(const std::wstring& path) {
    auto p = path.rfind(L'\\');
    return p == std::wstring::npos ? std::wstring() : path.substr(0, p);
}

std::wstring FileNameOf(const std::wstring& path) {
    auto p = path.rfind(L'\\');
    return p == std::wstring::npos ? path : path.substr(p + 1);
}

std::wstring StemOf(const std::wstring& path) {
    std::wstring name = FileNameOf(path);
    auto dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring WithoutClosingSeparator(std::wstring folder) {
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring FoldCase(std::wstring s) {
    for (auto& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return FoldCase(a) == FoldCase(b); }

std::wstring DriveRoot(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2) + L"\\";
    if (path.rfind(L"\\\\", 0) == 0) {
        auto server = path.find(L'\\', 2);
        if (server == std::wstring::npos) return L"";
        auto share = path.find(L'\\', server + 1);
        return (share == std::wstring::npos ? path : path.substr(0, share)) + L"\\";
    }
    return L"";
}

std::wstring ServerCommand(const std::wstring& exe) {
    return exe.find(L' ') == std::wstring::npos ? exe : L"\"" + exe + L"\"";
}

}  // namespace qv::standin
