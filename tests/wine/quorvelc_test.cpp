// quorvelc.exe run as a deployment tool runs it: a process of its own with its output in pipes,
// against the registered stand-in. Excel's registry values are read once no Excel is left.
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "console/texts.h"
#include "console/utf8.h"
#include "e2e_world.h"
#include "excel/com/com_excel.h"
#include "excel/com/excel_calls.h"
#include "platform/paths.h"
#include "platform/win32/platform.h"
#include "window/texts.h"

namespace qv::e2e {
namespace {

struct Ran {
    DWORD exit = 9999;  // when it did not start or end
    std::wstring out, err;
};

// Line ends as the console program writes them into a pipe (CR LF) become LF.
std::wstring Text(const std::wstring& t) {
    std::wstring r;
    for (wchar_t c : t)
        if (c != L'\r') r += c;
    return r;
}

std::wstring Decode(const std::string& bytes, UINT codePage) {
    std::wstring t(bytes.size(), L'\0');
    t.resize(static_cast<size_t>(
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), t.data(), static_cast<int>(t.size()))));
    return t;
}

// With UTF-8 through the pipes, unless `flags` start it with a console of its own or none.
Ran RunQuorvelc(const std::wstring& args, std::optional<DWORD> flags = std::nullopt, UINT codePage = CP_UTF8) {
    test::Ran r = test::Run(test::BinDir() + L"\\quorvelc.exe", flags ? args : args + L" --utf8", 120000, flags.value_or(0));
    return {r.exit.value_or(9999), Text(Decode(r.out, codePage)), Text(Decode(r.err, codePage))};
}

nlohmann::json Json(const Ran& r) { return nlohmann::json::parse(console::ToUtf8(r.out)); }

std::string U8(const std::wstring& w) { return console::ToUtf8(w); }

class Quorvelc : public E2eTest {
protected:
    std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
};

TEST_F(Quorvelc, InstallTwiceSwitchWhereAndRemove) {
    // 「」 in a title stays as it is in every language.
    const std::wstring src = MakeXla(SrcDir(), L"new.xla", L"「新しい」ツール");
    const std::wstring installed = UserDir() + L"\\new.xla";

    Ran first = RunQuorvelc(L"install " + Quoted(src));
    ASSERT_EQ(first.exit, 0u) << test::Narrow(first.err);
    EXPECT_EQ(first.out, L"「「新しい」ツール」のインストールが完了しました。\n");
    EXPECT_EQ(Files().at(installed).bytes, Files().at(src).bytes);
    EXPECT_TRUE(Listed().at(L"「新しい」ツール").installed);

    const auto optionsBefore = Options();
    Ran second = RunQuorvelc(L"install " + Quoted(src) + L" --json");
    ASSERT_EQ(second.exit, 0u) << test::Narrow(second.err);
    auto doc = Json(second);
    EXPECT_EQ(doc["exitCode"], 0);
    EXPECT_EQ(doc["results"][0]["changed"], false) << "already there, listed and on";
    EXPECT_EQ(Options(), optionsBefore);

    EXPECT_EQ(RunQuorvelc(L"off new.xla").exit, 0u);
    EXPECT_FALSE(Listed().at(L"「新しい」ツール").installed);
    Ran on = RunQuorvelc(L"on " + Quoted(installed) + L" --lang en");
    EXPECT_EQ(on.exit, 0u);
    EXPECT_EQ(on.out, L"\"「新しい」ツール\" installed.\n");
    EXPECT_TRUE(Listed().at(L"「新しい」ツール").installed);
    Ran onAgain = RunQuorvelc(L"on 「新しい」ツール --json");
    EXPECT_EQ(onAgain.exit, 0u);
    EXPECT_EQ(Json(onAgain)["results"][0]["changed"], false);

    Ran where = RunQuorvelc(L"where NEW.XLA");
    EXPECT_EQ(where.exit, 0u);
    EXPECT_EQ(where.out, installed + L"\n");

    Ran removed = RunQuorvelc(L"remove new.xla");
    EXPECT_EQ(removed.exit, 0u) << test::Narrow(removed.err);
    // The completion text, then where the file went: the trash, from which it can be restored.
    EXPECT_EQ(removed.out, L"「「新しい」ツール」のアンインストールが完了しました。\n" +
                               std::wstring(console::texts::kInRecycleBin.ja) + installed + L"\n");
    EXPECT_FALSE(Exists(installed));
    EXPECT_EQ(Listed().count(L"「新しい」ツール"), 0u);
    EXPECT_TRUE(Options().empty());
    EXPECT_EQ(RunQuorvelc(L"remove new.xla").exit, 3u);
    EXPECT_EQ(RunQuorvelc(L"remove new.xla --if-present").exit, 0u) << "a repeated uninstall succeeds";
}

