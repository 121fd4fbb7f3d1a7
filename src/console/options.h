#pragma once
// quorvelc's command line: the command, its operands and the options.
#include <optional>
#include <string>
#include <vector>

namespace qv::console {

enum class Lang { Ja, En };

struct Options {
    std::wstring command;                 // list, install, on, off, remove, tidy, where, status, doctor;
                                          // empty with --help or --version
    std::vector<std::wstring> operands;   // FILEs or NAMEs
    std::optional<std::wstring> folder;   // --folder user|library|PATH
    bool json = false;
    bool dryRun = false;
    bool allowNewerExcel = false;
    bool help = false;
    bool version = false;
    bool utf8 = false;                    // --utf8: pipes and files get UTF-8 whatever the code page
    bool unblock = false;                 // install --unblock: the copy carries no mark of the web
    bool ifPresent = false;               // remove --if-present: an add-in not listed counts as done
    bool permanent = false;               // remove --permanent: the file is deleted, not recycled
    std::optional<std::wstring> sha256;   // status NAME --sha256 HEX
    Lang lang = Lang::Ja;
    // --timeout SECONDS: how long a call to Excel may go unanswered before quorvelc ends that Excel.
    int timeoutSeconds = 120;
};

struct Parsed {
    Options options;
    std::wstring error;  // the console's own text, in English; empty when the arguments are good
};

// argv without the program's name. Options may stand anywhere; "--" ends them.
Parsed ParseArguments(const std::vector<std::wstring>& args);

}  // namespace qv::console
