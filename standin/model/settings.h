#pragma once
// The stand-in's settings, read from HKCU\Software\ExcelStandIn; a missing value means the default.
#include <string>
#include <vector>

#include "platform/services.h"

namespace qv::standin {

inline constexpr const wchar_t* kSettingsKey = L"Software\\ExcelStandIn";
// Scripted dialog answers for tests, and what the dialogs were last asked.
inline constexpr const wchar_t* kAnswersKey = L"Software\\ExcelStandIn\\Answers";
inline constexpr const wchar_t* kAnswerOpen = L"GetOpenFilename";
inline constexpr const wchar_t* kAnswerSaveAs = L"GetSaveAsFilename";
inline constexpr const wchar_t* kLastOpenFilter = L"LastOpenFilter";
inline constexpr const wchar_t* kLastSaveAsInitial = L"LastSaveAsInitial";

inline constexpr unsigned long kLcidEnglishUs = 1033;

struct Settings {
    std::wstring version;
    std::wstring userLibraryPath;  // ends with "\"
    std::wstring libraryPath;
    // How long calls are refused after start, after an add-in is switched on, after a workbook is opened.
    unsigned long busyMilliseconds = 400;
    // Shutdown time between the last release (with or without Quit) and writing the list.
    unsigned long exitDelayMilliseconds = 1000;
    // The languages whose names it resolves; 0 (neutral) is always accepted.
    std::vector<unsigned long> languages{kLcidEnglishUs};
    // Where each incoming call is logged; empty for no log.
    std::wstring callLog{};
    // File names whose add-in code shows a modal window: opening the file as a workbook or
    // switching its add-in on or off. Compared without regard to letter case.
    std::vector<std::wstring> modalFiles{};
    // That window closes by itself after this long; 0: only when someone closes it.
    unsigned long modalMilliseconds = 0;
    // Registration writes InstallRoot where Click-to-Run Office keeps it (InstallLayout
    // "ClickToRun", letter case ignored) instead of under HKLM\SOFTWARE itself.
    bool clickToRun = false;
    // Text of a modal box shown once the instance is created, before it answers any call, as
    // Excel's first-run or licence notices; empty for none.
    std::wstring startupNotice{};
    // That box closes by itself after this long; 0: only when someone closes it.
    unsigned long startupNoticeMilliseconds = 0;
};

// Excel's major version number: 11 for "11.0"; 0 when the text starts with no number.
int MajorVersion(const Settings& s);
// Excel 2002 (10.0) and later have Application.Hwnd; a version that is no number is taken as a current one.
bool HasHwnd(const Settings& s);
// "1033, 1041" → {1033, 1041}; items that are no decimal number are left out.
std::vector<unsigned long> ParseLanguages(const std::wstring& text);

// "a.xla; B.XLA;;" → {"a.xla", "B.XLA"}: items separated by ";", blanks around them and empty
// items left out. An item written with a folder keeps only its file name.
std::vector<std::wstring> ParseFileNames(const std::wstring& text);
// True when the file at `path` is named in ModalFiles (by its file name, letter case ignored).
bool IsModalFile(const Settings& s, const std::wstring& path);

// Excel 97 and earlier have no user add-in folder: no UserLibraryPath, no files listed from it,
// and it is no default folder. Later versions (major 9 and up) have one.
bool HasUserLibrary(const Settings& s);

// `userName` fills the default user library folder C:\users\<user>\AppData\Roaming\Microsoft\AddIns\.
Settings LoadSettings(Registry& reg, const std::wstring& userName);

// Where Excel <version> keeps its add-in list under HKCU.
std::wstring OptionsKey(const Settings& s);       // Software\Microsoft\Office\<ver>\Excel\Options
std::wstring AddinManagerKey(const Settings& s);  // Software\Microsoft\Office\<ver>\Excel\Add-in Manager

// What an Office installation of Excel <version> registers, for programs that find Excel's
// version and library folder without starting it: HKCR\Excel.Application\CurVer, and Path
// under HKLM\SOFTWARE\Microsoft\Office\<ver>\Excel\InstallRoot, the folder that holds
// Library, with its closing "\".
std::wstring CurVerText(const Settings& s);       // "Excel.Application.11"
std::wstring InstallRootKey(const Settings& s);   // SOFTWARE\Microsoft\Office\<ver>\Excel\InstallRoot
// The same key in Click-to-Run's hive:
// SOFTWARE\Microsoft\Office\ClickToRun\REGISTRY\MACHINE\Software\Microsoft\Office\<ver>\Excel\InstallRoot
std::wstring ClickToRunInstallRootKey(const Settings& s);
std::wstring InstallRootPath(const Settings& s);  // the library path's parent folder and "\"

}  // namespace qv::standin