TEST_F(Quorvelc, InstallsOneAfterAnotherAllStay) {
    const std::wstring a = MakeXla(SrcDir(), L"a.xla", L"Tool A");
    const std::wstring b = MakeXla(SrcDir(), L"b.xla", L"Tool B");
    const std::wstring c = MakeXla(SrcDir(), L"c.xla", L"Tool C");
    // Two files in one call, then another call right after it, as a logon script runs them.
    Ran both = RunQuorvelc(L"install " + Quoted(a) + L" " + Quoted(b));
    ASSERT_EQ(both.exit, 0u) << test::Narrow(both.err);
    Ran third = RunQuorvelc(L"install " + Quoted(c));
    ASSERT_EQ(third.exit, 0u) << test::Narrow(third.err);
    const auto listed = Listed();
    for (const wchar_t* title : {L"Tool A", L"Tool B", L"Tool C"}) {
        ASSERT_EQ(listed.count(title), 1u) << test::Narrow(title);
        EXPECT_TRUE(listed.at(title).installed) << test::Narrow(title);
    }
    EXPECT_EQ(SwitchedOn(Options()).size(), 3u);
}

TEST_F(Quorvelc, ListJsonReadsAsJson) {
    BuildStandardWorld();
    Ran r = RunQuorvelc(L"list --json");
    ASSERT_EQ(r.exit, 0u) << test::Narrow(r.err);
    for (wchar_t c : r.out) ASSERT_LT(static_cast<unsigned>(c), 0x80u) << "JSON in pure ASCII";
    auto doc = Json(r);
    EXPECT_EQ(doc["command"], "list");
    EXPECT_EQ(doc["schema"], 1);
    std::map<std::string, nlohmann::json> byTitle;
    for (auto& a : doc["addins"]) byTitle[a["title"].get<std::string>()] = a;
    ASSERT_EQ(byTitle.size(), 6u);
    EXPECT_EQ(byTitle["User Tool"]["fullName"], U8(UserDir() + L"\\usr.xla"));
    EXPECT_EQ(byTitle["User Tool"]["folder"], U8(UserDir()));
    EXPECT_EQ(byTitle["User Tool"]["inDefaultFolder"], true);
    EXPECT_EQ(byTitle["Off Tool"]["installed"], false);
    EXPECT_EQ(byTitle["Off Tool"]["inDefaultFolder"], false);
    EXPECT_EQ(byTitle["gone"]["fileExists"], false);
    EXPECT_EQ(byTitle["gone"]["installed"], true);
    EXPECT_EQ(byTitle["Other Tool"]["name"], "oth.xla");
}

TEST_F(Quorvelc, TitleSharedByTwoIsRefusedAndNothingChanges) {
    RegisterOn(MakeXla(OtherDir(), L"a.xla", L"Twin"));
    RegisterOff(MakeXla(OtherDir(), L"b.xla", L"Twin"));
    const WorldState before = Capture();
    Ran r = RunQuorvelc(L"off Twin");
    EXPECT_EQ(r.exit, 3u);
    EXPECT_NE(r.err.find(OtherDir() + L"\\a.xla"), std::wstring::npos) << test::Narrow(r.err);
    EXPECT_NE(r.err.find(OtherDir() + L"\\b.xla"), std::wstring::npos);
    ExpectUnchanged(before);
}

