// DeleteAddinManagerValue: Excel keeps a switched-off add-in outside its default folders
// as a value of the Add-in Manager key, named by the file's full path.
#include <algorithm>

#include "operations/open_values.h"
#include "operations/operations.h"
#include "operations/texts.h"
#include "platform/paths.h"

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

namespace qv {

namespace {

bool InDefaultFolder(const excel::Facts& facts, const std::wstring& fullName) {
    const std::wstring folder = paths::FolderPart(fullName);
    for (const auto* d : {&facts.userFolder, &facts.libraryFolder})
        if (!d->empty() && paths::EqualNoCase(paths::WithoutClosingSeparator(*d), folder)) return true;
    return false;
}

}  // namespace

std::wstring ExcelOptionsKey(int excelVersion) {
    return std::wstring(texts::kAddinManagerKey1) + L"\\" + std::to_wstring(excelVersion) + L".0" +
           texts::kExcelOptionsKey2;
}

bool IsOpenValueName(const std::wstring& name) {
    if (name.size() < 4 || !paths::EqualNoCase(name.substr(0, 4), L"OPEN")) return false;
    return std::all_of(name.begin() + 4, name.end(), [](wchar_t ch) { return ch >= L'0' && ch <= L'9'; });
}

std::wstring OpenValueFile(const std::wstring& data) {
    size_t i = 0;
    for (;;) {
        while (i < data.size() && data[i] == L' ') ++i;
        if (i >= data.size() || data[i] != L'/') break;
        while (i < data.size() && data[i] != L' ') ++i;
    }
    std::wstring name = data.substr(i);
    while (!name.empty() && name.back() == L' ') name.pop_back();
    if (name.size() >= 2 && name.front() == L'"' && name.back() == L'"') name = name.substr(1, name.size() - 2);
    return name;
}

bool OpenValueNames(Registry& reg, const excel::Facts& facts, const std::wstring& fullName) {
    return OpenValuesName(reg.StringValues(ExcelOptionsKey(facts.version)), facts, fullName);
}

bool OpenValuesName(const std::vector<RegValue>& values, const excel::Facts& facts, const std::wstring& fullName) {
    for (const auto& value : values) {
        if (!IsOpenValueName(value.name)) continue;
        const std::wstring file = OpenValueFile(value.data);
        if (file.find(L'\\') != std::wstring::npos) {
            if (paths::EqualNoCase(file, fullName)) return true;
        } else if (paths::EqualNoCase(file, paths::FileNamePart(fullName)) && InDefaultFolder(facts, fullName)) {
            return true;
        }
    }
    return false;
}

}  // namespace qv
