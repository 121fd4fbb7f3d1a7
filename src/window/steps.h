#pragma once
// The window's side of the operations: the selected row and the controls become a request,
// and a refusal becomes the message box the wizard shows.
#include <optional>
#include <string>

#include "excel/facts.h"
#include "operations/operations.h"
#include "startup/startup.h"
#include "window/wizard.h"

namespace qv {

// A refusal or warning as the wizard's message box: its Japanese text, critical (16), or
// information (64) for a skipped file. Returns the button pressed.
int ShowNotice(MessageBoxes& msg, const Notice& n);

// Start-up's refusals and warnings as message boxes, and its question about a newer Excel.
class WizardStartup : public StartupDialogue {
public:
    explicit WizardStartup(MessageBoxes& msg) : msg_(msg) {}
    void Tell(const Notice& n) override { ShowNotice(msg_, n); }
    bool AcceptNewerExcel() override;

private:
    MessageBoxes& msg_;
};

// Excel's version and folders as the start-up left them in the shared state.
excel::Facts FactsOf(const SharedState& st);

// Full name of the add-in behind the selected row (udtADDINROW of its item data).
std::wstring SelectedAddinFullName(Context& c);

// The install's target folder: the old version's folder when there is one, else the chosen one.
std::wstring InstallFolder(Context& c);
// False, after telling the user why, when the target folder is not an existing full path.
bool CheckInstallFolder(Context& c);

// Mode 0 on the selected row. False, after telling the user why, when the checks before the
// first step refused; nothing was changed then.
bool InstallAddin(Context& c);
// Modes 1 to 5 on the selected row. The removals return false, after telling the user why,
// when they deleted nothing.
void SetAddinInstalled(Context& c, bool blnON);
bool RemoveActiveAddin(Context& c);
bool RemoveInactiveAddin(Context& c);
bool TidyMissingAddin(Context& c);
// Mode 6: the path on the clipboard, or in a message box when the clipboard stays busy.
void CopyPathToClipboard(Context& c, const std::wstring& path);
// Mode 6's copy itself: puts `path` on the clipboard, retrying while another program holds the
// clipboard. When it stays busy, gives the text that shows the path instead.
std::optional<std::wstring> CopyPathToClipboard(Clipboard& clip, const std::wstring& path);
inline constexpr int kClipboardTries = 10;
inline constexpr int kClipboardPauseMs = 50;

}  // namespace qv
