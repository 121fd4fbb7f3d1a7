#include <string>

#include "excel/excel.h"
#include "platform/account.h"
#include "startup/running_excel.h"
#include "startup/startup.h"

namespace qv {

namespace {

constexpr int kLowestVersion = 8;        // Excel 97
constexpr int kHighestUnasked = 11;      // Excel 2003
constexpr int kVersionWithoutUserFolder = 8;

// On a refusal the instance is told to quit as well, so no invisible Excel outlives start-up.
// The user is told why the program ends; a failing Quit changes nothing about that.
ExcelStart Refuse(excel::Session& excel, ExcelStart start, VersionVerdict verdict) {
    try {
        excel.Quit();
    } catch (...) {
    }
    start.verdict = verdict;
    return start;
}

// UserLibraryPath ends with a separator that the folder does not keep. An empty answer
// leaves the folder empty.
std::wstring UserAddinFolder(excel::Application& app) {
    std::wstring path = app.UserLibraryPath();
    if (!path.empty()) path.pop_back();
    return path;
}

void ResetSharedState(SharedState& st) {
    st.strADDINPATH.clear();
    st.strADDINFILE.clear();
    st.strADDINTITLE.clear();
    st.strSELFILE.assign(1, SelFileRow{});
}

}  // namespace

ExcelStart ReadExcelFacts(excel::Launcher& launcher, const std::function<bool()>& acceptNewer) {
    auto created = launcher.Create();
    if (!created) throw excel::ExcelError(L"Excel.Application", 0, L"no instance was created");
    excel::Session excel(std::move(created));
    ExcelStart start;
    start.facts.version = ExcelMajorVersion(excel->Version());
    if (start.facts.version < kLowestVersion) return Refuse(excel, start, VersionVerdict::TooOld);
    if (start.facts.version > kHighestUnasked && !acceptNewer()) return Refuse(excel, start, VersionVerdict::NewerDeclined);
    start.facts.userFolder = start.facts.version == kVersionWithoutUserFolder ? L"" : UserAddinFolder(*excel);
    start.facts.libraryFolder = excel->LibraryPath();
    excel.Quit();
    return start;
}

StartupOutcome Main(Services& svc, SharedState& st, StartupDialogue& ui) {
    st.strCOMMAND = svc.sys.CommandArguments();

    // Add-ins are registered per user: run as another account, the program would install into
    // that account's profile, where the desktop's user never sees them.
    const AccountFacts account = svc.accounts.Facts();
    if (CheckAccount(account) == AccountVerdict::OtherUser) {
        Notice n{Reason::OtherAccount};
        n.account = account.own;
        ui.Tell(n);
        return StartupOutcome::Refused;
    }

    if (auto running = AttachRunningExcel(svc.excel)) {
        RefuseRunningExcel(ui, std::move(running));
        return StartupOutcome::Refused;
    }

    // The question is asked while the instance that reported the version still lives.
    const ExcelStart start = ReadExcelFacts(svc.excel, [&] { return ui.AcceptNewerExcel(); });
    st.intEXCELVER = start.facts.version;
    if (start.verdict == VersionVerdict::TooOld) ui.Tell(Notice{Reason::VersionUnsupported});
    if (start.verdict != VersionVerdict::Accepted) return StartupOutcome::Refused;
    st.strADDINFOLDER[0] = start.facts.userFolder;
    st.strADDINFOLDER[1] = start.facts.libraryFolder;

    if (FindRuntimeLibrary(svc).empty()) {
        ui.Tell(Notice{Reason::RuntimeMissing});
        return StartupOutcome::Refused;
    }

    ResetSharedState(st);
    for (const Notice& skipped : CollectStartupFiles(svc, st)) ui.Tell(skipped);
    return StartupOutcome::ShowWindow;
}

}  // namespace qv
