#include "operations/excel_start.h"
#include "console/addin_list.h"

#include "operations/operations.h"
#include "platform/paths.h"

namespace qv::console {

std::vector<ListedAddin> ReadAddinList(Services& svc, const excel::Facts& facts) {
    std::vector<ListedAddin> list;
    {
        excel::Session excel(StartExcel(svc));
        for (auto& addin : excel::each(excel->AddIns())) {
            ListedAddin a;
            a.title = addin->Title();
            a.name = addin->Name();
            a.fullName = addin->FullName();
            a.folder = addin->Path();
            a.installed = addin->Installed();
            list.push_back(std::move(a));
        }
        excel.Quit();
    }
    // The files are looked at once Excel has been let go.
    for (auto& a : list) {
        a.fileExists = svc.fs.FileExists(a.fullName);
        a.fileMissing = !a.fileExists && svc.fs.FileMissing(a.fullName);
        a.inDefaultFolder = IsDefaultFolder(facts, a.folder);
    }
    return list;
}

std::vector<ListedAddin> MatchName(const std::vector<ListedAddin>& list, const std::wstring& name) {
    const bool isPath = name.find(L'\\') != std::wstring::npos;
    std::vector<ListedAddin> found;
    for (const auto& a : list) {
        const bool byPath = isPath && paths::EqualNoCase(a.fullName, name);
        const bool byFile = paths::EqualNoCase(a.name, name);
        const bool byTitle = a.title == name;
        if (byPath || byFile || byTitle) found.push_back(a);
    }
    return found;
}

}  // namespace qv::console
