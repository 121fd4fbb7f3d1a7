#include <string>

#include "excel/excel.h"
#include "startup/running_excel.h"
#include "startup/startup.h"
#include "window/texts.h"

namespace qv {

namespace {

constexpr int kLowestVersion = 8;        // Excel 97
constexpr int kHighestUnasked = 11;      // Excel 2003
constexpr int kVersionWithoutUserFolder = 8;

void Tell(Services& svc, const wchar_t* text, int flags) { svc.msg.Show(text, texts::kAppTitle, flags); }

// On a refusal the instance is told to quit as well, so no invisible Excel outlives start-up.
// The user has been told why the program ends; a failing Quit changes nothing about that.
StartupOutcome RefuseWith(excel::Session& excel) {
    try {
        excel.Quit();
    } catch (...) {
    }
    return StartupOutcome::Refused;
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

StartupOutcome Main(Services& svc, SharedState& st) {
    st.strCOMMAND = svc.sys.CommandArguments();

    if (auto running = AttachRunningExcel(svc.excel)) {
        RefuseRunningExcel(svc, std::move(running));
        return StartupOutcome::Refused;
    }

    {
        auto created = svc.excel.Create();
        if (!created) throw excel::ExcelError(L"Excel.Application", 0, L"no instance was created");
        excel::Session excel(std::move(created));
        st.intEXCELVER = ExcelMajorVersion(excel->Version());
        if (st.intEXCELVER < kLowestVersion) {
            Tell(svc, texts::kVersionUnsupported, kMbCritical);
            return RefuseWith(excel);
        }
        if (st.intEXCELVER > kHighestUnasked &&
            svc.msg.Show(texts::kVersionQuestion, texts::kAppTitle, kMbYesNoQuestion) == kIdNo)
            return RefuseWith(excel);

        st.strADDINFOLDER[0] = st.intEXCELVER == kVersionWithoutUserFolder ? L"" : UserAddinFolder(*excel);
        st.strADDINFOLDER[1] = excel->LibraryPath();
        excel.Quit();
    }

    if (FindRuntimeLibrary(svc).empty()) {
        Tell(svc, texts::kRuntimeMissing, kMbCritical);
        return StartupOutcome::Refused;
    }

    ResetSharedState(st);
    CollectStartupFiles(svc, st);
    return StartupOutcome::ShowWindow;
}

}  // namespace qv