TEST_F(Quorvelc, TidyDryRunChangesNothingTidyRemoves) {
    BuildStandardWorld();
    const WorldState before = Capture();
    Ran dry = RunQuorvelc(L"tidy --dry-run --json");
    ASSERT_EQ(dry.exit, 0u) << test::Narrow(dry.err);
    auto doc = Json(dry);
    ASSERT_EQ(doc["addins"].size(), 1u);
    EXPECT_EQ(doc["addins"][0]["fullName"], U8(OtherDir() + L"\\gone.xla"));
    ExpectUnchanged(before);

    Ran tidy = RunQuorvelc(L"tidy");
    EXPECT_EQ(tidy.exit, 0u) << test::Narrow(tidy.err);
    EXPECT_EQ(tidy.out, L"「gone」の削除が完了しました。\n");
    EXPECT_EQ(Listed().count(L"gone"), 0u);
    EXPECT_EQ(Listed().size(), 5u);
}

TEST_F(Quorvelc, ExitCodes) {
    BuildStandardWorld();
    EXPECT_EQ(RunQuorvelc(L"install").exit, 2u);
    EXPECT_EQ(RunQuorvelc(L"list --lang de").exit, 2u);
    Ran missing = RunQuorvelc(L"where nothing.xla --lang en");
    EXPECT_EQ(missing.exit, 3u);
    EXPECT_EQ(missing.err, L"Not in the add-in list: nothing.xla\n");
    // What the removal modes never offer: a Microsoft add-in.
    EXPECT_EQ(RunQuorvelc(L"remove ms.xla").exit, 4u);
    EXPECT_TRUE(Exists(LibDir() + L"\\ms.xla"));
    // A folder that is not there, refused with the wizard's text.
    const std::wstring src = MakeXla(SrcDir(), L"x.xla", L"X Tool");
    Ran badFolder = RunQuorvelc(L"install " + Quoted(src) + L" --folder " + Quoted(Root() + L"\\nowhere"));
    EXPECT_EQ(badFolder.exit, 4u);
    EXPECT_EQ(badFolder.err, std::wstring(texts::kInvalidFolder1) + Root() + L"\\nowhere" + texts::kInvalidFolder2 + L"\n");
    // Several: the highest exit code met.
    EXPECT_EQ(RunQuorvelc(L"on off.xla nothing.xla").exit, 3u);
    EXPECT_TRUE(Listed().at(L"Off Tool").installed) << "the good NAME is still handled";

    // Switched off, then the delete fails: exit 5, and the output says what changed.
    const std::wstring oth = OtherDir() + L"\\oth.xla";
    HANDLE held = CreateFileW(oth.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Ran halfway = RunQuorvelc(L"remove oth.xla");
    CloseHandle(held);
    EXPECT_EQ(halfway.exit, 5u) << test::Narrow(halfway.err);
    EXPECT_NE(halfway.err.find(L"非動作中にしました"), std::wstring::npos) << test::Narrow(halfway.err);
    EXPECT_TRUE(Exists(oth));
    EXPECT_FALSE(Listed().at(L"Other Tool").installed);

    ASSERT_TRUE(StandIn().Set(L"Version", L"16.0"));
    EXPECT_EQ(RunQuorvelc(L"list").exit, 7u);
    EXPECT_EQ(RunQuorvelc(L"list --allow-newer-excel").exit, 0u);
    ASSERT_TRUE(StandIn().Set(L"Version", L"7.0"));
    EXPECT_EQ(RunQuorvelc(L"list --allow-newer-excel").exit, 7u);
}

TEST_F(Quorvelc, RunningExcelIsRefusedAndLeftRunningUntouched) {
    test::StandInProcess running(L"/running /hidden Book1.xls");
    ASSERT_TRUE(running.Started());
    ASSERT_TRUE(test::WaitForRunningExcel());

    const std::wstring src = MakeXla(SrcDir(), L"x.xla", L"X Tool");
    Ran r = RunQuorvelc(L"install " + Quoted(src));
    EXPECT_EQ(r.exit, 1618u) << "try again later";
    EXPECT_NE(r.err.find(L"Book1.xls"), std::wstring::npos) << test::Narrow(r.err);
    EXPECT_NE(r.err.find(texts::kExcelRunningHidden), std::wstring::npos);
    EXPECT_FALSE(running.Ended(3000)) << "the user's Excel was ended";
    EXPECT_FALSE(Exists(UserDir() + L"\\x.xla"));
    auto launcher = excel::com::MakeLauncher();
    auto app = launcher->Attach();
    ASSERT_TRUE(app);
    EXPECT_FALSE(app->Visible()) << "the user's hidden Excel was shown";
    app->Quit();
    app.reset();
    EXPECT_TRUE(running.Ended(15000));
}

// Every Excel is in the running object table from its creation until its shutdown begins, and a
// quitting Excel keeps its window for its shutdown time: neither the program's own Excel between
// two files or two runs, nor another program's that has just quit, is taken for the user's.
TEST_F(Quorvelc, BackToBackRunsAndAnExcelInItsShutdownTimeDoNotRefuse) {
    ASSERT_TRUE(StandIn().Set(L"ExitDelayMilliseconds", L"3000"));
    const std::wstring a = MakeXla(SrcDir(), L"a.xla", L"A"), b = MakeXla(SrcDir(), L"b.xla", L"B");
    Ran both = RunQuorvelc(L"install " + Quoted(a) + L" " + Quoted(b));
    EXPECT_EQ(both.exit, 0u) << test::Narrow(both.err);
    Ran first = RunQuorvelc(L"off A");
    Ran second = RunQuorvelc(L"on A");
    EXPECT_EQ(first.exit, 0u) << test::Narrow(first.err);
    EXPECT_EQ(second.exit, 0u) << test::Narrow(second.err);

    // Another program's automation Excel, told to quit just now.
    CLSID clsid;
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Excel.Application", &clsid));
    win32::ComPtr<IDispatch> other;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, other.put_void()));
    win32::Dispatch(std::move(other), excel::com::ExcelCalls::Unwatched()).call(L"Quit");
    Ran after = RunQuorvelc(L"off B");
    EXPECT_EQ(after.exit, 0u) << test::Narrow(after.err);
    ASSERT_TRUE(NoStandInLeft());
    EXPECT_TRUE(Listed().at(L"A").installed);
    EXPECT_FALSE(Listed().at(L"B").installed);
}

