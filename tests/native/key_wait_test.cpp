// quorvelc's key wait after its help, over the facts it can read about its console.
#include <gtest/gtest.h>

#include "console/key_wait.h"

namespace {

using qv::console::ConsoleFacts;

struct Case {
    const char* how;
    ConsoleFacts facts;
    bool waits;
};

TEST(KeyWait, OnlyAPersonsOwnConsoleWaits) {
    const Case cases[] = {
        {"double-click, classic console window", {true, 1, true}, true},
        // Windows 11's default console: its window handle exists but is never shown.
        {"double-click, Windows Terminal", {true, 1, true}, true},
        {"typed in cmd or PowerShell (their console, shared)", {true, 2, true}, false},
        {"started by a batch file in a console", {true, 3, true}, false},
        {"CREATE_NO_WINDOW: a console without a window", {false, 1, true}, false},
        {"DETACHED_PROCESS: no console at all", {false, 0, false}, false},
        {"own console, input from a pipe or a file", {true, 1, false}, false},
        {"own console, no process counted (the call failed)", {true, 0, true}, false},
        {"hidden console, input redirected", {false, 1, false}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(qv::console::WaitsForKey(c.facts), c.waits) << c.how;
}

TEST(KeyWait, TheWaitIsBounded) { EXPECT_EQ(qv::console::kKeyWaitMilliseconds, 60000u); }

}  // namespace
