// Who the programs run as: another account than the desktop's has its own HKCU and add-in
// folder, so both programs stop before any Excel step.
#include <gtest/gtest.h>

#include <algorithm>

#include "console_world.h"
#include "startup/texts.h"
#include "window/steps.h"

namespace qv {
namespace {

TEST(AnotherAccount, BothProgramsStopBeforeAnyExcelStep) {
    struct Case {
        const char* what;
        AccountFacts facts;
        bool wizardRefuses;
        int consoleExit;
    } cases[] = {
        {"the desktop's own user", {L"PC\\yamada", L"PC\\yamada", L"S-1-5-21-7-1001", L"S-1-5-21-7-1001", false}, false,
         console::kExitDone},
        {"an administrator's credentials", {L"PC\\admin", L"PC\\yamada", L"S-1-5-21-7-500", L"S-1-5-21-7-1001", false}, true,
         console::kExitWrongAccount},
        // a logon task before the shell: the session names a local account of the same name
        // as the domain account the program runs as
        {"a namesake in the session", {L"CORP\\yamada", L"yamada", L"S-1-5-21-9-1104", L"S-1-5-21-7-1001", false}, true,
         console::kExitWrongAccount},
        {"SYSTEM with nobody known at the desktop", {L"NT AUTHORITY\\SYSTEM", std::nullopt, L"S-1-5-18", std::nullopt, true},
         false, console::kExitWrongAccount},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake::World w;
        w.accounts.facts = c.facts;
        w.sys.runtimeFolder = L"C:\\Windows\\SysWOW64";
        w.fs.files[L"C:\\Windows\\SysWOW64\\MSVBVM60.DLL"] = L"";
        WizardStartup dialogue(w.msg);
        EXPECT_EQ(Main(w.svc, w.st, dialogue), c.wizardRefuses ? StartupOutcome::Refused : StartupOutcome::ShowWindow);
        if (c.wizardRefuses) {
            ASSERT_EQ(w.msg.shown.size(), 1u);
            EXPECT_EQ(w.msg.shown[0].text, texts::kOtherAccount1 + c.facts.own + texts::kOtherAccount2);
            EXPECT_EQ(w.msg.shown[0].flags, kMbCritical);
            EXPECT_TRUE(w.excel.log.empty()) << "not even the running-Excel probe";
        }

        console::ConsoleWorld k;
        k.w.accounts.facts = c.facts;
        EXPECT_EQ(k.Run({L"list"}), c.consoleExit);
        if (c.consoleExit == console::kExitWrongAccount) {
            EXPECT_TRUE(k.w.excel.log.empty());
            EXPECT_NE(k.out.err.find(c.facts.own), std::wstring::npos);
        }
    }
}

}  // namespace
}  // namespace qv
