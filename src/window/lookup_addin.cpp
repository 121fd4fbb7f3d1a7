#include "startup/excel_start.h"
#include "window/lookup_addin.h"

namespace qv {

void LookupAddinByName(Context& c, const std::wstring& name) {
    c.st.strADDINPATH.clear();
    c.st.strADDINTITLE.clear();
    excel::Session excel(StartExcel(c.svc));
    for (auto& addin : excel::each(excel->AddIns())) {
        const ListedAddin a(*addin, c.svc.fs);
        if (!IsOldVersion(a, name)) continue;
        c.st.strADDINTITLE = a.Title();
        c.st.strADDINPATH = a.Path();
        break;
    }
    excel.Quit();
}

bool IsTitleUsedByOtherAddin(Context& c, const std::wstring& title) {
    bool used = false;
    const std::wstring selected = c.ui.ListText();
    excel::Session excel(StartExcel(c.svc));
    ListingScope listing(c.svc.fs);
    for (auto& addin : excel::each(excel->AddIns())) {
        if (TakesTitle(ListedAddin(*addin, c.svc.fs), title, selected)) {
            used = true;
            break;
        }
    }
    excel.Release();
    return used;
}

}  // namespace qv
