#include "console/options.h"

#include <set>

namespace qv::console {

namespace {

bool TakesOperands(const std::wstring& command, size_t n, std::wstring& error) {
    static const std::set<std::wstring> many{L"install", L"on", L"off", L"remove"};
    if (command == L"list" || command == L"tidy") {
        if (n != 0) error = L"'" + command + L"' takes no operand";
    } else if (command == L"where") {
        if (n != 1) error = L"'where' takes exactly one NAME";
    } else if (many.count(command)) {
        if (n == 0) error = L"'" + command + L"' needs at least one " + (command == L"install" ? L"FILE" : L"NAME");
    } else {
        error = L"unknown command '" + command + L"'";
    }
    return error.empty();
}

}  // namespace

Parsed ParseArguments(const std::vector<std::wstring>& args) {
    Parsed p;
    Options& o = p.options;
    std::vector<std::wstring> words;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (optionsEnded || a.empty() || a[0] != L'-' || a == L"-") {
            words.push_back(a);
        } else if (a == L"--") {
            optionsEnded = true;
        } else if (a == L"--help" || a == L"-h" || a == L"/?") {
            o.help = true;
        } else if (a == L"--json") {
            o.json = true;
        } else if (a == L"--dry-run") {
            o.dryRun = true;
        } else if (a == L"--allow-newer-excel") {
            o.allowNewerExcel = true;
        } else if (a == L"--lang" || a.rfind(L"--lang=", 0) == 0) {
            std::wstring v;
            if (a == L"--lang") {
                if (i + 1 >= args.size()) { p.error = L"--lang needs a value (ja or en)"; return p; }
                v = args[++i];
            } else {
                v = a.substr(7);
            }
            if (v == L"ja") o.lang = Lang::Ja;
            else if (v == L"en") o.lang = Lang::En;
            else { p.error = L"--lang takes ja or en, not '" + v + L"'"; return p; }
        } else if (a == L"--timeout" || a.rfind(L"--timeout=", 0) == 0) {
            std::wstring v;
            if (a == L"--timeout") {
                if (i + 1 >= args.size()) { p.error = L"--timeout needs a number of seconds"; return p; }
                v = args[++i];
            } else {
                v = a.substr(10);
            }
            // 1 to 86400 seconds: a day is longer than any add-in's message should keep a fleet waiting.
            const bool digits = !v.empty() && v.size() <= 5 && v.find_first_not_of(L"0123456789") == std::wstring::npos;
            const int seconds = digits ? std::stoi(v) : 0;
            if (seconds < 1 || seconds > 86400) { p.error = L"--timeout takes 1 to 86400 seconds, not '" + v + L"'"; return p; }
            o.timeoutSeconds = seconds;
        } else if (a == L"--folder" || a.rfind(L"--folder=", 0) == 0) {
            if (a == L"--folder") {
                if (i + 1 >= args.size() || args[i + 1].empty()) { p.error = L"--folder needs user, library or a PATH"; return p; }
                o.folder = args[++i];
            } else {
                o.folder = a.substr(9);
                if (o.folder->empty()) { p.error = L"--folder needs user, library or a PATH"; return p; }
            }
        } else {
            p.error = L"unknown option '" + a + L"'";
            return p;
        }
    }
    if (o.help) return p;
    if (words.empty()) {
        p.error = L"no command given";
        return p;
    }
    o.command = words[0];
    o.operands.assign(words.begin() + 1, words.end());
    if (!TakesOperands(o.command, o.operands.size(), p.error)) return p;
    if (o.folder && o.command != L"install") p.error = L"--folder belongs to 'install' only";
    else if (o.dryRun && o.command != L"tidy") p.error = L"--dry-run belongs to 'tidy' only";
    return p;
}

}  // namespace qv::console
