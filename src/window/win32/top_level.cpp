#include "window/win32/top_level.h"

#include "window/texts.h"

namespace qv::win32 {

void MessageBoxTopLevel::ReportAndExit(HWND owner, const FailureInfo& failure) {
    exitCode_ = 1;
    std::wstring text = FailureReportText(failure);
    MessageBoxW(owner && IsWindow(owner) ? owner : nullptr, text.c_str(), texts::kAppTitle, MB_OK | MB_ICONHAND);
    PostQuitMessage(exitCode_);
}

void MessageBoxTopLevel::WindowClosed() {
    closed_ = true;
    PostQuitMessage(exitCode_);
}

}  // namespace qv::win32
