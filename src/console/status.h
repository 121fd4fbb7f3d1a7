#pragma once
// quorvelc status: whether add-ins are installed, switched on and identical, for detection
// rules. It never starts Excel, so it answers while the user's Excel runs: it reads what Excel
// itself reads at its start (the OPEN values) and finds Excel's facts in the registry and the
// user's profile.
#include <functional>
#include <string>
#include <vector>

#include "console/report.h"
#include "excel/facts.h"
#include "platform/services.h"

namespace qv::console {

// Excel's major version from HKCR\Excel.Application\CurVer: "Excel.Application.11" gives 11;
// 0 for any other text.
int CurVerMajor(const std::wstring& curVer);

// The installed Excel's version and add-in folders, as Excel would report them: the user folder
// %APPDATA%\Microsoft\AddIns (none before Excel 2000), and the library folder "Library" beside
// Excel. That folder is the first that exists of: InstallRoot's Path under HKLM\SOFTWARE, then
// the same key in Click-to-Run's own hive (native, then Wow6432Node), then Click-to-Run's
// InstallationPath + "root\Office<NN>"; each in the 64-bit view, then the 32-bit one (32-bit
// Office on 64-bit Windows). Empty when none exists. Version 0 when no Excel is registered.
excel::Facts InstalledExcelFacts(Registry& reg, FileSystem& fs, SystemInfo& sys);

// The full paths of the files the OPEN values switch on. A bare file name lies in the user
// folder when the file is there, else in the library folder.
std::vector<std::wstring> SwitchedOnFiles(Registry& reg, FileSystem& fs, const excel::Facts& facts);

enum class Detection { Installed, NotListed, SwitchedOff, DifferentContent, FileMissing, Unreachable };

struct Detected {
    Detection what = Detection::NotListed;
    std::wstring fullName;  // the add-in's file, when one was found
};

// How the add-in with the file name `fileName` stands: switched on with a file that
// `identical` accepts; or else the first that applies of: switched on with a file of other
// content, on a drive out of reach, with its file gone; listed but switched off (an Add-in
// Manager value, or a file in a default folder); not listed.
Detected Detect(Registry& reg, FileSystem& fs, const excel::Facts& facts, const std::wstring& fileName,
                const std::function<bool(const std::wstring&)>& identical);

// The command: exit 0 with one line on standard output when every target is detected, else
// 1 with each target's reason on standard error.
int Status(World& w, Reporter& r, const Options& o);

}  // namespace qv::console
