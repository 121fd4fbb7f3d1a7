#pragma once
// Excel's add-in list as quorvelc reads it, and how a NAME picks from it.
#include <string>
#include <vector>

#include "excel/facts.h"
#include "operations/services.h"

namespace qv::console {

struct ListedAddin {
    std::wstring title;
    std::wstring name;      // file name
    std::wstring fullName;
    std::wstring folder;    // Path: without a closing "\"
    bool installed = false;
    bool fileExists = false;   // an ordinary file lies there
    bool fileMissing = false;  // known to be gone (a share out of reach is neither)
    bool inDefaultFolder = false;
};

// Every listed add-in, in the list's order, from an Excel instance of its own that is told to quit.
std::vector<ListedAddin> ReadAddinList(Services& svc, const excel::Facts& facts);

// The add-ins NAME names: by full path when it holds "\" (any letter case), by file name (any
// letter case), by title (exact). An add-in matched more than one way is given once.
std::vector<ListedAddin> MatchName(const std::vector<ListedAddin>& list, const std::wstring& name);

}  // namespace qv::console
