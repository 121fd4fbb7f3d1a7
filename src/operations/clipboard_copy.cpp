// Mode 6's copy. A clipboard manager or a remote desktop session may hold the clipboard for a
// moment; that is no reason to end the program.
#include "operations/operations.h"
#include "window/texts.h"

namespace qv {

void CopyPathToClipboard(Context& c, const std::wstring& path) {
    for (int i = 0; i < kClipboardTries; ++i) {
        if (i > 0) c.svc.clip.Pause(kClipboardPauseMs);
        if (c.svc.clip.SetText(path)) return;
    }
    // The path stays readable, and the program goes on.
    c.svc.msg.Show(texts::kClipboardBusy + path, texts::kAppTitle, kMbCritical);
}

}  // namespace qv
