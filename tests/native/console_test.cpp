// quorvelc's portable part: its command line, how a NAME picks an add-in, its start-up rules
// and its output, against the in-memory world.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "console/options.h"
#include "console/texts.h"
#include "operations/notice_text.h"
#include "console/utf8.h"
#include "console_world.h"
#include "operations/addin_rules.h"
#include "operations/texts.h"
#include "startup/texts.h"

namespace qv {
namespace {

using namespace console;

TEST(ConsoleArguments, GoodAndBadCommandLines) {
    struct Case { int line; std::vector<std::wstring> args; bool ok; std::wstring command; size_t operands; };
    const Case cases[] = {
        {__LINE__, {L"list"}, true, L"list", 0},
        {__LINE__, {L"list", L"--json", L"--lang", L"en"}, true, L"list", 0},
        {__LINE__, {L"--json", L"install", L"a.xla", L"b.xla", L"--folder", L"user"}, true, L"install", 2},
        {__LINE__, {L"tidy", L"--dry-run"}, true, L"tidy", 0},
        {__LINE__, {L"where", L"--", L"--odd-title"}, true, L"where", 1},
        {__LINE__, {}, false, L"", 0},
        {__LINE__, {L"frobnicate"}, false, L"", 0},
        {__LINE__, {L"install"}, false, L"", 0},
        {__LINE__, {L"where", L"a", L"b"}, false, L"", 0},
        {__LINE__, {L"list", L"x"}, false, L"", 0},
        {__LINE__, {L"on", L"a", L"--folder", L"user"}, false, L"", 0},
        {__LINE__, {L"list", L"--dry-run"}, false, L"", 0},
        {__LINE__, {L"list", L"--lang", L"fr"}, false, L"", 0},
        {__LINE__, {L"install", L"a.xla", L"--folder"}, false, L"", 0},
        {__LINE__, {L"list", L"--verbose"}, false, L"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Parsed p = ParseArguments(c.args);
        EXPECT_EQ(p.error.empty(), c.ok) << std::string(p.error.begin(), p.error.end());
        if (c.ok) {
            EXPECT_EQ(p.options.command, c.command);
            EXPECT_EQ(p.options.operands.size(), c.operands);
        }
    }
    EXPECT_EQ(ParseArguments({L"list", L"--lang=en"}).options.lang, Lang::En);
    EXPECT_EQ(*ParseArguments({L"install", L"a.xla", L"--folder=C:\\T"}).options.folder, L"C:\\T");
    EXPECT_TRUE(ParseArguments({L"--help"}).options.help);
}

TEST(ConsoleNames, PathAndFileNameIgnoreCaseTitleIsExact) {
    fake::World w;
    w.excel.addins = {{L"tool.xla", L"C:\\A\\tool.xla", L"Tool", L"C:\\A", false},
                      {L"other.xla", L"C:\\B\\other.xla", L"Other", L"C:\\B", false},
                      {L"x.xla", L"C:\\B\\x.xla", L"tool", L"C:\\B", false}};
    auto names = [&](const std::wstring& n) {
        std::vector<std::wstring> r;
        for (auto& a : MatchName(ReadAddinList(w.svc), n)) r.push_back(a.FullName());
        return r;
    };
    EXPECT_EQ(names(L"c:\\a\\TOOL.XLA"), std::vector<std::wstring>{L"C:\\A\\tool.xla"});
    EXPECT_EQ(names(L"OTHER.xla"), std::vector<std::wstring>{L"C:\\B\\other.xla"});
    EXPECT_EQ(names(L"Other"), std::vector<std::wstring>{L"C:\\B\\other.xla"});
    EXPECT_TRUE(names(L"OTHER").empty()) << "a title is compared exactly";
    // The file name of one and the title of another: both, so the NAME is refused.
    EXPECT_EQ(names(L"tool").size(), 1u);
    EXPECT_EQ(names(L"tool.xla").size(), 1u);
    w.excel.addins[2].Title = L"tool.xla";
    EXPECT_EQ(names(L"tool.xla").size(), 2u);
    EXPECT_TRUE(names(L"B\\x.xla").empty()) << "a path matches whole";
}

// English is chosen by the notice's code; the inserts (titles, paths, workbook names) go in as
// they are, 「」 and all, and nothing else in it is Japanese.
TEST(ConsoleText, EachNoticeIsWordedInBothLanguagesWithItsInsertsUntouched) {
    Notice n;
    n.path = L"C:\\「ツール」\\売上.xla";
    n.folder = L"D:\\アドイン「共有」";
    n.title = L"「売上」集計";
    n.processId = 4242;
    n.workbookCount = 1;
    n.workbooks = {L"Book「1」.xls"};
    n.account = L"営業\\山田";
    for (int r = 0; r <= static_cast<int>(Reason::MarkNotKept); ++r) {
        n.reason = static_cast<Reason>(r);
        SCOPED_TRACE(ReasonCode(n.reason));
        // quorvelc words these two its own way; every other Japanese text is the wizard's.
        if (n.reason != Reason::OtherAccount && n.reason != Reason::KeptMark) {
            EXPECT_EQ(NoticeText(n, Lang::Ja), JapaneseText(n));
        }
        EXPECT_FALSE(NoticeText(n, Lang::Ja).empty());
        std::wstring en = NoticeText(n, Lang::En);
        ASSERT_FALSE(en.empty());
        for (const std::wstring& insert : {n.path, n.folder, n.title, n.workbooks[0], n.account, std::wstring(L"売上.xla")})
            for (size_t p; (p = en.find(insert)) != std::wstring::npos;) en.erase(p, insert.size());
        for (wchar_t ch : en) EXPECT_LT(static_cast<unsigned>(ch), 0x80u) << "in: " << ToUtf8(en);
    }
}

TEST(ConsoleText, FailuresNameTheOperationInEnglishAndKeepWindowsOwnText) {
    EXPECT_EQ(OperationText(std::wstring(qv::texts::kOpExcel) + L" (AddIns.Add)", Lang::En), L"Excel (AddIns.Add)");
    EXPECT_EQ(OperationText(qv::texts::kOpCopy, Lang::Ja), qv::texts::kOpCopy);
    EXPECT_EQ(DetailText(std::wstring(qv::texts::kAddinNotListed) + L"C:\\「ツール」.xla", Lang::En),
              L"not in the add-in list: C:\\「ツール」.xla");
    const std::wstring windows = L"アクセスが拒否されました。";
    EXPECT_EQ(DetailText(windows, Lang::En), windows);
}

TEST(ConsoleText, Utf8RoundTripKeepsCharactersOutsideThePlane) {
    const std::wstring text = L"C:\\ツール\\\U0001F600.xla";
    const std::string bytes = ToUtf8(text);
    EXPECT_EQ(bytes, "C:\\\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB\\\xF0\x9F\x98\x80.xla");
    EXPECT_EQ(FromUtf8(bytes), text);
    EXPECT_EQ(FromUtf8("a\xFF" "b"), L"a\uFFFD" L"b");
}

// What stops quorvelc before it changes anything: another Excel (try again later), or an
// Excel it will not work with (it cannot run here). The user's own Excel is neither shown nor
// asked to quit.
TEST(ConsoleStartup, RefusalsBeforeAnyChange) {
    struct Case {
        const char* what;
        bool running;
        unsigned long hiddenPid, earlierPid;
        const wchar_t* version;
        std::vector<std::wstring> args;
        int exit;
        const wchar_t* says;
    } cases[] = {
        {"the user's hidden Excel", true, 0, 0, L"11.0", {L"on", L"A"}, kExitTryLater, L"Book1.xls"},
        {"a hidden Excel of someone else's", false, 555, 0, L"11.0", {L"on", L"A"}, kExitTryLater, L"（プロセスID：555）が動作している"},
        {"quorvelc's earlier Excel", false, 0, 556, L"11.0", {L"on", L"A"}, kExitTryLater, L"（プロセスID：556）が時間内に終了しなかった"},
        {"a newer Excel not allowed", false, 0, 0, L"16.0", {L"on", L"A"}, kExitCannotRun, L"--allow-newer-excel"},
        {"a newer Excel allowed", false, 0, 0, L"16.0", {L"on", L"A", L"--allow-newer-excel"}, kExitDone, L""},
        {"an Excel too old", false, 0, 0, L"7.0", {L"on", L"A", L"--allow-newer-excel"}, kExitCannotRun, L"サポート対象外"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        ConsoleWorld c;
        c.w.excel.addins = {{L"a.xla", L"C:\\T\\a.xla", L"A", L"C:\\T", false}};
        c.w.fs.files = {{L"C:\\T\\a.xla", L"a"}};
        c.w.excel.running = k.running;
        c.w.excel.runningVisible = false;
        c.w.excel.runningWorkbooks = {L"Book1.xls"};
        c.w.excel.otherExcelPid = k.hiddenPid;
        c.w.excel.earlierAlivePid = k.earlierPid;
        c.w.excel.version = k.version;
        EXPECT_EQ(c.Run(k.args), k.exit);
        EXPECT_NE(c.out.err.find(k.says), std::wstring::npos) << ToUtf8(c.out.err);
        EXPECT_EQ(c.w.excel.addins[0].Installed, k.exit == kExitDone);
        EXPECT_EQ(c.w.excel.instancesAlive, 0);
        EXPECT_FALSE(c.w.excel.runningVisible) << "the user's hidden Excel must stay hidden";
        EXPECT_EQ(c.w.excel.running, k.running) << "the user's Excel must not be asked to quit";
    }
}

TEST(ConsoleCommands, RemovingAnAddinSwitchedOnSinceTheListWasReadIsRefused) {
    ConsoleWorld c;
    c.w.excel.addins = {{L"a.xla", L"C:\\T\\a.xla", L"A", L"C:\\T", false}};
    c.w.fs.files = {{L"C:\\T\\a.xla", L"a"}};
    // Switched on by someone else between quorvelc's listing and its removal's own Excel.
    c.w.excel.onCreate = [&](int created) { if (created == 3) c.w.excel.addins[0].Installed = true; };
    EXPECT_EQ(c.Run({L"remove", L"A"}), kExitFailedUnchanged);
    EXPECT_NE(c.out.err.find(console::texts::kRemoveSwitchedOn.ja), std::wstring::npos);
    EXPECT_EQ(c.out.err.find(L"アンインストール２"), std::wstring::npos) << "quorvelc has no buttons to name";
    EXPECT_TRUE(c.w.fs.files.count(L"C:\\T\\a.xla"));
}

TEST(ConsoleArguments, TimeoutTakesWholeSecondsWithinADay) {
    EXPECT_EQ(ParseArguments({L"list"}).options.timeoutSeconds, 120);
    EXPECT_EQ(ParseArguments({L"list", L"--timeout", L"30"}).options.timeoutSeconds, 30);
    EXPECT_EQ(ParseArguments({L"list", L"--timeout=86400"}).options.timeoutSeconds, 86400);
    for (const wchar_t* bad : {L"0", L"-5", L"1.5", L"86401", L"999999999999", L"", L"soon"})
        EXPECT_FALSE(ParseArguments({L"list", L"--timeout", bad}).error.empty()) << bad;
    EXPECT_FALSE(ParseArguments({L"list", L"--timeout"}).error.empty());
}

TEST(ConsoleCommands, SeveralNamesGiveTheHighestExitCode) {
    ConsoleWorld c;
    c.w.excel.addins = {{L"a.xla", L"C:\\T\\a.xla", L"A", L"C:\\T", true},
                        {L"b.xla", L"C:\\T\\b.xla", L"Same", L"C:\\T", false},
                        {L"c.xla", L"C:\\U\\c.xla", L"Same", L"C:\\U", false}};
    c.w.fs.files = {{L"C:\\T\\a.xla", L"a"}, {L"C:\\T\\b.xla", L"b"}, {L"C:\\U\\c.xla", L"c"}};
    EXPECT_EQ(c.Run({L"on", L"A", L"b.xla"}), kExitDone) << "A is on already; b is switched on";
    EXPECT_TRUE(c.w.excel.addins[1].Installed);
    EXPECT_EQ(c.Run({L"off", L"Same", L"nothing.xla"}), kExitNotFound);
    EXPECT_NE(c.out.err.find(L"C:\\U\\c.xla"), std::wstring::npos) << "the matches are listed";
    EXPECT_FALSE(c.w.excel.addins[2].Installed);
    EXPECT_EQ(c.Run({L"where", L"C:\\u\\C.XLA"}), kExitDone);
    EXPECT_EQ(c.out.out.substr(c.out.out.rfind(L"C:\\")), L"C:\\U\\c.xla\n");
}

TEST(ConsoleCommands, TheRunsExitCodeIsTheFirstInThePrescribedOrder) {
    struct Case { int a, b, worse; };
    const Case cases[] = {
        {kExitDone, kExitNo, kExitNo},           {kExitNo, kExitNotFound, kExitNotFound},
        {kExitNotFound, kExitFailedUnchanged, kExitFailedUnchanged},
        {kExitFailedUnchanged, kExitTryLater, kExitTryLater},
        {kExitTryLater, kExitFailedAfterChange, kExitFailedAfterChange},
        {kExitFailedAfterChange, kExitBadArguments, kExitBadArguments},
        {kExitBadArguments, kExitCannotRun, kExitCannotRun},
        {kExitCannotRun, kExitWrongAccount, kExitWrongAccount},
        {kExitDone, kExitDone, kExitDone},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WorseExit(c.a, c.b), c.worse) << c.a << " " << c.b;
        EXPECT_EQ(WorseExit(c.b, c.a), c.worse) << c.b << " " << c.a;
    }
}

TEST(ConsoleCommands, RemoveIfPresentCountsAnAddinNoLongerListedAsDone) {
    ConsoleWorld c;
    c.w.excel.addins = {{L"a.xla", L"C:\\T\\a.xla", L"A", L"C:\\T", false}};
    c.w.fs.files = {{L"C:\\T\\a.xla", L"a"}};
    EXPECT_EQ(c.Run({L"remove", L"gone.xla"}), kExitNotFound);
    EXPECT_EQ(c.Run({L"remove", L"gone.xla", L"--if-present"}), kExitDone);
    EXPECT_EQ(c.Run({L"remove", L"A", L"--if-present"}), kExitDone);
    EXPECT_FALSE(c.w.fs.files.count(L"C:\\T\\a.xla")) << "a listed add-in is still removed";
    EXPECT_FALSE(ParseArguments({L"list", L"--if-present"}).error.empty());
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(ConsoleCommands, AFolderOfOnesOwnKeepsTheBrowseButtonsDriveRule) {
    // The wizard offers a file on a share its own folder beside the add-in folders, so that one passes too.
    struct Case { std::wstring source, folder; unsigned exit; const wchar_t* refusedDrive; };
    const Case cases[] = {
        {L"C:\\src\\a.xla", L"D:\\Net", console::kExitFailedUnchanged, L"Ｄ："},  // not a fixed disk
        {L"C:\\src\\a.xla", L"C:\\Tools", console::kExitDone, nullptr},
        {L"\\\\srv\\s\\x\\a.xla", L"\\\\SRV\\s\\x", console::kExitDone, nullptr},
        {L"\\\\srv\\s\\x\\a.xla", L"\\\\srv\\s", console::kExitFailedUnchanged, L"＼＼"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.folder.begin(), c.folder.end()));
        console::ConsoleWorld k;
        auto& w = k.w;
        w.drives.types[L"C:\\"] = kDriveFixed;
        w.fs.files[c.source] = L"a";
        w.fs.folders = {c.folder};
        w.details.Add(c.source, L"Someone", L"A Tool");
        EXPECT_EQ(static_cast<unsigned>(k.Run({L"install", c.source, L"--folder", c.folder})), c.exit);
        EXPECT_EQ(w.fs.files.count(c.folder + L"\\a.xla") > 0, !c.refusedDrive);
        if (c.refusedDrive) {
            EXPECT_EQ(k.out.err, qv::texts::kDriveRefused1 + std::wstring(c.refusedDrive) + qv::texts::kDriveRefused2 + L"\n");
        }
    }
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

// remove tells in its JSON where each file went; --permanent belongs to remove alone.
TEST(ConsoleCommands, RemoveTellsWhereTheFileWent) {
    struct Case {
        const char* what;
        std::wstring folder;
        std::vector<std::wstring> extra;
        const char* disposal;
        bool recycled, fileStays;
    };
    const Case cases[] = {
        {"fixed disk", L"C:\\T", {}, "recycled", true, false},
        {"fixed disk, permanent", L"C:\\T", {L"--permanent"}, "deleted", false, false},
        {"network drive", L"N:\\T", {}, "left", false, true},
        {"network drive, permanent", L"N:\\T", {L"--permanent"}, "left", false, true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        ConsoleWorld c;
        c.w.drives.types = {{L"C:\\", kDriveFixed}, {L"N:\\", 4}};
        const std::wstring file = k.folder + L"\\a.xla";
        c.w.excel.addins = {{L"a.xla", file, L"A", k.folder, false}};
        c.w.fs.files = {{file, L"a"}};
        std::vector<std::wstring> args{L"remove", L"A", L"--json"};
        args.insert(args.end(), k.extra.begin(), k.extra.end());
        EXPECT_EQ(c.Run(args), kExitDone) << ToUtf8(c.out.err);
        const auto doc = nlohmann::json::parse(ToUtf8(c.out.out));
        EXPECT_EQ(doc["results"][0]["fileDisposal"], k.disposal);
        EXPECT_EQ(c.w.fs.recycled.count(file) == 1, k.recycled);
        EXPECT_EQ(c.w.fs.files.count(file) == 1, k.fileStays);
    }
    EXPECT_FALSE(ParseArguments({L"install", L"a.xla", L"--permanent"}).error.empty());
    EXPECT_TRUE(ParseArguments({L"remove", L"A", L"--permanent"}).error.empty());
    EXPECT_TRUE(ParseArguments({L"remove", L"A", L"--permanent"}).options.permanent);
}

// Once the installed file is in place a mark that is not as asked is a warning, and the exit
// code stays 0; the copy is in the journal.
TEST(ConsoleCommands, MarkWarningsAfterTheCopyKeepExitZero) {
    struct Case {
        const char* what;
        bool unblock, streamless, wine, destFails;
        const char* code;
    };
    const Case cases[] = {
        {"kept", false, false, false, false, "marked-from-internet"},
        {"kept on a drive without streams", false, true, false, false, "mark-not-kept"},
        {"kept, cannot be set", false, false, true, true, "mark-not-set"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        ConsoleWorld c;
        const std::wstring src = L"D:\\dl\\a.xla", dest = L"C:\\Tools\\a.xla";
        c.w.fs.files = {{src, L"a"}};
        c.w.fs.folders = {L"C:\\Tools"};
        c.w.fs.zones[src] = "[ZoneTransfer]\r\nZoneId=3\r\n";
        c.w.drives.types = {{L"C:\\", kDriveFixed}};
        if (k.streamless) c.w.fs.streamless = {dest + L".~qv", dest};
        c.w.fs.streamsStayBehind = k.wine;
        if (k.destFails) c.w.fs.streamFails = {dest};
        std::vector<std::wstring> args{L"install", src, L"--folder", L"C:\\Tools", L"--json"};
        if (k.unblock) args.push_back(L"--unblock");
        EXPECT_EQ(c.Run(args), kExitDone) << ToUtf8(c.out.err);
        const auto doc = nlohmann::json::parse(ToUtf8(c.out.out));
        // The fake file has no title, which is warned of too; the mark's warning is the only other.
        std::vector<std::string> codes;
        for (const auto& w : doc["warnings"])
            if (w["code"] != "no-title") codes.push_back(w["code"]);
        EXPECT_EQ(codes, std::vector<std::string>{k.code});
        EXPECT_EQ(c.w.fs.files[dest], L"a");
        EXPECT_EQ(doc["results"][0]["changed"], true);
    }
}

}  // namespace
}  // namespace qv
