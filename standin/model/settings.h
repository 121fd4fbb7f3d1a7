#pragma once
// The stand-in's settings, read from HKCU\Software\ExcelStandIn; a missing value means the default.
#include <string>

#include "platform/services.h"

namespace qv::standin {

inline constexpr const wchar_t* kSettingsKey = L"Software\\ExcelStandIn";
// Scripted dialog answers for tests, and what the dialogs were last asked.
inline constexpr const wchar_t* kAnswersKey = L"Software\\ExcelStandIn\\Answers";
inline constexpr const wchar_t* kAnswerOpen = L"GetOpenFilename";
inline constexpr const wchar_t* kAnswerSaveAs = L"GetSaveAsFilename";
inline constexpr const wchar_t* kLastOpenFilter = L"LastOpenFilter";
inline constexpr const wchar_t* kLastSaveAsInitial = L"LastSaveAsInitial";

struct Settings {
    std::wstring version;
    std::wstring userLibraryPath;  // ends with "\"
    std::wstring libraryPath;
};

// Excel 97 and earlier have no user add-in folder: no UserLibraryPath, no files listed from it,
// and it is no default folder. Later versions (major 9 and up) have one.
bool HasUserLibrary(const Settings& s);

// `userName` fills the default user library folder C:\users\<user>\AppData\Roaming\Microsoft\AddIns\.
Settings LoadSettings(Registry& reg, const std::wstring& userName);

// Where Excel <version> keeps its add-in list under HKCU.
std::wstring OptionsKey(const Settings& s);       // Software\Microsoft\Office\<ver>\Excel\Options
std::wstring AddinManagerKey(const Settings& s);  // Software\Microsoft\Office\<ver>\Excel\Add-in Manager

}  // namespace qv::standin
