// Whether an install is a version up, and whether the file's title is taken. Names and titles
// compare exactly, as Excel's list holds them.
#include "operations/addin_rules.h"

namespace qv {

bool IsOldVersion(const ListedAddin& a, const std::wstring& fileName) {
    // An entry whose file has gone cannot be upgraded in place; a later one of that name may still have its file.
    return a.Name() == fileName && a.FileExists();
}

bool TakesTitle(const ListedAddin& a, const std::wstring& title, const std::wstring& fileName) {
    // The same title under the same file name is the older version of this file.
    return a.Title() == title && a.Name() != fileName;
}

}  // namespace qv
