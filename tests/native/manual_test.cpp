#include <gtest/gtest.h>

#include "window/texts.h"
#include "fakes.h"

namespace qv {
namespace {

class ThrowingShell : public Shell {
public:
    bool OpenDocument(const std::wstring&) override { throw Failure(L"shell", L"no association", 31); }
};

class ThrowingSystem : public fake::FakeSystem {
public:
    std::wstring ProgramFolder() override { throw std::runtime_error("no module name"); }
};

// The manual beside the program is handed to the shell; an absent file or a shell without a
// viewer shows nothing.
TEST(Manual, OpensTheManualBesideTheProgramAndAnAbsentOneShowsNothing) {
    for (bool opens : {true, false}) {
        fake::World w;
        w.sys.programFolder = L"C:\\Program Files\\Quorvel";
        w.shell.result = opens;
        EXPECT_NO_THROW(w.win.cmdMANUAL_Click());
        EXPECT_EQ(w.shell.opened, std::vector<std::wstring>{std::wstring(L"C:\\Program Files\\Quorvel") + texts::kManualFile});
        EXPECT_EQ(w.shell.opened[0], L"C:\\Program Files\\Quorvel\\操作説明.pdf");
        EXPECT_TRUE(w.msg.shown.empty());
        EXPECT_TRUE(w.excel.log.empty());
        EXPECT_FALSE(w.ui.closed);
    }
}

TEST(Manual, EveryFailureIsSwallowed) {
    fake::World w;
    ThrowingShell shell;
    ThrowingSystem sys;
    WindowServices throwingShell{{w.launcher, w.fs, w.reg, w.drives, w.details, w.sys, w.accounts}, w.msg, w.clip, shell, w.busy};
    WindowServices throwingSys{{w.launcher, w.fs, w.reg, w.drives, w.details, sys, w.accounts}, w.msg, w.clip, w.shell, w.busy};
    for (WindowServices* svc : {&throwingShell, &throwingSys}) {
        MainWindow win(*svc, w.st, w.ui);
        EXPECT_NO_THROW(win.cmdMANUAL_Click());
    }
    EXPECT_TRUE(w.shell.opened.empty());
    EXPECT_TRUE(w.msg.shown.empty());
}

}  // namespace
}  // namespace qv