// The user's Excel that cannot be asked anything: one editing a cell rejects every call; one just
// opened is not yet in the running object table and is known only by its visible window. quorvelc
// tells so within seconds, not minutes, and never waits for such an Excel as for one that closes.
TEST_F(Quorvelc, AUsersExcelThatCannotBeAskedIsReportedWithinSeconds) {
    struct Case {
        const wchar_t* arguments;
        DWORD boundMs;
    };
    for (const Case& c : {Case{L"/running /busy Book1.xls", 15000}, Case{L"/running /unregistered Book1.xls", 8000}}) {
        SCOPED_TRACE(test::Narrow(c.arguments));
        test::StandInProcess users(c.arguments);
        ASSERT_TRUE(users.Started());
        ASSERT_EQ(WaitForInputIdle(users.Handle(), 15000), 0u);
        const DWORD start = GetTickCount();
        Ran r = RunQuorvelc(L"list");
        const DWORD took = GetTickCount() - start;
        EXPECT_EQ(r.exit, 1618u) << test::Narrow(r.err);
        EXPECT_LT(took, c.boundMs);
        EXPECT_NE(r.err.find(texts::kExcelRunning), std::wstring::npos) << test::Narrow(r.err);
        EXPECT_EQ(r.err.find(texts::kHiddenExcelRunning1), std::wstring::npos) << test::Narrow(r.err);
        EXPECT_FALSE(users.Ended(0)) << "the user's Excel was ended";
        test::EndLeftoverStandIns();
    }
}

