#pragma once
// Whether quorvelc, started without arguments, waits for a key after its help: only when a
// person double-clicked it, so that the help does not flash past. A script, a deployment tool
// or a hidden console must never be held.

namespace qv::console {

// What the program can tell about its console.
struct ConsoleFacts {
    bool hasWindow = false;         // GetConsoleWindow() is not NULL; NULL under CREATE_NO_WINDOW
    unsigned long processes = 0;    // processes on the console (GetConsoleProcessList), this one included
    bool inputIsConsole = false;    // standard input is that console, not a pipe, a file or nothing
};

// The longest wait: nobody may be there after all.
inline constexpr unsigned long kKeyWaitMilliseconds = 60 * 1000;

// True only when the console has a window (Windows Terminal's is never shown, yet is there),
// holds this process alone (a console of its own, which closes with it) and is its input.
bool WaitsForKey(const ConsoleFacts& facts);

}  // namespace qv::console
