#pragma once
// md_tarnwick's shared state: written by the start-up, then shared by the window's handlers.
#include <string>
#include <vector>

namespace qv {

struct SelFileRow {
    std::wstring Path;
    bool Done = false;
};

struct AddinRow {
    std::wstring FullName;
    std::wstring Title;
};

// md_tarnwick's variables. Both arrays keep slot 0 empty; entries are numbered from 1.
struct SharedState {
    std::wstring strCOMMAND;
    std::vector<SelFileRow> strSELFILE{SelFileRow{}};
    std::vector<AddinRow> udtADDINROW{AddinRow{}};
    int intEXCELVER = 0;
    std::wstring strADDINFOLDER[2];
    std::wstring strADDINPATH;
    std::wstring strADDINFILE;
    std::wstring strADDINTITLE;
    // fm_tarnwick's own: the source of the copy in mode 0.
    std::wstring strSRCFILE;

    long SelFileUpper() const { return static_cast<long>(strSELFILE.size()) - 1; }
};

}  // namespace qv