TEST_F(Quorvelc, InstallKeepsTheMarkOfTheWebWithAWarningUnlessUnblocked) {
    win32::Win32FileSystem fs;
    const std::string marked = "[ZoneTransfer]\r\nZoneId=3\r\n";
    const std::wstring a = MakeXla(SrcDir(), L"a.xla", L"A"), b = MakeXla(SrcDir(), L"b.xla", L"B");
    fs.WriteZoneStream(a, marked);
    fs.WriteZoneStream(b, marked);
    Ran kept = RunQuorvelc(L"install " + Quoted(a) + L" --json");
    EXPECT_EQ(kept.exit, 0u) << test::Narrow(kept.err);
    EXPECT_EQ(Json(kept)["warnings"][0]["code"], "marked-from-internet");
    EXPECT_EQ(fs.ReadZoneStream(UserDir() + L"\\a.xla").text, marked);
    Ran unblocked = RunQuorvelc(L"install " + Quoted(b) + L" --unblock");
    EXPECT_EQ(unblocked.exit, 0u) << test::Narrow(unblocked.err);
    EXPECT_TRUE(unblocked.err.empty()) << test::Narrow(unblocked.err);
    EXPECT_EQ(fs.ReadZoneStream(UserDir() + L"\\b.xla").state, StreamState::Absent);
    EXPECT_EQ(fs.ReadZoneStream(b).text, marked) << "the offered file keeps its mark";
}

// A pipe gets the code page its reader decodes in: the console's output code page for a
// program with a console, the ANSI code page for one without. A character neither holds
// becomes "?", not a look-alike.
TEST_F(Quorvelc, TextThroughAPipeIsInTheReadersCodePage) {
    struct Case { const char* what; DWORD flags; UINT codePage; };
    const Case cases[] = {{"a console of its own", CREATE_NEW_CONSOLE, GetOEMCP()},
                          {"no console", DETACHED_PROCESS, GetACP()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Ran r = RunQuorvelc(L"list --lang 한", c.flags, c.codePage);
        EXPECT_EQ(r.exit, 2u);
        EXPECT_EQ(r.err.substr(0, r.err.find(L'\n')), L"引数が正しくありません：--lang takes ja or en, not '?'");
    }
    Ran utf8 = RunQuorvelc(L"list --lang 한 --utf8", DETACHED_PROCESS);
    EXPECT_NE(utf8.err.find(L"not '한'"), std::wstring::npos) << test::Narrow(utf8.err);
}

// Detection while the user's Excel runs and holds the add-ins open: installed, switched off,
// other bytes, not listed, and a SHA-256 (of "abc") instead of a file.
TEST_F(Quorvelc, StatusAnswersWhileTheUsersExcelRuns) {
    const std::wstring on = MakeXla(OtherDir(), L"on.xla", L"On Tool");
    RegisterOn(on);
    RegisterOff(MakeXla(OtherDir(), L"off.xla", L"Off Tool"));
    RegisterOn(MakeXla(OtherDir(), L"old.xla", L"Old Tool"));
    const std::wstring abc = OtherDir() + L"\\abc.xla";
    std::ofstream(std::filesystem::path(abc), std::ios::binary) << "abc";
    RegisterOn(abc);
    ASSERT_TRUE(CopyFileW(on.c_str(), (SrcDir() + L"\\on.xla").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(on.c_str(), (SrcDir() + L"\\off.xla").c_str(), FALSE));
    MakeXla(SrcDir(), L"old.xla", L"Old Tool 2");
    MakeXla(SrcDir(), L"new.xla", L"New Tool");

    test::StandInProcess running(L"/running /hidden");
    ASSERT_TRUE(running.Started());
    ASSERT_TRUE(test::WaitForRunningExcel());

    Ran installed = RunQuorvelc(L"status " + Quoted(SrcDir() + L"\\on.xla") + L" --lang en");
    EXPECT_EQ(installed.exit, 0u) << test::Narrow(installed.err);
    EXPECT_EQ(installed.out, L"Installed, switched on and identical: " + on + L"\n");
    struct Case { const wchar_t* file; const char* reason; };
    for (const Case& c : {Case{L"off.xla", "switched-off"}, Case{L"old.xla", "different-content"}, Case{L"new.xla", "not-listed"}}) {
        SCOPED_TRACE(c.reason);
        Ran r = RunQuorvelc(L"status " + Quoted(SrcDir() + L"\\" + c.file) + L" --json");
        EXPECT_EQ(r.exit, 1u);
        EXPECT_EQ(Json(r)["results"][0]["reason"], c.reason);
    }
    const std::wstring abcHash = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(RunQuorvelc(L"status ABC.xla --sha256 " + abcHash).exit, 0u);
    EXPECT_EQ(RunQuorvelc(L"status abc.xla --sha256 " + std::wstring(64, L'0')).exit, 1u);
    // The two folders as the stand-in's registration left them for Excel 2003, which the
    // stand-in reports by default.
    auto doc = Json(RunQuorvelc(L"status abc.xla --sha256 " + abcHash + L" --json"));
    EXPECT_EQ(doc["excel"]["version"], 11);
    EXPECT_TRUE(paths::EqualNoCase(console::FromUtf8(doc["excel"]["libraryFolder"].get<std::string>()),
                                   L"C:\\Program Files\\Microsoft Office\\OFFICE11\\Library"));
    const std::wstring user = console::FromUtf8(doc["excel"]["userFolder"].get<std::string>());
    EXPECT_TRUE(paths::EqualNoCase(user.substr(0, 9), L"C:\\users\\") &&
                paths::EqualNoCase(user.substr(user.find(L'\\', 9)), L"\\AppData\\Roaming\\Microsoft\\AddIns"))
        << test::Narrow(user);

    EXPECT_FALSE(running.Ended(1000)) << "the user's Excel was ended";
    auto launcher = excel::com::MakeLauncher();
    auto app = launcher->Attach();
    ASSERT_TRUE(app);
    app->Quit();
    app.reset();
    EXPECT_TRUE(running.Ended(15000));
}

// HKLM's InstallRoot of the stand-in's version as the set-up registered it, put back at the end:
// a test that registers the Click-to-Run layout deletes it.
class KeepInstallRoot {
public:
    KeepInstallRoot() { saved_ = Read(kNative); }
    ~KeepInstallRoot() {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kClickToRun);
        if (!saved_) return;
        win32::UniqueHkey k;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kNative, 0, nullptr, 0, KEY_SET_VALUE, nullptr, k.put(), nullptr) == ERROR_SUCCESS)
            RegSetValueExW(k.get(), L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_->c_str()),
                           static_cast<DWORD>((saved_->size() + 1) * sizeof(wchar_t)));
    }
    static std::optional<std::wstring> Read(const wchar_t* key) {
        wchar_t data[1024];
        DWORD bytes = sizeof data;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key, L"Path", RRF_RT_REG_SZ, nullptr, data, &bytes) != ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(data);
    }
    static constexpr const wchar_t* kNative = L"SOFTWARE\\Microsoft\\Office\\11.0\\Excel\\InstallRoot";
    static constexpr const wchar_t* kClickToRun =
        L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Microsoft\\Office\\11.0\\Excel\\InstallRoot";

