#pragma once
// The stand-in's settings, read from HKCU\Software\ExcelStandIn; a missing value means the default.
#include <string>

#include "platform/services.h"

namespace qv::standin {

inline constexpr const wchar_t* kSettingsKey = L"Software\\ExcelStandIn";

struct Settings {
    std::wstring version;
    std::wstring userLibraryPath;  // ends with "\"
    std::wstring libraryPath;
};

// `userName` fills the default user library folder C:\users\<user>\AppData\Roaming\Microsoft\AddIns\.
Settings LoadSettings(Registry& reg, const std::wstring& userName);

}  // namespace qv::standin
