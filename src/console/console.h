#pragma once
// quorvelc: the wizard's operations for scripts and deployment tools, with no window.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console/options.h"
#include "startup/services.h"

namespace qv::console {

enum ExitCode {
    kExitDone = 0,               // done, nothing to do, detected (status), healthy (doctor)
    kExitNo = 1,                 // not detected (status), something found wrong (doctor)
    kExitBadArguments = 2,
    kExitNotFound = 3,           // not found, or ambiguous
    kExitFailedUnchanged = 4,
    kExitFailedAfterChange = 5,
    kExitWrongAccount = 6,       // another user's account, or LocalSystem
    kExitCannotRun = 7,          // Excel missing or not startable, or its version not allowed
    kExitTryLater = 1618,        // the user's Excel runs, or the program's own has not ended
};

// The run's exit code when targets met `a` and `b`: the first of 6, 7, 2, 5, 1618, 4, 3, 1, 0,
// so that what needs a person comes before what a retry mends, and that before a plain "no".
int WorseExit(int a, int b);

// Where quorvelc writes: whole texts, each ending with a line feed where it needs one.
class Output {
public:
    virtual ~Output() = default;
    virtual void Out(const std::wstring& text) = 0;
    virtual void Err(const std::wstring& text) = 0;
};

// What quorvelc needs beyond the services: whether two files hold the same bytes. Files are
// read sharing everything, since the user's Excel holds the add-ins it has switched on open.
struct World {
    Services& svc;
    std::function<bool(const std::wstring&, const std::wstring&)> sameContents;
    // A path as given on the command line made full; none leaves paths as they are.
    std::function<std::wstring(const std::wstring&)> fullPath;
    // A file's SHA-256 in lower-case hexadecimal; nullopt when it cannot be read.
    std::function<std::optional<std::string>(const std::wstring&)> sha256{};
};

// Runs the parsed command line and gives the exit code.
int Run(World& world, const Options& options, Output& out);

// Parses and runs; bad arguments give their text and exit code 2.
int Main(World& world, const std::vector<std::wstring>& args, Output& out);

}  // namespace qv::console
