#include "window/not_responding.h"

#include "window/texts.h"

namespace qv {

bool AskToKeepWaitingForExcel(MessageBoxes& msg) {
    return msg.Show(texts::kExcelNotResponding, texts::kAppTitle, kMbYesNoWarning | kMbSetForeground | kMbTopmost) ==
           kIdYes;
}

}  // namespace qv
