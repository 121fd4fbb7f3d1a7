#pragma once
// Excel's own file dialogs belong to Excel's process. Windows lets a process take the foreground
// only when the foreground process allows it, so without this a dialog Excel opens for the
// wizard can come up behind the wizard's window.
#include "excel/com/excel_calls.h"

namespace qv::excel::com {

// Allows the Excel behind `app` to come to the front: through its COM proxy, or where that is
// refused, through the process that owns Excel's main window. Never fails; at worst the dialog
// opens behind the wizard.
void AllowToFront(const Dispatch& app) noexcept;

}  // namespace qv::excel::com
