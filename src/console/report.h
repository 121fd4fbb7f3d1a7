#pragma once
// What quorvelc reports: one item per FILE or NAME, told as text as it comes or gathered into
// one JSON document at the end. Shared by the commands, each in its own file.
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "console/console.h"
#include "console/texts.h"
#include "operations/listed_addin.h"
#include "platform/notice.h"

namespace qv::console {

// One FILE's or NAME's outcome.
struct Item {
    std::wstring target;
    int exit = kExitDone;
    std::wstring message;           // the outcome told in the output's language
    std::string reason = "ok";      // the outcome's stable code
    std::vector<std::wstring> changes;
    std::vector<std::wstring> matches;
    std::wstring fullName;
    bool changed = false;           // false: nothing needed doing
    nlohmann::json details;         // a command's own fields of the item's JSON object; null for none
};

std::string VersionText(const ProgramVersion& v);

class Reporter {
public:
    Reporter(const Options& o, Output& out, std::string version) : o_(o), out_(out), version_(std::move(version)) {}

    Lang lang() const { return o_.lang; }
    std::wstring T(const Text& t) const { return In(o_.lang, t); }
    std::wstring N(const Notice& n) const { return NoticeText(n, o_.lang); }

    // A warning of the layers below, written at once to standard error.
    void Warn(const Notice& n);
    // An item, told at once: a success on standard output, anything else on standard error.
    void Add(Item item);
    // An item kept for the JSON document only; its text is the command's to tell.
    void Record(Item item);
    // A refusal or failure that concerns the whole run (start-up, bad arguments).
    int Stop(int exit, const std::wstring& text, std::string reason);
    // Text for standard output; nothing with --json.
    void Text(const std::wstring& text);
    void SetList(nlohmann::json list) { list_ = std::move(list); }
    // A field of the document's own, beside "addins" and "results".
    void SetField(const std::string& name, nlohmann::json value) { fields_[name] = std::move(value); }
    // Writes the JSON document with --json; gives the run's exit code.
    int Finish();

private:
    struct Warning {
        std::string code;
        std::wstring message;
    };

    const Options& o_;
    Output& out_;
    std::string version_;
    int exit_ = kExitDone;
    std::wstring error_;
    std::string errorReason_;
    std::vector<Item> items_;
    std::vector<Warning> warnings_;
    nlohmann::json list_;
    nlohmann::json fields_ = nlohmann::json::object();
};

// The one add-in NAME names, or the item's refusal (exit 3): not found, or ambiguous with the
// matches named. `hold` keeps the matches alive.
const ListedAddin* Resolve(const Reporter& r, const std::vector<ListedAddin>& list, const std::wstring& name,
                           Item& item, std::vector<ListedAddin>& hold);

}  // namespace qv::console
