// DeleteAddinManagerValue: Excel keeps a switched-off add-in outside its default folders
// as a value of the Add-in Manager key, named by the file's full path.
#include "operations/operations.h"
#include "operations/texts.h"

namespace qv {

std::wstring AddinManagerKey(int excelVersion) {
    // The version as "0.0": 11 gives 11.0.
    return std::wstring(texts::kAddinManagerKey1) + L"\\" + std::to_wstring(excelVersion) + L".0" +
           texts::kAddinManagerKey2;
}

bool DeleteAddinManagerValue(Registry& reg, int excelVersion, const std::wstring& fullName) {
    // Nothing to report: a key or value that is not there is already what we want, and a
    // refused deletion leaves Excel's list as it was.
    return reg.DeleteValue(AddinManagerKey(excelVersion), fullName) == RegResult::Ok;
}

}  // namespace qv
