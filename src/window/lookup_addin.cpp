#include "operations/excel_start.h"
#include "window/lookup_addin.h"

namespace qv {

void LookupAddinByName(Context& c, const std::wstring& name) {
    c.st.strADDINPATH.clear();
    c.st.strADDINTITLE.clear();
    excel::Session excel(StartExcel(c.svc));
    for (auto& addin : excel::each(excel->AddIns())) {
        // A listed add-in whose file has gone cannot be upgraded in place; a later entry
        // with the same name may still have its file.
        if (addin->Name() != name || !c.svc.fs.FileExists(addin->FullName())) continue;
        c.st.strADDINTITLE = addin->Title();
        c.st.strADDINPATH = addin->Path();
        break;
    }
    excel.Quit();
}

bool IsTitleUsedByOtherAddin(Context& c, const std::wstring& title) {
    bool used = false;
    const std::wstring selected = c.ui.ListText();
    excel::Session excel(StartExcel(c.svc));
    for (auto& addin : excel::each(excel->AddIns())) {
        // The same title under the same file name is the older version of this file.
        if (addin->Title() == title && addin->Name() != selected) {
            used = true;
            break;
        }
    }
    excel.Release();
    return used;
}

}  // namespace qv
