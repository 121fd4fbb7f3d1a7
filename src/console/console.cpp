#include "console/console.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include <nlohmann/json.hpp>

#include "console/texts.h"
#include "console/utf8.h"
#include "fileinfo/addin_details.h"
#include "operations/addin_rules.h"
#include "startup/excel_start.h"
#include "operations/operations.h"
#include "operations/texts.h"
#include "platform/paths.h"
#include "startup/startup.h"
#include "startup/texts.h"
#include "platform/failure_info.h"

namespace qv::console {

namespace {

using nlohmann::json;

// One FILE's or NAME's outcome.
struct Item {
    std::wstring target;
    int exit = kExitDone;
    std::wstring message;           // the outcome told in the output's language
    std::vector<std::wstring> changes;
    std::vector<std::wstring> matches;
    std::wstring fullName;
    bool changed = false;           // false: nothing needed doing
};

class Reporter {
public:
    Reporter(const Options& o, Output& out, WarningBoxes& warnings) : o_(o), out_(out), warnings_(warnings) {}

    Lang lang() const { return o_.lang; }
    std::wstring T(const Text& t) const { return In(o_.lang, t); }
    std::wstring W(const std::wstring& wizardText) const { return Translate(wizardText, o_.lang); }

    void Add(Item item) {
        TakeWarnings();
        exit_ = std::max(exit_, item.exit);
        if (!o_.json) {
            std::wstring text = item.message;
            for (const auto& m : item.matches) text += L"\n  " + m;
            if (!item.changes.empty() && item.exit != kExitDone) {
                text += L"\n" + T(texts::kChanged);
                for (size_t i = 0; i < item.changes.size(); ++i) text += (i ? L", " : L"") + item.changes[i];
            }
            if (item.exit == kExitDone) out_.Out(text + L"\n");
            else out_.Err(text + L"\n");
        }
        items_.push_back(std::move(item));
    }

    // A refusal or failure that concerns the whole run (start-up, bad arguments).
    int Stop(int exit, const std::wstring& text) {
        TakeWarnings();
        exit_ = std::max(exit_, exit);
        error_ = text;
        if (!o_.json) out_.Err(text + L"\n");
        return Finish();
    }

    void Text(const std::wstring& text) {
        if (!o_.json) out_.Out(text);
    }

    void SetList(json list) { list_ = std::move(list); }

    int Finish() {
        TakeWarnings();
        if (o_.json) {
            json doc;
            doc["command"] = ToUtf8(o_.command);
            doc["exitCode"] = exit_;
            if (!error_.empty()) doc["error"] = ToUtf8(error_);
            if (!list_.is_null()) doc["addins"] = list_;
            json results = json::array();
            for (const auto& i : items_) {
                json r;
                r["target"] = ToUtf8(i.target);
                r["exitCode"] = i.exit;
                r["changed"] = i.changed;
                r["message"] = ToUtf8(i.message);
                if (!i.fullName.empty()) r["fullName"] = ToUtf8(i.fullName);
                json changes = json::array();
                for (const auto& c : i.changes) changes.push_back(ToUtf8(c));
                r["changes"] = changes;
                if (!i.matches.empty()) {
                    json m = json::array();
                    for (const auto& x : i.matches) m.push_back(ToUtf8(x));
                    r["matches"] = m;
                }
                results.push_back(r);
            }
            doc["results"] = results;
            json w = json::array();
            for (const auto& x : warningsSeen_) w.push_back(ToUtf8(x));
            doc["warnings"] = w;
            out_.Out(FromUtf8(doc.dump(2)) + L"\n");
        }
        return exit_;
    }

private:
    void TakeWarnings() {
        for (auto& w : warnings_.TakeWarnings()) {
            std::wstring text = W(w);
            if (!o_.json) out_.Err(text + L"\n");
            warningsSeen_.push_back(std::move(text));
        }
    }

