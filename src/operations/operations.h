#pragma once
// The add-in operations, for every front end. Each takes plain values and gives a plain
// result: it reads no control and shows no message. A refusal comes back as the text to show;
// any other failure leaves as an exception (Failure, excel::ExcelError).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "excel/addin_file.h"
#include "excel/excel.h"
#include "excel/facts.h"
#include "platform/notice.h"
#include "startup/services.h"

namespace qv {

// What an operation has changed so far, in order. A front end that must say what changed
// before a failure (the console program) passes a journal; the operation appends as it goes.
enum class Change { OldVersionOff, OldVersionBackOn, FileCopied, Added, SwitchedOn, SwitchedOff, FileDeleted, FileRecycled, RegistryValueDeleted };
using Changes = std::vector<Change>;

// The outcome of a step that may refuse; whether something had changed before a refusal is in
// the journal.
struct StepResult {
    std::optional<Notice> refusal;
    bool Done() const { return !refusal; }
};

// What to do with a file marked as from the internet (Mark of the Web) that is about to be copied.
enum class MarkChoice { Unblock, Keep, Cancel };

struct InstallRequest {
    std::wstring source;     // full path of the file to install
    std::wstring folder;     // the destination folder, as given
    std::wstring oldFolder;  // the folder of the listed old version under the same file name; empty for a new install
    excel::Facts facts;
    Changes* journal = nullptr;
    // Asked only when the file is marked, whether or not it is copied; without it the mark stays.
    std::function<MarkChoice()> askUnblock;
};

struct InstallResult : StepResult {
    std::wstring fullName;  // where the add-in now lies
    bool copied = false;
    bool cancelled = false;  // the user chose to stop at the mark's question; nothing changed
    bool keptMark = false;   // the installed file carries the source's mark from the internet
    // A mark that could not be made as asked once the file was in place (or, without a copy,
    // a mark that could not be taken away): the install has happened all the same.
    MarkWarning markWarning = MarkWarning::None;
};

// The warning a front end gives for the install's mark: KeptMark, MarkNotSet, MarkNotRemoved or
// MarkNotKept with the installed file's path; nothing when the mark is as asked and none is kept.
std::optional<Notice> MarkNotice(const InstallResult& result);

// A new install, or a newer version over the listed old one: the old version off, the copy
// (atomic, through a temporary file), then found by full name or added through a temporary
// workbook, and switched on. A failed copy switches the old version back on before the
// failure leaves. Refuses, with nothing changed, a destination Excel cannot open, one that
// needs administrator rights, or a read-only file there. A file marked as from the internet
// is asked about before any Excel step, also when it already lies in the destination folder
// (then an unblocked file loses its mark where the copy would have been made); the user
// add-in folder is made when it is missing.
InstallResult InstallAddin(Services& svc, const InstallRequest& request);

// The install's destination folder must be an existing folder given as a full path. A version
// up's folder as Excel gives it ("C:" for a drive's root) counts as that root. A new install
// into Excel's user add-in folder (exactly `userFolder`) may find it missing: it is made.
std::optional<Notice> CheckInstallFolder(FileSystem& fs, const std::wstring& folder, bool versionUp,
                                         const std::wstring& userFolder);

// Only a folder on a fixed disk may be chosen: DriveRefused for a path on any other drive.
std::optional<Notice> CheckFolderDrive(Drives& drives, const std::wstring& path);

struct AddinRequest {
    std::wstring fullName;  // the add-in, addressed by its full name: titles may be shared
    std::wstring title;     // as the user saw it in the list
    excel::Facts facts;
    Changes* journal = nullptr;
    bool permanent = false;  // a complete removal deletes the file without the Recycle Bin
};

// What a complete removal did with the add-in's file.
enum class FileDisposal {
    Recycled,  // moved to the Recycle Bin of its volume
    Deleted,   // deleted for good: asked for, or its volume has no Recycle Bin
    Left,      // on the network, used by others too: left in place
};

struct RemovalResult : StepResult {
    std::wstring addinPath;  // what the step left in strADDINPATH
    std::optional<FileDisposal> disposal;  // set once a complete removal has dealt with the file
};

// Switches a listed add-in on or off and quits its Excel instance.
void SetAddinInstalled(Services& svc, const AddinRequest& request, bool blnON);
// The removals quit their Excel, wait until every Excel they quit has ended, and only then
// delete a file or a registry value; when one does not end in time, or Excel's OPEN values
// still name the add-in afterwards, they delete nothing and refuse. The two complete removals
// leave a file on the network in place (see LeavesFileInPlace), and first check that any
// other file can be deleted; that file goes to its volume's Recycle Bin where there is one,
// unless the request is permanent. The removal of an inactive add-in refuses one that
// its Excel finds switched on.
RemovalResult RemoveActiveAddin(Services& svc, const AddinRequest& request);
RemovalResult RemoveInactiveAddin(Services& svc, const AddinRequest& request);
RemovalResult TidyMissingAddin(Services& svc, const AddinRequest& request);

// Whether a complete removal leaves the file `fullName` where it is: a file on the network is
// used by others too. A file in the user's own add-in folder (exactly `facts.userFolder`) is
// the user's copy wherever that folder lies, as in a redirected profile: left there, Excel
// would list it again at its next start. The library folder has no such exception: a library
// on a share means Office itself is shared from a server.
bool LeavesFileInPlace(Drives& drives, const excel::Facts& facts, const std::wstring& fullName);
// How a complete removal would dispose of a file it does not leave: Deleted when `permanent`
// or when the file's volume has no Recycle Bin (only a fixed disk has one), else Recycled.
FileDisposal DisposalFor(Drives& drives, const std::wstring& fullName, bool permanent);

// Deletes the value named `fullName` from the current user's Add-in Manager key of Excel
// `excelVersion`. The key is only opened; a missing key or value is no failure. True when a
// value was deleted.
bool DeleteAddinManagerValue(Registry& reg, int excelVersion, const std::wstring& fullName);
// "Software\Microsoft\Office\<version>.0\Excel\Add-in Manager"
std::wstring AddinManagerKey(int excelVersion);
// "Software\Microsoft\Office\<version>.0\Excel\Options"
std::wstring ExcelOptionsKey(int excelVersion);
// Whether one of Excel's OPEN, OPEN1, OPEN2… values names the add-in `fullName`: by its full
// path (letter case ignored), or by its bare file name when it lies in one of Excel's default
// folders. A value may carry switches before the name ("/R "C:\x.xla"").
bool OpenValueNames(Registry& reg, const excel::Facts& facts, const std::wstring& fullName);

// The add-in of `app`'s list whose full name is exactly `fullName`, found by walking the
// list in order. Throws Failure when none has it.
std::unique_ptr<excel::AddIn> FindAddinByFullName(excel::Application& app, const std::wstring& fullName);

// Exactly (case-sensitively) one of Excel's two add-in folders. An empty user folder
// (Excel 97 has none) matches nothing.
bool IsDefaultFolder(const excel::Facts& facts, const std::wstring& folder);

// The checks made before any Excel step, so that an ordinary obstacle is met while nothing has
// changed yet. Each gives the refusal, or nothing when it passes.
// The install's destination `fullName` in `folder` (as given): Excel must be able to open that
// name, and, when `copies`, the folder must take a new file and an old file there must be
// replaceable. `newInstall` offers the user add-in folder as the way out.
std::optional<Notice> CheckInstallTarget(Services& svc, const excel::Facts& facts, const std::wstring& folder,
                                         const std::wstring& fullName, bool copies, bool newInstall);
// The add-in file `fullName` can be deleted: it is not read-only, and no rights are missing.
std::optional<Notice> CheckRemovable(Services& svc, const std::wstring& fullName);

// Tool.XLA passes, tool.xlam does not.
using excel::IsXlaName;

}  // namespace qv
