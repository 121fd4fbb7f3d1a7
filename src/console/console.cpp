#include "console/console.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include <nlohmann/json.hpp>

#include "console/doctor.h"
#include "console/report.h"
#include "console/status.h"
#include "console/texts.h"
#include "console/utf8.h"
#include "fileinfo/addin_details.h"
#include "operations/addin_rules.h"
#include "startup/excel_start.h"
#include "operations/operations.h"
#include "operations/texts.h"
#include "platform/paths.h"
#include "platform/zone_identifier.h"
#include "startup/startup.h"
#include "startup/texts.h"
#include "platform/account.h"
#include "platform/failure_info.h"

namespace qv::console {

namespace {

using nlohmann::json;

std::wstring Describe(const Reporter& r, Change c) {
    switch (c) {
        case Change::OldVersionOff: return r.T(texts::kChangeOldVersionOff);
        case Change::OldVersionBackOn: return r.T(texts::kChangeOldVersionBackOn);
        case Change::FileCopied: return r.T(texts::kChangeFileCopied);
        case Change::Added: return r.T(texts::kChangeAdded);
        case Change::SwitchedOn: return r.T(texts::kChangeSwitchedOn);
        case Change::SwitchedOff: return r.T(texts::kChangeSwitchedOff);
        case Change::FileDeleted: return r.T(texts::kChangeFileDeleted);
        case Change::FileRecycled: return r.T(texts::kChangeFileRecycled);
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

bool TryLater(Reason reason) {
    return reason == Reason::ExcelRunning || reason == Reason::HiddenExcelRunning ||
           reason == Reason::EarlierExcelAlive || reason == Reason::ExcelDidNotEnd;
}

// A refusal or failure, coded by whether anything had changed before it.
void Fail(const Reporter& r, Item& item, const Changes& journal, const std::wstring& text, std::string reason) {
    item.message = text;
    item.reason = std::move(reason);
    item.changed = AnythingChanged(journal);
    item.exit = item.changed ? kExitFailedAfterChange : kExitFailedUnchanged;
    if (item.changed)
        for (Change c : journal) item.changes.push_back(Describe(r, c));
}

// A refusal of the layers below. Another Excel, or the program's own that has not ended yet,
// is a reason to try again later, as long as nothing was changed.
void Refuse(const Reporter& r, Item& item, const Changes& journal, const Notice& n) {
    Fail(r, item, journal, r.N(n), ReasonCode(n.reason));
    if (item.exit == kExitFailedUnchanged && TryLater(n.reason)) item.exit = kExitTryLater;
}

std::wstring FailureText(const Reporter& r) {
    FailureInfo f = DescribeCurrentException();
    std::wstring text = r.T(texts::kFailed) + OperationText(f.operation, r.lang());
    if (!f.detail.empty()) text += L": " + DetailText(f.detail, r.lang());
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
        Refuse(r, item, journal, refused.What());
    } catch (...) {
        Fail(r, item, journal, FailureText(r), "failed");
    }
}

// A step carried out: the wizard's completion text, and what changed.
void Succeed(const Reporter& r, Item& item, const Changes& journal, const std::wstring& name, Done done) {
    item.changed = true;
    item.message = DoneText(done, name, r.lang());
    for (Change c : journal) item.changes.push_back(Describe(r, c));
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
bool NewInstallFolder(const Options& o, const excel::Facts& facts, std::wstring& folder) {
    if (!o.folder || *o.folder == L"user") {
        if (o.folder && facts.userFolder.empty()) return false;
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
            Notice n{Reason::UnsupportedFile};
            n.path = source;
            item.exit = kExitBadArguments;
            item.message = r.N(n);
            item.reason = "not-xla";
            return;
        }
        if (!svc.fs.FileExists(source)) {
            item.exit = kExitNotFound;
            item.message = r.T(texts::kFileNotFound) + source;
            item.reason = "not-found";
            return;
        }
        const std::wstring fileName = paths::FileNamePart(source);
        const auto list = ReadAddinList(svc);
        const auto oldAt = std::find_if(list.begin(), list.end(), [&](const ListedAddin& a) { return IsOldVersion(a, fileName); });
        const ListedAddin* old = oldAt == list.end() ? nullptr : &*oldAt;

        const FileTitle read = GetAddinFileTitle(svc.details, source);
        if (read.warning) r.Warn(*read.warning);
        const std::wstring& title = read.title;
        if (!title.empty() &&
            std::any_of(list.begin(), list.end(), [&](const ListedAddin& a) { return TakesTitle(a, title, fileName); })) {
            Notice n{Reason::TitleConflict};
            n.title = title;
            Refuse(r, item, journal, n);
            return;
        }

        InstallRequest req;
        req.source = source;
        req.facts = facts;
        req.journal = &journal;
        if (old) {
            req.oldFolder = old->Path();
            req.folder = old->Path();
            if (o.folder) {
                std::wstring asked;
                NewInstallFolder(o, facts, asked);
                if (!paths::EqualNoCase(paths::WithRootSeparator(paths::WithoutClosingSeparator(asked)),
                                        paths::WithRootSeparator(old->Path()))) {
                    Fail(r, item, journal, r.T(texts::kVersionUpElsewhere) + paths::WithRootSeparator(old->Path()),
                         "version-up-elsewhere");
                    return;
                }
            }
        } else if (!NewInstallFolder(o, facts, req.folder)) {
            Fail(r, item, journal, r.T(texts::kNoUserFolder), "no-user-folder");
            return;
        } else if (o.folder && *o.folder != L"user" && *o.folder != L"library") {
            // A folder of one's own passes the browse button's drive rule; the wizard offers a
            // network file's own folder without it.
            const auto share = OwnShareFolder(source);
            const bool ownShareFolder = share && paths::EqualNoCase(req.folder, *share);
            if (auto bad = ownShareFolder ? std::nullopt : CheckFolderDrive(svc.drives, req.folder)) {
                Refuse(r, item, journal, *bad);
                return;
            }
        }
        if (auto bad = CheckInstallFolder(svc.fs, req.folder, old != nullptr, facts.userFolder)) {
            Refuse(r, item, journal, *bad);
            return;
        }

        // Already there, byte for byte, listed and switched on: nothing to do, unless a mark is
        // still to be taken away.
        const std::wstring destination = paths::JoinFolder(req.folder, fileName);
        const ZoneStream destinationMark = svc.fs.ReadZoneStream(destination);
        const bool unblockDue = o.unblock && destinationMark.state == StreamState::Present &&
                                IsMarkedFromInternet(ZoneIdOf(destinationMark.text));
        for (const auto& a : list) {
            if (!unblockDue && a.FullName() == destination && a.Installed() && a.FileExists() &&
                (destination == source || w.sameContents(source, destination))) {
                item.message = r.T(texts::kNothingToDo) + destination;
                item.fullName = destination;
                return;
            }
        }

        req.askUnblock = [&o] { return o.unblock ? MarkChoice::Unblock : MarkChoice::Keep; };
        InstallResult result = InstallAddin(svc, req);
        if (result.refusal) {
            Refuse(r, item, journal, *result.refusal);
            return;
        }
        if (auto mark = MarkNotice(result)) r.Warn(*mark);
        item.fullName = result.fullName;
        Succeed(r, item, journal, title, Done::Installed);
    });
    r.Add(std::move(item));
}

// One NAME in turn: it is resolved against a fresh list, then `act` works on the add-in it names.
// The item is reported whatever happens.
// With `absentIsDone` (remove --if-present), a NAME that matches nothing is done already.
template <class Act>
void ForNamedAddin(World& w, Reporter& r, const std::wstring& name, Act&& act, bool absentIsDone = false) {
    Item item;
    item.target = name;
    Changes journal;
    Guarded(r, item, journal, [&] {
        std::vector<ListedAddin> hold;
        const auto list = ReadAddinList(w.svc);
        const ListedAddin* a = Resolve(r, list, name, item, hold);
        if (!a && absentIsDone && hold.empty()) {
            item.exit = kExitDone;
            item.reason = "ok";
            item.message = r.T(texts::kAlreadyGone) + name;
        }
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
        Succeed(r, item, journal, a.Title(), on ? Done::Installed : Done::Uninstalled);
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

// The JSON's word for what a removal did with the file.
const char* DisposalCode(FileDisposal d) {
    switch (d) {
        case FileDisposal::Recycled: return "recycled";
        case FileDisposal::Deleted: return "deleted";
        case FileDisposal::Left: break;
    }
    return "left";
}

void RemoveOne(World& w, Reporter& r, const excel::Facts& facts, const std::wstring& name, bool ifPresent,
               bool permanent) {
    ForNamedAddin(w, r, name, [&](const ListedAddin& a, Item& item, Changes& journal) {
        // What the wizard's removal modes never offer, refused.
        if (auto bar = RemovalBarOf(a, w.svc.details))
            return Fail(r, item, journal, r.T(NotRemovableText(*bar)) + a.FullName(), "not-removable");
        AddinRequest req{a.FullName(), a.Title(), facts, &journal};
        req.permanent = permanent;
        RemovalResult result = a.Installed() ? RemoveActiveAddin(w.svc, req) : RemoveInactiveAddin(w.svc, req);
        if (result.disposal) item.details["fileDisposal"] = DisposalCode(*result.disposal);
        // The wizard's text names its buttons; quorvelc has none.
        if (result.refusal && result.refusal->reason == Reason::SwitchedOn)
            return Fail(r, item, journal, r.T(texts::kRemoveSwitchedOn) + a.FullName(), ReasonCode(Reason::SwitchedOn));
        if (result.refusal) return Refuse(r, item, journal, *result.refusal);
        Succeed(r, item, journal, a.Title(), a.Installed() ? Done::Uninstalled : Done::Deleted);
        if (result.disposal == FileDisposal::Left) item.message += L"\n" + r.T(texts::kLeftOnServer) + a.FullName();
        if (result.disposal == FileDisposal::Recycled) item.message += L"\n" + r.T(texts::kInRecycleBin) + a.FullName();
    }, ifPresent);
}

void Tidy(World& w, Reporter& r, const excel::Facts& facts, bool dryRun) {
    std::vector<ListedAddin> gone, outOfReach;
    {
        Item item;
        Changes journal;
        bool ok = true;
        Guarded(r, item, journal, [&] {
            for (const auto& a : ReadAddinList(w.svc)) {
                if (IsTidyCandidate(a)) gone.push_back(a);
                else if (a.File() == FileState::Unreachable && IsXlaName(a.Name())) outOfReach.push_back(a);
            }
        });
        if (item.exit != kExitDone) ok = false;
        if (!ok) return r.Add(std::move(item));
    }
    // A drive not connected yet, or a share behind a VPN that is down, is not a file gone.
    for (const auto& a : outOfReach) {
        Item item;
        item.target = item.fullName = a.FullName();
        item.reason = "unreachable";
        item.message = r.T(texts::kUnreachableLeft) + a.FullName();
        r.Add(std::move(item));
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
            if (result.refusal) return Refuse(r, item, journal, *result.refusal);
            Succeed(r, item, journal, a.Title(), Done::Deleted);
        });
        r.Add(std::move(item));
    }
}

void Where(World& w, Reporter& r, const std::wstring& name) {
    ForNamedAddin(w, r, name, [](const ListedAddin& a, Item& item, Changes&) { item.message = a.FullName(); });
}

}  // namespace

int WorseExit(int a, int b) {
    static constexpr int kOrder[] = {kExitWrongAccount, kExitCannotRun, kExitBadArguments, kExitFailedAfterChange,
                                     kExitTryLater,     kExitFailedUnchanged, kExitNotFound, kExitNo, kExitDone};
    for (int code : kOrder)
        if (a == code || b == code) return code;
    return a;
}

int Run(World& w, const Options& given, Output& out) {
    // Relative FILEs and a --folder PATH are taken from the current folder, as a shell user means them.
    Options o = given;
    if (o.command == L"install" && w.fullPath) {
        for (auto& f : o.operands) f = w.fullPath(f);
        if (o.folder && *o.folder != L"user" && *o.folder != L"library") o.folder = w.fullPath(*o.folder);
    }
    Reporter r(o, out, VersionText(w.svc.sys.Version()));
    if (o.help) {
        out.Out(HelpText(o.lang));
        return kExitDone;
    }
    if (o.version && o.command.empty()) {
        out.Out(FromUtf8(VersionText(w.svc.sys.Version())) + L"\n");
        return kExitDone;
    }
    // A deployment tool's SYSTEM context, or another account, has its own HKCU and add-in folder.
    const AccountFacts account = w.svc.accounts.Facts();
    if (CheckAccount(account) != AccountVerdict::Ok) {
        Notice n{Reason::OtherAccount};
        n.account = account.own;
        return r.Stop(kExitWrongAccount, r.N(n), ReasonCode(n.reason));
    }
    // Detection never starts Excel, so it answers while the user's Excel runs.
    if (o.command == L"status") return Status(w, r, o);
    excel::Facts facts;
    try {
        // The user's own Excel is neither shown nor asked to quit: a logon script must not
        // close it. It is only let go.
        if (auto other = OtherExcelRefusal(w.svc)) return r.Stop(kExitTryLater, r.N(*other), ReasonCode(other->reason));
        const ExcelStart start = ReadExcelFacts(w.svc.excel, [&] { return o.allowNewerExcel; });
        const Notice unsupported{Reason::VersionUnsupported};
        if (start.verdict == VersionVerdict::TooOld)
            return r.Stop(kExitCannotRun, r.N(unsupported), ReasonCode(unsupported.reason));
        if (start.verdict == VersionVerdict::NewerDeclined)
            return r.Stop(kExitCannotRun, r.N(unsupported) + L"\n" + r.T(texts::kNewerExcelHint),
                          ReasonCode(unsupported.reason));
        facts = start.facts;
    } catch (const excel::EarlierExcelAlive& e) {
        Notice n{Reason::EarlierExcelAlive};
        n.processId = e.ProcessId();
        return r.Stop(kExitTryLater, r.N(n), ReasonCode(n.reason));
    } catch (...) {
        // Excel is missing, or would not start.
        return r.Stop(kExitCannotRun, FailureText(r), "excel-not-startable");
    }

    // Each drive or share is asked once whether it answers, for the whole run.
    ListingScope listing(w.svc.fs);
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
        for (const auto& n : o.operands) RemoveOne(w, r, facts, n, o.ifPresent, o.permanent);
    } else if (o.command == L"tidy") {
        Tidy(w, r, facts, o.dryRun);
    } else if (o.command == L"where") {
        Where(w, r, o.operands[0]);
    } else if (o.command == L"doctor") {
        Item item;
        Changes journal;
        Guarded(r, item, journal, [&] { Doctor(w, r, o, facts); });
        if (item.exit != kExitDone) r.Add(std::move(item));
    }
    return r.Finish();
}

int Main(World& w, const std::vector<std::wstring>& args, Output& out) {
    Parsed p = ParseArguments(args);
    if (p.error.empty()) return Run(w, p.options, out);
    Reporter r(p.options, out, VersionText(w.svc.sys.Version()));
    return r.Stop(kExitBadArguments, r.T(texts::kBadArguments) + p.error + L"\n" + r.T(texts::kSeeHelp), "bad-arguments");
}

}  // namespace qv::console
