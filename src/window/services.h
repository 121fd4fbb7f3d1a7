#pragma once
// What the wizard's window reaches beyond the core's bundle: message boxes, the clipboard
// (mode 6's copy), the shell (the manual) and the busy cursor. The console program has no use
// for them: the core gives refusals and warnings as values, and each program tells them.
#include "platform/services.h"
#include "startup/services.h"

namespace qv {

struct WindowServices : Services {
    MessageBoxes& msg;
    Clipboard& clip;
    Shell& shell;
    BusyCursor& busy;
};

}  // namespace qv