private:
    std::optional<std::wstring> saved_;
};

// Click-to-Run Office has no InstallRoot under HKLM\SOFTWARE itself: status finds the library
// folder in Click-to-Run's own hive, and so the bare name of an add-in switched on there.
TEST_F(Quorvelc, StatusFindsTheLibraryFolderOfClickToRunOffice) {
    KeepInstallRoot keep;
    // Office's own layout: the library folder is "Library" in the folder InstallRoot names.
    const std::wstring office = Root() + L"\\root\\Office11", library = office + L"\\Library";
    ASSERT_TRUE(CreateDirectoryW((Root() + L"\\root").c_str(), nullptr) && CreateDirectoryW(office.c_str(), nullptr) &&
                CreateDirectoryW(library.c_str(), nullptr));
    ASSERT_TRUE(StandIn().Set(L"LibraryPath", library));
    ASSERT_TRUE(StandIn().Set(L"InstallLayout", L"ClickToRun"));
    const test::Ran registered = test::Run(test::StandInExe(), L"/regserver", 30000);
    ASSERT_EQ(registered.exit, std::optional<DWORD>(0)) << registered.err;
    EXPECT_FALSE(KeepInstallRoot::Read(KeepInstallRoot::kNative)) << "the native key is gone";
    const auto written = KeepInstallRoot::Read(KeepInstallRoot::kClickToRun);
    ASSERT_TRUE(written);
    EXPECT_TRUE(paths::EqualNoCase(*written, office + L"\\"));

    const std::wstring lib = MakeXla(library, L"libtool.xla", L"Library Tool");
    RegisterOn(lib, /*bare=*/true);
    Ran r = RunQuorvelc(L"status " + Quoted(lib) + L" --json");
    EXPECT_EQ(r.exit, 0u) << test::Narrow(r.err);
    const auto doc = Json(r);
    EXPECT_TRUE(paths::EqualNoCase(console::FromUtf8(doc["excel"]["libraryFolder"].get<std::string>()), library));
    EXPECT_EQ(doc["results"][0]["reason"], "ok");
    EXPECT_TRUE(paths::EqualNoCase(console::FromUtf8(doc["results"][0]["fullName"].get<std::string>()), lib));
}

