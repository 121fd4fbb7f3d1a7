#include "console/options.h"

#include <optional>
#include <set>
#include <utility>

namespace qv::console {

namespace {

bool TakesOperands(const std::wstring& command, size_t n, std::wstring& error) {
    static const std::set<std::wstring> many{L"install", L"on", L"off", L"remove", L"status"};
    if (command == L"list" || command == L"tidy") {
        if (n != 0) error = L"'" + command + L"' takes no operand";
    } else if (command == L"where") {
        if (n != 1) error = L"'where' takes exactly one NAME";
    } else if (command == L"doctor") {
        // any number of NAMEs, none meaning every listed add-in
    } else if (many.count(command)) {
        if (n == 0) error = L"'" + command + L"' needs at least one " + (command == L"install" ? L"FILE" : L"NAME");
    } else {
        error = L"unknown command '" + command + L"'";
    }
    return error.empty();
}

// The value of an option given as "--name VALUE" or "--name=VALUE"; nothing when `a` is
// another option, or when the value is missing (then `error` says so).
std::optional<std::wstring> OptionValue(const std::vector<std::wstring>& args, size_t& i, const std::wstring& name,
                                        const wchar_t* needs, std::wstring& error) {
    const std::wstring& a = args[i];
    if (a == name) {
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = name + L" needs " + needs;
            return std::nullopt;
        }
        return args[++i];
    }
    if (a.rfind(name + L"=", 0) != 0) return std::nullopt;
    if (a.size() == name.size() + 1) error = name + L" needs " + needs;
    return a.substr(name.size() + 1);
}

// The switch an option without a value sets; nullptr for any other argument.
bool Options::*FlagOf(const std::wstring& a) {
    static const std::pair<const wchar_t*, bool Options::*> kFlags[] = {
        {L"--json", &Options::json},       {L"--dry-run", &Options::dryRun},
        {L"--allow-newer-excel", &Options::allowNewerExcel}, {L"--version", &Options::version},
        {L"--utf8", &Options::utf8},       {L"--unblock", &Options::unblock},
        {L"--if-present", &Options::ifPresent}, {L"--permanent", &Options::permanent},
    };
    for (const auto& [name, flag] : kFlags)
        if (a == name) return flag;
    return nullptr;
}

bool IsOption(const std::wstring& a, const std::wstring& name) { return a == name || a.rfind(name + L"=", 0) == 0; }

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
        } else if (bool Options::*flag = FlagOf(a)) {
            o.*flag = true;
        } else if (IsOption(a, L"--sha256")) {
            o.sha256 = OptionValue(args, i, L"--sha256", L"64 hexadecimal digits", p.error);
            if (!p.error.empty()) return p;
            if (o.sha256->size() != 64 || o.sha256->find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos) {
                p.error = L"--sha256 takes 64 hexadecimal digits, not '" + *o.sha256 + L"'";
                return p;
            }
        } else if (IsOption(a, L"--lang")) {
            const std::wstring v = OptionValue(args, i, L"--lang", L"a value (ja or en)", p.error).value_or(L"");
            if (!p.error.empty()) return p;
            if (v == L"ja") o.lang = Lang::Ja;
            else if (v == L"en") o.lang = Lang::En;
            else { p.error = L"--lang takes ja or en, not '" + v + L"'"; return p; }
        } else if (IsOption(a, L"--timeout")) {
            const std::wstring v = OptionValue(args, i, L"--timeout", L"a number of seconds", p.error).value_or(L"");
            if (!p.error.empty()) return p;
            // 1 to 86400 seconds: a day is longer than any add-in's message should keep a fleet waiting.
            const bool digits = !v.empty() && v.size() <= 5 && v.find_first_not_of(L"0123456789") == std::wstring::npos;
            const int seconds = digits ? std::stoi(v) : 0;
            if (seconds < 1 || seconds > 86400) { p.error = L"--timeout takes 1 to 86400 seconds, not '" + v + L"'"; return p; }
            o.timeoutSeconds = seconds;
        } else if (IsOption(a, L"--folder")) {
            o.folder = OptionValue(args, i, L"--folder", L"user, library or a PATH", p.error);
            if (!p.error.empty()) return p;
        } else {
            p.error = L"unknown option '" + a + L"'";
            return p;
        }
    }
    if (o.help || (o.version && words.empty())) return p;
    if (words.empty()) {
        p.error = L"no command given";
        return p;
    }
    o.command = words[0];
    o.operands.assign(words.begin() + 1, words.end());
    if (!TakesOperands(o.command, o.operands.size(), p.error)) return p;
    if (o.folder && o.command != L"install") p.error = L"--folder belongs to 'install' only";
    else if (o.dryRun && o.command != L"tidy") p.error = L"--dry-run belongs to 'tidy' only";
    else if (o.unblock && o.command != L"install") p.error = L"--unblock belongs to 'install' only";
    else if (o.ifPresent && o.command != L"remove") p.error = L"--if-present belongs to 'remove' only";
    else if (o.permanent && o.command != L"remove") p.error = L"--permanent belongs to 'remove' only";
    else if (o.sha256 && (o.command != L"status" || o.operands.size() != 1))
        p.error = L"--sha256 belongs to 'status' with one NAME";
    return p;
}

}  // namespace qv::console
