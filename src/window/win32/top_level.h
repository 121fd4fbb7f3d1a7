#pragma once
// Where a failure that no handler catches ends up, and what ends the program.
#include <windows.h>

#include "window/failure_report.h"

namespace qv::win32 {

class TopLevel {
public:
    virtual ~TopLevel() = default;
    // Tells the user what failed and marks the program to end. The caller then destroys
    // its window, if it has one; `owner` may be null.
    virtual void ReportAndExit(HWND owner, const FailureInfo& failure) = 0;
    // The main window is gone: the program ends.
    virtual void WindowClosed() = 0;
};

// The program's own: a critical message box titled with the program's name, then the
// end of the message loop.
class MessageBoxTopLevel : public TopLevel {
public:
    void ReportAndExit(HWND owner, const FailureInfo& failure) override;
    void WindowClosed() override;
    int ExitCode() const { return exitCode_; }
    bool Reported() const { return exitCode_ != 0; }
    // The window went, by a close request or a failure.
    bool Closed() const { return closed_; }

private:
    int exitCode_ = 0;
    bool closed_ = false;
};

}  // namespace qv::win32
