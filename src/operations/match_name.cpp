#include "operations/addin_rules.h"
#include "platform/paths.h"

namespace qv {

std::vector<ListedAddin> MatchName(const std::vector<ListedAddin>& list, const std::wstring& name) {
    const bool isPath = name.find(L'\\') != std::wstring::npos;
    std::vector<ListedAddin> found;
    for (const auto& a : list) {
        const bool byPath = isPath && paths::EqualNoCase(a.FullName(), name);
        const bool byFile = paths::EqualNoCase(a.Name(), name);
        const bool byTitle = a.Title() == name;
        if (byPath || byFile || byTitle) found.push_back(a);
    }
    return found;
}

}  // namespace qv
