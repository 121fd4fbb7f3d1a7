#pragma once
// What the start-up learns of the installed Excel, and every operation after it relies on.
#include <string>

namespace qv::excel {

struct Facts {
    int version = 0;             // major version: 8 is Excel 97
    std::wstring userFolder;     // the user add-in folder without its closing "\"; empty for Excel 97
    std::wstring libraryFolder;  // the library add-in folder, as Excel reports it
};

}  // namespace qv::excel
