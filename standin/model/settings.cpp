#include "model/settings.h"

namespace qv::standin {

Settings LoadSettings(Registry& reg, const std::wstring& userName) {
    Settings s;
    s.version = reg.GetString(kSettingsKey, L"Version").value_or(L"11.0");
    s.userLibraryPath = reg.GetString(kSettingsKey, L"UserLibraryPath")
                            .value_or(L"C:\\users\\" + userName + L"\\AppData\\Roaming\\Microsoft\\AddIns\\");
    s.libraryPath = reg.GetString(kSettingsKey, L"LibraryPath")
                        .value_or(L"C:\\Program Files\\Microsoft Office\\OFFICE11\\Library");
    return s;
}

}  // namespace qv::standin

namespace qv::standin {

bool HasUserLibrary(const Settings& s) {
    int major = 0;
    size_t i = 0;
    for (; i < s.version.size() && s.version[i] >= L'0' && s.version[i] <= L'9' && major < 1000; ++i)
        major = major * 10 + (s.version[i] - L'0');
    return i == 0 || major >= 9;  // a version that is no number is taken as a current one
}

std::wstring OptionsKey(const Settings& s) {
    return L"Software\\Microsoft\\Office\\" + s.version + L"\\Excel\\Options";
}

std::wstring AddinManagerKey(const Settings& s) {
    return L"Software\\Microsoft\\Office\\" + s.version + L"\\Excel\\Add-in Manager";
}

}  // namespace qv::standin
