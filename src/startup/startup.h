#pragma once
// Start-up: the checks before the window exists, and the add-in files it offers.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "excel/facts.h"
#include "platform/notice.h"
#include "startup/excel_start.h"
#include "startup/services.h"
#include "startup/state.h"

namespace qv {

enum class StartupOutcome { ShowWindow, Refused };

// What start-up needs of the front end: to tell the user a refusal or a warning at the moment
// it arises, and whether to go on with an Excel newer than those accepted without a question.
class StartupDialogue {
public:
    virtual ~StartupDialogue() = default;
    virtual void Tell(const Notice& notice) = 0;
    virtual bool AcceptNewerExcel() = 0;
};

// Refuses while the user's Excel runs, reads Excel's version and add-in folders from an
// instance of its own (quit before returning on every path), checks the VB runtime, resets
// the shared state and collects the offered files, telling `ui` of each skipped one.
// ShowWindow means the caller must now create and show the main window; Refused means the
// user has been told why and the program ends. Failures of Excel outside the running-Excel
// probe propagate.
StartupOutcome Main(Services& svc, SharedState& st, StartupDialogue& ui);

// The checks every front end makes before it works, without a window.

enum class VersionVerdict { Accepted, TooOld, NewerDeclined };

struct ExcelStart {
    VersionVerdict verdict = VersionVerdict::Accepted;
    excel::Facts facts;  // the version always; the folders when accepted
};

// Reads Excel's version and, once it is accepted, its two add-in folders, from an instance of
// its own that is told to quit on every path. A version above the highest one accepted without
// a question is accepted only when `acceptNewer` says so.
ExcelStart ReadExcelFacts(excel::Launcher& launcher, const std::function<bool()>& acceptNewer);

// "MSVBVM60.DLL" when the runtime library lies in the folder of the 32-bit system
// libraries, otherwise the empty string.
std::wstring FindRuntimeLibrary(Services& svc);

// Fills strSELFILE (entries from 1) from strCOMMAND, or, when that is empty, from the .xla
// files of the program's own folder. Arguments that are not .xla files are dropped; the
// warnings for them come back in the arguments' order.
std::vector<Notice> CollectStartupFiles(Services& svc, SharedState& st);

// ---- Pieces of the above, exposed for their own tests ----

// The decimal number at the start of Excel's version text, rounded to the nearest integer
// with halves to even; 0 when the text does not start with a number.
int ExcelMajorVersion(const std::wstring& versionText);

// The argument text split at blanks outside double quotes; the quotes themselves are removed.
// Blanks that separate nothing (repeated, leading, trailing) give no entry.
std::vector<std::wstring> SplitArguments(const std::wstring& text);

}  // namespace qv