// Excel's Disabled Items value: a type, the byte lengths of path and description, both in UTF-16.
void WriteDisabledItem(const std::wstring& key, const std::wstring& path) {
    std::vector<BYTE> blob;
    auto dword = [&](DWORD v) { for (int i = 0; i < 4; ++i) blob.push_back(static_cast<BYTE>(v >> (8 * i))); };
    dword(1);
    dword(static_cast<DWORD>((path.size() + 1) * 2));
    dword(2);
    for (wchar_t c : path + L'\0') blob.push_back(static_cast<BYTE>(c)), blob.push_back(static_cast<BYTE>(c >> 8));
    blob.push_back(0), blob.push_back(0);
    ASSERT_TRUE(test::SetRegValue(key, L"1A2B3C", REG_BINARY, blob.data(), blob.size()));
}

TEST_F(Quorvelc, DoctorFindsAMarkADisabledItemAndATrustedLocation) {
    BuildStandardWorld();
    const std::wstring marked = MakeXla(OtherDir(), L"marked.xla", L"Marked Tool");
    RegisterOn(marked);
    win32::Win32FileSystem fs;
    fs.WriteZoneStream(marked, "[ZoneTransfer]\r\nZoneId=3\r\n");
    const std::wstring downloaded = MakeXla(SrcDir(), L"downloaded.xla", L"Downloaded Tool");
    RegisterOn(downloaded);
    fs.WriteZoneStream(downloaded, "[ZoneTransfer]\r\nZoneId=3\r\n");
    const std::wstring disabledKey = ExcelKey(11) + L"\\Resiliency\\DisabledItems";
    const std::wstring trustedKey = ExcelKey(11) + L"\\Security\\Trusted Locations\\QuorvelTest";
    SavedKey keepDisabled(disabledKey), keepTrusted(trustedKey);
    WriteDisabledItem(disabledKey, paths::FoldCase(UserDir() + L"\\usr.xla"));
    SetString(trustedKey, L"Path", OtherDir() + L"\\");

    Ran r = RunQuorvelc(L"doctor --json");
    EXPECT_EQ(r.exit, 1u) << test::Narrow(r.err);
    const auto doc = Json(r);
    std::map<std::string, nlohmann::json> byTitle;
    for (const auto& item : doc["results"]) byTitle[item["title"].get<std::string>()] = item;
    // In a trusted location the mark does not count, as in Excel; outside them it does.
    EXPECT_EQ(byTitle["Marked Tool"]["reason"], "ok");
    EXPECT_EQ(byTitle["Marked Tool"]["zoneId"], 3);
    EXPECT_EQ(byTitle["Marked Tool"]["trusted"], true);
    EXPECT_EQ(byTitle["Downloaded Tool"]["reason"], "marked");
    EXPECT_EQ(byTitle["Downloaded Tool"]["trusted"], false);
    EXPECT_EQ(byTitle["User Tool"]["reason"], "disabled");
    EXPECT_EQ(byTitle["User Tool"]["trusted"], false);
    EXPECT_EQ(byTitle["gone"]["reason"], "file-missing");
    EXPECT_EQ(byTitle["Other Tool"]["reason"], "ok");
    EXPECT_EQ(byTitle["Off Tool"]["registry"], "ok") << "its Add-in Manager value is there";
}

}  // namespace
}  // namespace qv::e2e
