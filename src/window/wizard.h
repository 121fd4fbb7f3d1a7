#pragma once
// fm_tarnwick: the main window's handlers, portable. The Win32 dialog calls them.
#include <optional>

#include "operations/addin_rules.h"
#include "window/services.h"
#include "platform/paths.h"
#include "startup/state.h"
#include "window/controls.h"

namespace qv {

// What one handler works with.
struct Context {
    WindowServices& svc;
    SharedState& st;
    Controls& ui;
    // The mode whose list is shown; none before the first list, and after a mode switch that
    // did not finish. Next and the row selection act on it, not on the option buttons, which a
    // click queued during a long step may have changed.
    std::optional<Mode> shownMode;
};

class MainWindow {
public:
    MainWindow(WindowServices& svc, SharedState& st, Controls& ui) : ctx_{svc, st, ui, std::nullopt} {}

    void Form_Load();
    void optBTN_Click(int index);
    void lstADDIN_Click();
    void cmdADDIN_Click();
    void cmdFolder_Click();
    void cmdMANUAL_Click();
    void cmdNEXT_Click();
    void cmdEND_Click();

    Context& ctx() { return ctx_; }
    std::optional<Mode> ShownMode() const { return ctx_.shownMode; }

private:
    Context ctx_;
};

// The selected row's item data, or -1 when no row is selected.
long SelectedItemData(Context& c);

// udtADDINROW(index).FullName and strSELFILE(index).Path; an index out of range throws Failure.
std::wstring GetAddinRowFullName(Context& c, long index);
std::wstring GetSelectedFile(Context& c, long index);

using paths::FileNamePart;

}  // namespace qv
