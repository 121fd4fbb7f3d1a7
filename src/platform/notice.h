#pragma once
// A refusal or a warning as the layers below the front ends give it: a code and its named
// inserts, never a finished text. Each front end words it in its own way: the wizard in its
// exact Japanese, the console program in its keyed texts and reason codes.
#include <string>
#include <vector>

namespace qv {

enum class Reason {
    // Refusals made before anything changed.
    ExcelRunning,        // the user's Excel runs: hidden, workbookCount, workbooks
    HiddenExcelRunning,  // an Excel not started by the program, found only by its window: processId
    EarlierExcelAlive,   // the program's Excel of an earlier step has not ended: processId
    ExcelDidNotEnd,      // a removal's own Excel did not end in time, so nothing was deleted
    StillRegistered,     // after Excel's end an OPEN value still names the add-in
    SwitchedOn,          // the inactive add-in to remove is switched on: title
    TitleConflict,       // the file's title is listed under another file name: title
    InvalidFolder,       // the install folder is not an existing full path: folder
    DriveRefused,        // a folder on a drive that is not a fixed disk: path
    AdminRights,         // changing the folder needs administrator rights: folder, userFolderHint
    PathTooLong,         // Excel cannot open the destination's full name: path
    ReadOnly,            // the file to delete or replace is read-only: path
    OtherAccount,        // the program runs as another user than the desktop's: account
    VersionUnsupported,  // Excel older than 97, or a newer one not accepted
    RuntimeMissing,      // the VB runtime library is missing
    // Warnings: the step goes on.
    UnsupportedFile,     // an argument that is not a .xla file is skipped: path
    NoTitle,             // the file has no title: path
    KeptMark,            // the installed copy keeps the source's mark of the web: path
    MarkNotSet,          // the installed file is in place, but its mark could not be kept: path
    MarkNotRemoved,      // the installed file is in place, but its mark could not be taken away: path
    MarkNotKept,         // keeping the mark was asked for, on a volume that keeps no streams: path
};

struct Notice {
    Notice() = default;
    explicit Notice(Reason r) : reason(r) {}

    Reason reason = Reason::ExcelRunning;
    std::wstring path;    // a file's full path, as given
    std::wstring folder;  // a folder, as given
    std::wstring title;   // an add-in's title, as the user saw it
    std::wstring account; // DOMAIN\user
    unsigned long processId = 0;
    bool userFolderHint = false;          // AdminRights: the user add-in folder is a way out
    bool hidden = false;                  // ExcelRunning: the instance was hidden
    long workbookCount = 0;               // ExcelRunning: as Excel counted them
    std::vector<std::wstring> workbooks;  // ExcelRunning: the names that could be read, in order
    bool operator==(const Notice&) const = default;
};

}  // namespace qv
