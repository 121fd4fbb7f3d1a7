// Mode 6's copy. A clipboard manager or a remote desktop session may hold the clipboard for a
// moment; that is no reason to end the program.
#include "window/steps.h"
#include "window/texts.h"

namespace qv {

std::optional<std::wstring> CopyPathToClipboard(Clipboard& clip, const std::wstring& path) {
    for (int i = 0; i < kClipboardTries; ++i) {
        if (i > 0) clip.Pause(kClipboardPauseMs);
        if (clip.SetText(path)) return std::nullopt;
    }
    // The path stays readable, and the program goes on.
    return texts::kClipboardBusy + path;
}

}  // namespace qv
