#pragma once
// fm_tarnwick: the main window's handlers, portable. The Win32 dialog calls them.
#include "excel/excel.h"
#include "fileinfo/details.h"
#include "platform/services.h"
#include "window/controls.h"
#include "window/state.h"

namespace qv {

// Everything outside the core that a handler may reach.
struct Services {
    excel::Launcher& excel;
    FileSystem& fs;
    Registry& reg;
    MessageBoxes& msg;
    Clipboard& clip;
    Shell& shell;
    Drives& drives;
    DetailsProvider& details;
    SystemInfo& sys;
    BusyCursor& busy;
};

// What one handler works with.
struct Context {
    Services& svc;
    SharedState& st;
    Controls& ui;
};

class MainWindow {
public:
    MainWindow(Services& svc, SharedState& st, Controls& ui) : ctx_{svc, st, ui} {}

    void Form_Load();
    void optBTN_Click(int index);
    void lstADDIN_Click();
    void cmdADDIN_Click();
    void cmdFolder_Click();
    void cmdMANUAL_Click();
    void cmdNEXT_Click();
    void cmdEND_Click();

    Context& ctx() { return ctx_; }

private:
    Context ctx_;
};

// The selected row's item data, or -1 when no row is selected.
long SelectedItemData(Context& c);

// udtADDINROW(index).FullName and strSELFILE(index).Path; an index out of range throws Failure.
std::wstring GetAddinRowFullName(Context& c, long index);
std::wstring GetSelectedFile(Context& c, long index);

// The text after the last "\" (the whole text when there is none).
std::wstring FileNamePart(const std::wstring& path);

}  // namespace qv
