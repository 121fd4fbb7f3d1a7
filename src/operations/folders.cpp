// Path rules shared by the install and the removal steps. Comparisons are exact.
#include "operations/operations.h"

namespace qv {

std::wstring JoinFolder(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

std::wstring FolderPart(const std::wstring& path) {
    auto p = path.rfind(L'\\');
    return p == std::wstring::npos ? std::wstring() : path.substr(0, p);
}

bool IsDefaultFolder(const SharedState& st, const std::wstring& folder) {
    for (const auto& d : st.strADDINFOLDER)
        if (!d.empty() && d == folder) return true;
    return false;
}

}  // namespace qv
