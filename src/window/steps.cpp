#include "window/steps.h"

#include "operations/notice_text.h"
#include "operations/texts.h"
#include "startup/texts.h"
#include "window/texts.h"

namespace qv {

namespace {

void Tell(Context& c, const Notice& n) { ShowNotice(c.svc.msg, n); }

AddinRequest SelectedAddin(Context& c) {
    AddinRequest r;
    r.fullName = SelectedAddinFullName(c);
    r.title = c.ui.ListText();
    r.facts = FactsOf(c.st);
    return r;
}

bool Finish(Context& c, const RemovalResult& result) {
    if (!result.addinPath.empty()) c.st.strADDINPATH = result.addinPath;
    if (result.refusal) Tell(c, *result.refusal);
    return result.Done();
}

}  // namespace

int ShowNotice(MessageBoxes& msg, const Notice& n) {
    const bool warning = n.reason == Reason::UnsupportedFile || n.reason == Reason::MarkNotSet ||
                         n.reason == Reason::MarkNotRemoved || n.reason == Reason::MarkNotKept;
    return msg.Show(JapaneseText(n), texts::kAppTitle, warning ? kMbInformation : kMbCritical);
}

bool WizardStartup::AcceptNewerExcel() {
    return msg_.Show(texts::kVersionQuestion, texts::kAppTitle, kMbYesNoQuestion) != kIdNo;
}

excel::Facts FactsOf(const SharedState& st) {
    return excel::Facts{st.intEXCELVER, st.strADDINFOLDER[0], st.strADDINFOLDER[1]};
}

std::wstring SelectedAddinFullName(Context& c) { return GetAddinRowFullName(c, SelectedItemData(c)); }

std::wstring InstallFolder(Context& c) {
    return c.ui.Text(c.st.strADDINPATH.empty() ? Ctl::cbxFOLDER : Ctl::txtFOLDER);
}

bool CheckInstallFolder(Context& c) {
    auto refusal = CheckInstallFolder(c.svc.fs, InstallFolder(c), !c.st.strADDINPATH.empty(), c.st.strADDINFOLDER[0]);
    if (refusal) Tell(c, *refusal);
    return !refusal;
}

bool InstallAddin(Context& c) {
    InstallRequest r;
    r.folder = InstallFolder(c);
    r.source = GetSelectedFile(c, SelectedItemData(c));
    r.oldFolder = c.st.strADDINPATH;
    r.facts = FactsOf(c.st);
    r.askUnblock = [&c] {
        // Yes, No and Cancel with No as the default, so that Enter keeps the mark.
        switch (c.svc.msg.Show(texts::kUnblockQuestion, texts::kAppTitle, kMbYesNoCancelWarningNo)) {
            case kIdYes: return MarkChoice::Unblock;
            case kIdNo: return MarkChoice::Keep;
            default: return MarkChoice::Cancel;
        }
    };
    // The row shows the file's name, and Excel lists it under that name.
    const std::wstring destination = paths::JoinFolder(r.folder, c.ui.ListText());
    auto remember = [&] {
        c.st.strADDINFILE = destination;
        c.st.strSRCFILE = r.source;
    };
    InstallResult result;
    try {
        result = InstallAddin(c.svc, r);
    } catch (...) {
        remember();
        throw;
    }
    if (result.refusal) {
        Tell(c, *result.refusal);
        return false;
    }
    if (result.cancelled) return false;
    remember();
    // The install has happened; a mark that is not as the user chose is told before the
    // completion text. The user chose to keep a mark, so that is not told again.
    if (auto mark = MarkNotice(result); mark && mark->reason != Reason::KeptMark) Tell(c, *mark);
    return true;
}

void SetAddinInstalled(Context& c, bool blnON) { SetAddinInstalled(c.svc, SelectedAddin(c), blnON); }

bool RemoveActiveAddin(Context& c) { return Finish(c, RemoveActiveAddin(c.svc, SelectedAddin(c))); }

bool RemoveInactiveAddin(Context& c) { return Finish(c, RemoveInactiveAddin(c.svc, SelectedAddin(c))); }

bool TidyMissingAddin(Context& c) { return Finish(c, TidyMissingAddin(c.svc, SelectedAddin(c))); }

void CopyPathToClipboard(Context& c, const std::wstring& path) {
    if (auto busy = CopyPathToClipboard(c.svc.clip, path)) c.svc.msg.Show(*busy, texts::kAppTitle, kMbCritical);
}

}  // namespace qv