    const Options& o_;
    Output& out_;
    WarningBoxes& warnings_;
    int exit_ = kExitDone;
    std::wstring error_;
    std::vector<Item> items_;
    std::vector<std::wstring> warningsSeen_;
    json list_;
};

std::wstring Describe(const Reporter& r, Change c) {
    switch (c) {
        case Change::OldVersionOff: return r.T(texts::kChangeOldVersionOff);
        case Change::OldVersionBackOn: return r.T(texts::kChangeOldVersionBackOn);
        case Change::FileCopied: return r.T(texts::kChangeFileCopied);
        case Change::Added: return r.T(texts::kChangeAdded);
        case Change::SwitchedOn: return r.T(texts::kChangeSwitchedOn);
        case Change::SwitchedOff: return r.T(texts::kChangeSwitchedOff);
        case Change::FileDeleted: return r.T(texts::kChangeFileDeleted);
        case Change::RegistryValueDeleted: return r.T(texts::kChangeRegistry);
    }
    return L"";
}

// Whether what the journal holds leaves anything changed: an old version switched off and
// back on again is as it was.
bool AnythingChanged(const Changes& journal) {
    int offAndOn = 0;
    for (Change c : journal) {
        if (c == Change::OldVersionOff) ++offAndOn;
        else if (c == Change::OldVersionBackOn) --offAndOn;
        else return true;
    }
    return offAndOn != 0;
}

// A refusal or failure, coded by whether anything had changed before it.
void Fail(const Reporter& r, Item& item, const Changes& journal, const std::wstring& text) {
    item.message = text;
    item.changed = AnythingChanged(journal);
    item.exit = item.changed ? kExitFailedAfterChange : kExitFailedUnchanged;
    if (item.changed)
        for (Change c : journal) item.changes.push_back(Describe(r, c));
}

std::wstring FailureText(const Reporter& r) {
    FailureInfo f = DescribeCurrentException();
    std::wstring text = r.T(texts::kFailed) + r.W(f.operation);
    if (!f.detail.empty()) text += L": " + r.W(f.detail);
    if (f.code != 0) text += L" (" + HexCode(f.code) + L")";
    return text;
}

// Runs `step`; a failure it throws becomes the item's outcome. Another Excel running is the
// same refusal as at the start.
template <class Step>
void Guarded(const Reporter& r, Item& item, Changes& journal, Step&& step) {
    try {
        step();
    } catch (const StepRefused& refused) {
        Fail(r, item, journal, r.W(refused.Text()));
        if (refused.Kind() == RefusalKind::OtherExcel && item.exit == kExitFailedUnchanged) item.exit = kExitStartupRefused;
    } catch (...) {
        Fail(r, item, journal, FailureText(r));
    }
}

// A step carried out: the wizard's completion text, and what changed.
void Succeed(const Reporter& r, Item& item, const Changes& journal, const std::wstring& name, const wchar_t* ending) {
    item.changed = true;
    item.message = r.W(std::wstring(qv::texts::kOpenQuote) + name + ending);
    for (Change c : journal) item.changes.push_back(Describe(r, c));
}

// The one add-in NAME names, or the item's refusal (exit 3).
const ListedAddin* Resolve(const Reporter& r, const std::vector<ListedAddin>& list, const std::wstring& name,
                           Item& item, std::vector<ListedAddin>& hold) {
    hold = MatchName(list, name);
    if (hold.size() == 1) return &hold[0];
    item.exit = kExitNotFound;
    if (hold.empty()) {
        item.message = r.T(texts::kNotFound) + name;
    } else {
        item.message = r.T(texts::kAmbiguous) + name + L"\n" + r.T(texts::kAskFullPath);
        for (const auto& a : hold) item.matches.push_back(a.FullName() + L"  (" + a.Title() + L")");
    }
    return nullptr;
}

json ListJson(const std::vector<ListedAddin>& list, const excel::Facts& facts) {
    json arr = json::array();
    for (const auto& a : list) {
        arr.push_back({{"title", ToUtf8(a.Title())},
                       {"name", ToUtf8(a.Name())},
                       {"fullName", ToUtf8(a.FullName())},
                       {"folder", ToUtf8(a.Path())},
                       {"installed", a.Installed()},
                       {"fileExists", a.FileExists()},
                       {"inDefaultFolder", IsDefaultFolder(facts, a.Path())}});
    }
    return arr;
}

void List(Reporter& r, const excel::Facts& facts, const std::vector<ListedAddin>& list) {
    r.SetList(ListJson(list, facts));
    std::wstring text;
    for (const auto& a : list) {
        text += a.Title() + L"\n";
        text += L"    " + a.FullName() + L"\n";
        text += L"    " + a.Name() + L" | " + a.Path() + L" | " + r.T(a.Installed() ? texts::kOn : texts::kOff) + L" | " +
                r.T(a.FileExists() ? texts::kFileThere : texts::kFileGone) + L" | " +
                r.T(IsDefaultFolder(facts, a.Path()) ? texts::kDefaultFolder : texts::kOtherFolder) + L"\n";
    }
    if (list.empty()) text = r.T(texts::kNoCandidates) + std::wstring(L"\n");
    r.Text(text);
}

// The destination folder of a new install, or the refusal's text.
bool NewInstallFolder(const Options& o, const excel::Facts& facts, std::wstring& folder, std::wstring& refusal,
                      const Reporter& r) {
    if (!o.folder || *o.folder == L"user") {
        if (o.folder && facts.userFolder.empty()) {
            refusal = r.T(texts::kNoUserFolder);
            return false;
        }
        folder = facts.userFolder.empty() ? facts.libraryFolder : facts.userFolder;
    } else if (*o.folder == L"library") {
        folder = facts.libraryFolder;
    } else {
        folder = *o.folder;
    }
    return true;
}

void InstallOne(World& w, Reporter& r, const Options& o, const excel::Facts& facts, const std::wstring& source) {
    Item item;
    item.target = source;
    Changes journal;
    Guarded(r, item, journal, [&] {
        Services& svc = w.svc;
        if (!excel::IsXlaName(source)) {
            item.exit = kExitBadArguments;
            item.message = r.W(qv::texts::kUnsupportedFile1 + source + qv::texts::kUnsupportedFile2);
            return;
        }
        if (!svc.fs.FileExists(source)) {
            item.exit = kExitNotFound;
            item.message = r.T(texts::kFileNotFound) + source;
            return;
        }
        const std::wstring fileName = paths::FileNamePart(source);
        const auto list = ReadAddinList(svc);
        const auto oldAt = std::find_if(list.begin(), list.end(), [&](const ListedAddin& a) { return IsOldVersion(a, fileName); });
        const ListedAddin* old = oldAt == list.end() ? nullptr : &*oldAt;

        const std::wstring title = GetAddinFileTitle(svc.details, w.warnings, source);
        if (!title.empty() &&
            std::any_of(list.begin(), list.end(), [&](const ListedAddin& a) { return TakesTitle(a, title, fileName); })) {
            Fail(r, item, journal, r.W(qv::texts::kTitleConflict));
            return;
        }

        InstallRequest req;
        req.source = source;
        req.facts = facts;
        req.journal = &journal;
        std::wstring refusal;
        if (old) {
            req.oldFolder = old->Path();
            req.folder = old->Path();
            if (o.folder) {
                std::wstring asked;
                NewInstallFolder(o, facts, asked, refusal, r);
                if (!paths::EqualNoCase(paths::WithRootSeparator(paths::WithoutClosingSeparator(asked)),
                                        paths::WithRootSeparator(old->Path()))) {
                    Fail(r, item, journal, r.T(texts::kVersionUpElsewhere) + paths::WithRootSeparator(old->Path()));
                    return;
                }
            }
        } else if (!NewInstallFolder(o, facts, req.folder, refusal, r)) {
            Fail(r, item, journal, refusal);
            return;
        } else if (o.folder && *o.folder != L"user" && *o.folder != L"library") {
            // A folder of one's own passes the browse button's drive rule; the wizard offers a
            // network file's own folder without it.
            const auto share = OwnShareFolder(source);
            const bool ownShareFolder = share && paths::EqualNoCase(req.folder, *share);
            if (auto bad = ownShareFolder ? std::nullopt : CheckFolderDrive(svc.drives, req.folder)) {
                Fail(r, item, journal, r.W(*bad));
                return;
            }
        }
        if (auto bad = CheckInstallFolder(svc.fs, req.folder, old != nullptr)) {
            Fail(r, item, journal, r.W(*bad));
            return;
        }

        // Already there, byte for byte, listed and switched on: nothing to do.
        const std::wstring destination = paths::JoinFolder(req.folder, fileName);
        for (const auto& a : list) {
            if (a.FullName() == destination && a.Installed() && a.FileExists() &&
                (destination == source || w.sameContents(source, destination))) {
                item.message = r.T(texts::kNothingToDo) + destination;
                item.fullName = destination;
                return;
            }
        }

        InstallResult result = InstallAddin(svc, req);
        if (!result.done) {
            Fail(r, item, journal, r.W(result.refusal));
            return;
        }
        item.fullName = result.fullName;
        Succeed(r, item, journal, title, qv::texts::kInstallDone);
    });
    r.Add(std::move(item));
}

// One NAME in turn: it is resolved against a fresh list, then `act` works on the add-in it names.
// The item is reported whatever happens.
template <class Act>
void ForNamedAddin(World& w, Reporter& r, const std::wstring& name, Act&& act) {
    Item item;
    item.target = name;
    Changes journal;
    Guarded(r, item, journal, [&] {
        std::vector<ListedAddin> hold;
        const auto list = ReadAddinList(w.svc);
        const ListedAddin* a = Resolve(r, list, name, item, hold);
        if (!a) return;
        item.fullName = a->FullName();
        act(*a, item, journal);
    });
    r.Add(std::move(item));
}

void SwitchOne(World& w, Reporter& r, const excel::Facts& facts, const std::wstring& name, bool on) {
    ForNamedAddin(w, r, name, [&](const ListedAddin& a, Item& item, Changes& journal) {
        if (a.Installed() == on) {
            item.message = r.T(texts::kNothingToDo) + a.FullName();
            return;
        }
        SetAddinInstalled(w.svc, AddinRequest{a.FullName(), a.Title(), facts, &journal}, on);
        Succeed(r, item, journal, a.Title(), on ? qv::texts::kInstallDone : qv::texts::kUninstallDone);
    });
}

const Text& NotRemovableText(RemovalBar bar) {
    switch (bar) {
        case RemovalBar::NotXlaName: return texts::kNotRemovableName;
        case RemovalBar::FileNotThere: return texts::kNotRemovableMissing;
        case RemovalBar::Microsofts: break;
    }
    return texts::kNotRemovableMicrosoft;
}

void RemoveOne(World& w, Reporter& r, const excel::Facts& facts, const std::wstring& name) {
    ForNamedAddin(w, r, name, [&](const ListedAddin& a, Item& item, Changes& journal) {
        // What the wizard's removal modes never offer, refused.
        if (auto bar = RemovalBarOf(a, w.svc.details)) return Fail(r, item, journal, r.T(NotRemovableText(*bar)) + a.FullName());
        const AddinRequest req{a.FullName(), a.Title(), facts, &journal};
        RemovalResult result = a.Installed() ? RemoveActiveAddin(w.svc, req) : RemoveInactiveAddin(w.svc, req);
        // The wizard's text names its buttons; quorvelc has none.
        if (!result.done && result.reason == RemovalRefusal::SwitchedOn)
            return Fail(r, item, journal, r.T(texts::kRemoveSwitchedOn) + a.FullName());
        if (!result.done) return Fail(r, item, journal, r.W(result.refusal));
        Succeed(r, item, journal, a.Title(), a.Installed() ? qv::texts::kUninstallDone : qv::texts::kDeleteDone);
    });
}

void Tidy(World& w, Reporter& r, const excel::Facts& facts, bool dryRun) {
    std::vector<ListedAddin> gone;
    {
        Item item;
        Changes journal;
        bool ok = true;
        Guarded(r, item, journal, [&] {
            for (const auto& a : ReadAddinList(w.svc))
                if (IsTidyCandidate(a)) gone.push_back(a);
        });
        if (item.exit != kExitDone) ok = false;
        if (!ok) return r.Add(std::move(item));
    }
    if (dryRun) {
        r.SetList(ListJson(gone, facts));
        std::wstring text = gone.empty() ? r.T(texts::kNoCandidates) + std::wstring(L"\n")
                                         : r.T(texts::kTidyCandidates) + std::wstring(L"\n");
        for (const auto& a : gone) text += L"  " + a.Title() + L"  " + a.FullName() + L"\n";
        r.Text(text);
        return;
    }
    if (gone.empty()) r.Text(r.T(texts::kNoCandidates) + std::wstring(L"\n"));
    for (const auto& a : gone) {
        Item item;
        item.target = a.FullName();
        item.fullName = a.FullName();
        Changes journal;
        Guarded(r, item, journal, [&] {
            RemovalResult result = TidyMissingAddin(w.svc, AddinRequest{a.FullName(), a.Title(), facts, &journal});
            if (!result.done) return Fail(r, item, journal, r.W(result.refusal));
            Succeed(r, item, journal, a.Title(), qv::texts::kDeleteDone);
        });
        r.Add(std::move(item));
    }
}

void Where(World& w, Reporter& r, const std::wstring& name) {
    ForNamedAddin(w, r, name, [](const ListedAddin& a, Item& item, Changes&) { item.message = a.FullName(); });
}

}  // namespace

int WarningBoxes::Show(const std::wstring& text, const std::wstring&, int flags) {
    warnings_.push_back(text);
    return flags == kMbYesNoQuestion ? kIdNo : 1;
}

std::vector<std::wstring> WarningBoxes::TakeWarnings() { return std::exchange(warnings_, {}); }

int Run(World& w, const Options& given, Output& out) {
    // Relative FILEs and a --folder PATH are taken from the current folder, as a shell user means them.
    Options o = given;
    if (o.command == L"install" && w.fullPath) {
        for (auto& f : o.operands) f = w.fullPath(f);
        if (o.folder && *o.folder != L"user" && *o.folder != L"library") o.folder = w.fullPath(*o.folder);
    }
    Reporter r(o, out, w.warnings);
    if (o.help) {
        out.Out(HelpText(o.lang));
        return kExitDone;
    }
    excel::Facts facts;
    try {
        // The user's own Excel is neither shown nor asked to quit: a logon script must not
        // close it. It is only let go.
        if (auto other = OtherExcelRefusal(w.svc)) return r.Stop(kExitStartupRefused, r.W(*other));
        const ExcelStart start = ReadExcelFacts(w.svc.excel, [&] { return o.allowNewerExcel; });
        if (start.verdict == VersionVerdict::TooOld)
            return r.Stop(kExitStartupRefused, r.W(qv::texts::kVersionUnsupported));
        if (start.verdict == VersionVerdict::NewerDeclined)
            return r.Stop(kExitStartupRefused, r.W(qv::texts::kVersionUnsupported) + L"\n" + r.T(texts::kNewerExcelHint));
        facts = start.facts;
    } catch (const excel::EarlierExcelAlive& e) {
        return r.Stop(kExitFailedUnchanged, r.W(EarlierExcelAliveText(e.ProcessId())));
    } catch (...) {
        return r.Stop(kExitStartupRefused, FailureText(r));
    }

    if (o.command == L"list") {
        Item item;
        Changes journal;
        Guarded(r, item, journal, [&] { List(r, facts, ReadAddinList(w.svc)); });
        if (item.exit != kExitDone) r.Add(std::move(item));
    } else if (o.command == L"install") {
        for (const auto& f : o.operands) InstallOne(w, r, o, facts, f);
    } else if (o.command == L"on" || o.command == L"off") {
        for (const auto& n : o.operands) SwitchOne(w, r, facts, n, o.command == L"on");
    } else if (o.command == L"remove") {
        for (const auto& n : o.operands) RemoveOne(w, r, facts, n);
    } else if (o.command == L"tidy") {
        Tidy(w, r, facts, o.dryRun);
    } else if (o.command == L"where") {
        Where(w, r, o.operands[0]);
    }
    return r.Finish();
}

int Main(World& w, const std::vector<std::wstring>& args, Output& out) {
    Parsed p = ParseArguments(args);
    if (p.error.empty()) return Run(w, p.options, out);
    Reporter r(p.options, out, w.warnings);
    return r.Stop(kExitBadArguments,
                  r.T(texts::kBadArguments) + p.error + L"\n" + r.T(texts::kSeeHelp));
}

}  // namespace qv::console
