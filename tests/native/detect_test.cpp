// quorvelc status and doctor: Excel's facts and list read without Excel, the Disabled Items
// values, the trusted locations, and the exit codes.
#include <gtest/gtest.h>

#include "console/doctor.h"
#include "console/status.h"
#include "console/utf8.h"
#include "console_world.h"

namespace qv::console {
namespace {

const std::wstring kOptions = L"Software\\Microsoft\\Office\\11.0\\Excel\\Options";
const std::wstring kManager = L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager";
const std::wstring kUser = L"C:\\Users\\u\\AppData\\Roaming\\Microsoft\\AddIns";
const std::wstring kLib = L"C:\\Office\\Library";

TEST(CurVer, MajorVersion) {
    const std::pair<const wchar_t*, int> cases[] = {{L"Excel.Application.11", 11}, {L"excel.application.16", 16},
                                                    {L"Excel.Application.", 0},    {L"Excel.Application.1x", 0},
                                                    {L"Word.Application.16", 0},   {L"", 0}};
    for (const auto& [text, major] : cases) EXPECT_EQ(CurVerMajor(text), major) << testing::PrintToString(std::wstring(text));
}

TEST(InstalledExcel, FactsFromCurVerProfileAndEitherView) {
    fake::FakeRegistry reg;
    fake::FakeFileSystem fs;
    fake::FakeSystem sys;
    EXPECT_EQ(InstalledExcelFacts(reg, fs, sys).version, 0) << "no Excel registered";
    reg.machine[reg.MachineKey(MachineRoot::ClassesRoot, RegView::Own, L"Excel.Application\\CurVer", L"")] =
        L"Excel.Application.16";
    // 32-bit Office on 64-bit Windows: only the 32-bit view has its InstallRoot.
    reg.machine[reg.MachineKey(MachineRoot::LocalMachine, RegView::Bits32,
                               L"SOFTWARE\\Microsoft\\Office\\16.0\\Excel\\InstallRoot", L"Path")] =
        L"C:\\Program Files (x86)\\Microsoft Office\\root\\Office16\\";
    fs.folders.insert(L"C:\\Program Files (x86)\\Microsoft Office\\root\\Office16\\Library");
    excel::Facts f = InstalledExcelFacts(reg, fs, sys);
    EXPECT_EQ(f.version, 16);
    EXPECT_EQ(f.userFolder, kUser);
    EXPECT_EQ(f.libraryFolder, L"C:\\Program Files (x86)\\Microsoft Office\\root\\Office16\\Library");
    reg.machine[reg.MachineKey(MachineRoot::ClassesRoot, RegView::Own, L"Excel.Application\\CurVer", L"")] =
        L"Excel.Application.8";
    EXPECT_EQ(InstalledExcelFacts(reg, fs, sys).userFolder, L"") << "Excel 97 has no user folder";
}

// The library folder of an MSI Office, of Click-to-Run Office from its own hive or from its
// installation folder, each trusted only when the folder is there.
TEST(InstalledExcel, LibraryFolderFromTheFirstSourceWhoseFolderExists) {
    const std::wstring native = L"SOFTWARE\\Microsoft\\Office\\16.0\\Excel\\InstallRoot";
    const std::wstring hive = L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Microsoft\\Office\\16.0\\Excel\\InstallRoot";
    const std::wstring hiveWow =
        L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Wow6432Node\\Microsoft\\Office\\16.0\\Excel\\InstallRoot";
    const std::wstring config = L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\Configuration";
    const std::wstring msi = L"C:\\MSI\\Office16\\", c2r = L"C:\\Program Files\\Microsoft Office\\root\\Office16\\";
    struct Value {
        RegView view;
        std::wstring key, name, data;
    };
    struct Case {
        int line;
        std::vector<Value> values;
        std::vector<std::wstring> folders;  // the Library folders that exist
        std::wstring want;
    } cases[] = {
        {__LINE__, {{RegView::Bits64, native, L"Path", msi}}, {L"C:\\MSI\\Office16\\Library"}, L"C:\\MSI\\Office16\\Library"},
        // the native key wins over the hive while its folder is there
        {__LINE__, {{RegView::Bits64, native, L"Path", msi}, {RegView::Bits64, hive, L"Path", c2r}},
         {L"C:\\MSI\\Office16\\Library", c2r + L"Library"}, L"C:\\MSI\\Office16\\Library"},
        // a key left by a removed Office: its folder is gone
        {__LINE__, {{RegView::Bits64, native, L"Path", msi}, {RegView::Bits64, hive, L"Path", c2r}}, {c2r + L"Library"},
         c2r + L"Library"},
        {__LINE__, {{RegView::Bits32, hive, L"Path", c2r}}, {c2r + L"Library"}, c2r + L"Library"},
        {__LINE__, {{RegView::Bits64, hiveWow, L"Path", c2r}}, {c2r + L"Library"}, c2r + L"Library"},
        // only the installation folder: "root\Office<NN>" below it, with or without its closing separator
        {__LINE__, {{RegView::Bits64, config, L"InstallationPath", L"C:\\Program Files\\Microsoft Office"}},
         {c2r + L"Library"}, c2r + L"Library"},
        {__LINE__, {{RegView::Bits32, config, L"InstallationPath", L"C:\\Program Files\\Microsoft Office\\"}},
         {c2r + L"Library"}, c2r + L"Library"},
        {__LINE__, {{RegView::Bits64, config, L"InstallationPath", L"C:\\Program Files\\Microsoft Office"}}, {}, L""},
        {__LINE__, {{RegView::Bits64, native, L"Path", L""}, {RegView::Bits64, hive, L"Path", L"\\"}},
         {L"Library", L"\\Library"}, L""},
        {__LINE__, {}, {c2r + L"Library"}, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        fake::FakeRegistry reg;
        fake::FakeFileSystem fs;
        fake::FakeSystem sys;
        reg.machine[reg.MachineKey(MachineRoot::ClassesRoot, RegView::Own, L"Excel.Application\\CurVer", L"")] =
            L"Excel.Application.16";
        for (const Value& v : c.values) reg.machine[reg.MachineKey(MachineRoot::LocalMachine, v.view, v.key, v.name)] = v.data;
        for (const auto& f : c.folders) fs.folders.insert(f);
        EXPECT_EQ(InstalledExcelFacts(reg, fs, sys).libraryFolder, c.want);
    }
}

struct StatusWorld : ConsoleWorld {
    StatusWorld() {
        w.reg.machine[w.reg.MachineKey(MachineRoot::ClassesRoot, RegView::Own, L"Excel.Application\\CurVer", L"")] =
            L"Excel.Application.11";
        w.reg.machine[w.reg.MachineKey(MachineRoot::LocalMachine, RegView::Bits64,
                                       L"SOFTWARE\\Microsoft\\Office\\11.0\\Excel\\InstallRoot", L"Path")] = L"C:\\Office\\";
        w.fs.folders.insert(kLib);
        world.sameContents = [this](const std::wstring& a, const std::wstring& b) { return w.fs.files.at(a) == w.fs.files.at(b); };
        world.sha256 = [this](const std::wstring& p) -> std::optional<std::string> {
            if (!w.fs.files.count(p)) return std::nullopt;
            return std::string(64, w.fs.files.at(p) == L"v2" ? 'a' : 'b');
        };
        w.fs.files[L"C:\\pkg\\t.xla"] = L"v2";
    }
};

TEST(Status, EachWayAnAddinStands) {
    struct Case {
        const char* what;
        std::vector<RegValue> options, manager;
        std::map<std::wstring, std::wstring> files;
        Detection want;
        std::wstring at;
    };
    const std::wstring other = L"D:\\Tools\\T.XLA";
    const Case cases[] = {
        {"full path after a switch", {{L"OPEN", L"/R \"" + other + L"\""}}, {}, {{other, L"v2"}}, Detection::Installed, other},
        {"bare name in the user folder", {{L"OPEN1", L"\"t.xla\""}}, {}, {{kUser + L"\\t.xla", L"v2"}}, Detection::Installed, kUser + L"\\t.xla"},
        {"bare name in the library", {{L"open", L"t.xla"}}, {}, {{kLib + L"\\t.xla", L"v2"}}, Detection::Installed, kLib + L"\\t.xla"},
        {"other content", {{L"OPEN", other}}, {}, {{other, L"v1"}}, Detection::DifferentContent, other},
        {"file gone", {{L"OPEN", other}}, {}, {}, Detection::FileMissing, other},
        {"not an OPEN value", {{L"OPENER", other}}, {}, {{other, L"v2"}}, Detection::NotListed, L""},
        {"Add-in Manager", {}, {{other, L""}}, {{other, L"v2"}}, Detection::SwitchedOff, other},
        {"default folder, no value", {}, {}, {{kLib + L"\\t.xla", L"v2"}}, Detection::SwitchedOff, kLib + L"\\t.xla"},
        {"another file switched on", {{L"OPEN", L"D:\\Tools\\u.xla"}}, {}, {{L"D:\\Tools\\u.xla", L"v2"}}, Detection::NotListed, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StatusWorld s;
        s.w.reg.keys[kOptions] = c.options;
        s.w.reg.keys[kManager] = c.manager;
        for (const auto& [p, content] : c.files) s.w.fs.files[p] = content;
        const excel::Facts facts = InstalledExcelFacts(s.w.reg, s.w.fs, s.w.sys);
        const Detected d = Detect(s.w.reg, s.w.fs, facts, L"t.xla",
                                  [&](const std::wstring& p) { return s.w.fs.files.at(p) == L"v2"; });
        EXPECT_EQ(d.what, c.want);
        EXPECT_EQ(d.fullName, c.at);
    }
}

TEST(Status, ExitCodesAndStreams) {
    StatusWorld s;
    s.w.reg.keys[kOptions] = {{L"OPEN", L"\"t.xla\""}};
    s.w.fs.files[kUser + L"\\t.xla"] = L"v2";
    EXPECT_EQ(s.Run({L"status", L"C:\\pkg\\t.xla"}), kExitDone);
    EXPECT_EQ(s.out.out, L"インストール済み（動作中、内容が同一）：" + kUser + L"\\t.xla\n");
    EXPECT_EQ(s.w.excel.instancesCreated, 0) << "Excel is never started";

    EXPECT_EQ(s.Run({L"status", L"t.xla", L"--sha256", std::wstring(64, L'A')}), kExitDone) << "hex in any case";
    EXPECT_EQ(s.Run({L"status", L"t.xla", L"--sha256", std::wstring(64, L'b')}), kExitNo);

    StatusWorld mixed;
    mixed.w.reg.keys[kOptions] = {{L"OPEN", L"\"t.xla\""}};
    mixed.w.fs.files[kUser + L"\\t.xla"] = L"v2";
    mixed.w.fs.files[L"C:\\pkg\\n.xla"] = L"v2";
    EXPECT_EQ(mixed.Run({L"status", L"C:\\pkg\\t.xla", L"C:\\pkg\\n.xla", L"--lang", L"en"}), kExitNo);
    EXPECT_EQ(mixed.out.out, L"") << "nothing on standard output unless every target is detected";
    EXPECT_EQ(mixed.out.err, L"Not in the add-in list: C:\\pkg\\n.xla\n");
    EXPECT_EQ(mixed.Run({L"status", L"C:\\pkg\\gone.xla"}), kExitNotFound) << "a FILE that is not there";

    ConsoleWorld none;
    EXPECT_EQ(none.Run({L"status", L"t.xla", L"--sha256", std::wstring(64, L'a')}), kExitCannotRun) << "no Excel";
}

std::vector<std::uint8_t> Blob(std::uint32_t type, const std::wstring& path, const std::wstring& description,
                               bool terminated = true) {
    std::vector<std::uint8_t> b;
    auto dword = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i))); };
    auto text = [&](const std::wstring& t) {
        for (wchar_t c : t) b.push_back(static_cast<std::uint8_t>(c)), b.push_back(static_cast<std::uint8_t>(c >> 8));
        if (terminated) b.push_back(0), b.push_back(0);
    };
    const std::uint32_t extra = terminated ? 2 : 0;
    dword(type);
    dword(static_cast<std::uint32_t>(path.size() * 2 + extra));
    dword(static_cast<std::uint32_t>(description.size() * 2 + extra));
    text(path);
    text(description);
    return b;
}

TEST(DisabledItems, PathOfEachValue) {
    const std::wstring p = L"c:\\users\\u\\addins\\ツール.xla";
    EXPECT_EQ(DisabledItemPath(Blob(1, p, L"ツール")), p);
    EXPECT_EQ(DisabledItemPath(Blob(2, p, L"", false)), p) << "no closing nulls";
    auto shortened = Blob(1, p, L"desc");
    shortened.resize(20);
    EXPECT_EQ(DisabledItemPath(shortened), std::nullopt) << "the path runs past the end";
    auto odd = Blob(1, p, L"");
    odd[4] = 3;
    EXPECT_EQ(DisabledItemPath(odd), std::nullopt) << "an odd byte length";
    EXPECT_EQ(DisabledItemPath(Blob(1, L"", L"")), std::nullopt);
    EXPECT_EQ(DisabledItemPath({1, 0, 0, 0, 4}), std::nullopt) << "shorter than its header";
    auto huge = Blob(1, p, L"x");
    huge[11] = 0x7f;
    EXPECT_EQ(DisabledItemPath(huge), std::nullopt) << "the description runs past the end";
}

TEST(TrustedLocations, UserAndPolicyWithSubfoldersAndTheSwitchOff) {
    fake::FakeRegistry reg;
    fake::FakeDrives drives;
    fake::FakeSystem sys;
    const std::wstring user = L"Software\\Microsoft\\Office\\16.0\\Excel\\Security\\Trusted Locations";
    const std::wstring policy = L"Software\\Policies\\Microsoft\\Office\\16.0\\Excel\\Security\\Trusted Locations";
    reg.expandables[user + L"\\Location2"][L"Path"] = L"C:\\Users\\u\\AppData\\Roaming\\Microsoft\\AddIns\\";
    reg.keys[policy + L"\\Tools"] = {{L"Path", L"\\\\srv\\Tools"}};
    reg.dwords[policy + L"\\Tools"][L"AllowSubfolders"] = 1;
    EXPECT_EQ(TrustedLocations(reg, drives, 16).size(), 1u) << "a share only when network locations are allowed";
    reg.dwords[policy][L"AllowNetworkLocations"] = 1;
    const auto locations = TrustedLocations(reg, drives, 16);
    ASSERT_EQ(locations.size(), 2u);
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"C:\\Users\\u\\AppData\\Roaming\\Microsoft\\AddIns", true},
        {L"c:\\users\\U\\appdata\\roaming\\microsoft\\addins\\", true},
        {L"C:\\Users\\u\\AppData\\Roaming\\Microsoft\\AddIns\\Sub", false},
        {L"C:\\Users\\u\\AppData\\Roaming\\Microsoft\\AddInsX", false},
        {L"\\\\srv\\Tools\\Team\\2024", true},
        {L"\\\\srv\\Tools", true},
        {L"\\\\srv\\ToolsOld", false},
    };
    for (const auto& [folder, trusted] : cases)
        EXPECT_EQ(InTrustedLocation(locations, folder, sys), trusted) << testing::PrintToString(std::wstring(folder));
    reg.dwords[policy][L"AllLocationsDisabled"] = 1;
    EXPECT_TRUE(TrustedLocations(reg, drives, 16).empty());
}

// A DWORD value that a table case writes before it reads.
struct Dword {
    std::wstring key, name;
    std::uint32_t value;
};

// Which locations Excel trusts: the user's own only while the Office-wide policy allows them,
// one network rule for all (the policy's first), a mapped drive letter as a share.
TEST(TrustedLocations, AsExcelReadsThem) {
    const std::wstring user = L"Software\\Microsoft\\Office\\16.0\\Excel\\Security\\Trusted Locations";
    const std::wstring policy = L"Software\\Policies\\Microsoft\\Office\\16.0\\Excel\\Security\\Trusted Locations";
    const std::wstring cloud = L"Software\\Policies\\Microsoft\\Cloud\\Office\\16.0\\Excel\\Security\\Trusted Locations";
    const std::wstring common = L"Software\\Policies\\Microsoft\\Office\\16.0\\Common\\Security\\Trusted Locations";
    const std::wstring cloudCommon = L"Software\\Policies\\Microsoft\\Cloud\\Office\\16.0\\Common\\Security\\Trusted Locations";
    const std::wstring userCommon = L"Software\\Microsoft\\Office\\16.0\\Common\\Security\\Trusted Locations";
    struct Case {
        int line;
        std::vector<Dword> values;
        std::vector<std::wstring> want;  // the trusted paths, the policy's before the user's
    } cases[] = {
        {__LINE__, {}, {L"C:\\Pol", L"C:\\Mine"}},
        {__LINE__, {{common, L"Allow User Locations", 0}}, {L"C:\\Pol"}},
        {__LINE__, {{cloudCommon, L"Allow User Locations", 0}}, {L"C:\\Pol"}},
        {__LINE__, {{cloudCommon, L"Allow User Locations", 1}, {common, L"Allow User Locations", 0}}, {L"C:\\Pol", L"C:\\Mine"}},
        {__LINE__, {{common, L"Allow User Locations", 1}}, {L"C:\\Pol", L"C:\\Mine"}},
        // only the policy may turn them off: the same value in the user's own key does nothing
        {__LINE__, {{userCommon, L"Allow User Locations", 0}}, {L"C:\\Pol", L"C:\\Mine"}},
        // network locations: the user's allowance, unless a policy says otherwise, for all
        {__LINE__, {{user, L"AllowNetworkLocations", 1}}, {L"C:\\Pol", L"\\\\srv\\Pol", L"n:\\Pol", L"C:\\Mine", L"\\\\srv\\Mine", L"M:\\Mine"}},
        {__LINE__, {{user, L"AllowNetworkLocations", 1}, {policy, L"AllowNetworkLocations", 0}}, {L"C:\\Pol", L"C:\\Mine"}},
        {__LINE__, {{policy, L"AllowNetworkLocations", 1}}, {L"C:\\Pol", L"\\\\srv\\Pol", L"n:\\Pol", L"C:\\Mine", L"\\\\srv\\Mine", L"M:\\Mine"}},
        {__LINE__, {{cloud, L"AllowNetworkLocations", 0}, {policy, L"AllowNetworkLocations", 1}}, {L"C:\\Pol", L"C:\\Mine"}},
        {__LINE__, {{user, L"AllLocationsDisabled", 1}}, {}},
        {__LINE__, {{user, L"AllLocationsDisabled", 1}, {policy, L"AllLocationsDisabled", 0}}, {L"C:\\Pol", L"C:\\Mine"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        fake::FakeRegistry reg;
        fake::FakeDrives drives;
        drives.types = {{L"C:\\", 3}, {L"N:\\", 4}, {L"M:\\", 1}};  // M: as an elevated program sees a mapped drive
        reg.keys[policy + L"\\P1"] = {{L"Path", L"C:\\Pol\\"}};
        reg.keys[policy + L"\\P2"] = {{L"Path", L"\\\\srv\\Pol"}};
        reg.keys[policy + L"\\P3"] = {{L"Path", L"n:\\Pol"}};
        reg.keys[user + L"\\Location1"] = {{L"Path", L"C:\\Mine"}};
        reg.keys[user + L"\\Location2"] = {{L"Path", L"\\\\srv\\Mine\\"}};
        reg.keys[user + L"\\Location3"] = {{L"Path", L"M:\\Mine"}};
        for (const auto& d : c.values) reg.dwords[d.key][d.name] = d.value;
        std::vector<std::wstring> got;
        for (const auto& l : TrustedLocations(reg, drives, 16)) got.push_back(l.path);
        EXPECT_EQ(got, c.want);
    }
}

// Paths are compared as the system compares them, every script's letter case ignored; a
// trusted location and a Disabled Items entry alike.
TEST(TrustedLocations, ComparedAsTheSystemComparesPaths) {
    fake::FakeSystem sys;
    const std::vector<TrustedLocation> locations = {{L"D:\\Ｔｏｏｌｓ\\Équipe", true}};
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"D:\\ｔｏｏｌｓ\\équipe", true},
        {L"d:\\ＴＯＯＬＳ\\ÉQUIPE\\2024", true},
        {L"D:\\Tools\\Équipe", false},  // full-width letters are other letters, not their ASCII look-alikes
        {L"D:\\Ｔｏｏｌｓ\\Equipe", false},
    };
    for (const auto& [folder, trusted] : cases)
        EXPECT_EQ(InTrustedLocation(locations, folder, sys), trusted) << testing::PrintToString(std::wstring(folder));
    EXPECT_FALSE(sys.compared.empty()) << "through the system's comparison";

    ConsoleWorld c;
    const std::wstring tool = L"D:\\Ｔｏｏｌｓ\\tool.xla";
    c.w.excel.addins = {{L"tool.xla", tool, L"Tool", L"D:\\Ｔｏｏｌｓ", true}};
    c.w.fs.files[tool] = L"x";
    c.w.reg.keys[kOptions] = {{L"OPEN", L"/R \"" + tool + L"\""}};
    c.w.reg.binaries[L"Software\\Microsoft\\Office\\11.0\\Excel\\Resiliency\\DisabledItems"] = {
        {L"x", Blob(1, L"d:\\ｔｏｏｌｓ\\TOOL.XLA", L"")}};
    EXPECT_EQ(c.Run({L"doctor", L"--json"}), kExitNo);
    EXPECT_EQ(nlohmann::json::parse(ToUtf8(c.out.out))["results"][0]["reason"], "disabled");
}

TEST(Doctor, WrongOnlyForWhatKeepsAnAddinFromWorking) {
    ConsoleWorld c;
    c.w.excel.userLibraryPath = kUser + L"\\";
    const std::wstring ok = kUser + L"\\ok.xla", marked = L"D:\\T\\m.xla", off = L"D:\\T\\off.xla";
    c.w.excel.addins = {{L"ok.xla", ok, L"OK", kUser, true}, {L"m.xla", marked, L"Marked", L"D:\\T", true},
                        {L"off.xla", off, L"Off", L"D:\\T", false}};
    for (const auto& p : {ok, marked, off}) c.w.fs.files[p] = L"x";
    c.w.fs.zones[marked] = "[ZoneTransfer]\r\nZoneId=3\r\n";
    c.w.reg.keys[kOptions] = {{L"OPEN", L"\"ok.xla\""}, {L"OPEN1", L"/R \"" + marked + L"\""}};
    c.w.reg.keys[kManager] = {{off, L""}};
    EXPECT_EQ(c.Run({L"doctor", L"ok.xla", L"off.xla"}), kExitDone) << testing::PrintToString(c.out.err);
    EXPECT_EQ(c.Run({L"doctor", L"m.xla"}), kExitNo) << "marked";

    c.w.reg.keys[kManager].clear();
    c.w.reg.binaries[L"Software\\Microsoft\\Office\\11.0\\Excel\\Resiliency\\DisabledItems"] = {{L"x", Blob(1, L"C:\\USERS\\U\\APPDATA\\ROAMING\\MICROSOFT\\ADDINS\\OK.XLA", L"")}};
    c.out = {};
    EXPECT_EQ(c.Run({L"doctor", L"--lang", L"en"}), kExitNo);
    EXPECT_NE(c.out.err.find(L"in Excel's Disabled Items"), std::wstring::npos);
    EXPECT_NE(c.out.err.find(L"no Add-in Manager value names it"), std::wstring::npos);
}

}  // namespace
}  // namespace qv::console

namespace qv::console {
namespace {

// Excel's security settings as doctor reads them: the Cloud Policy before Group Policy before
// the user's own, and a trusted location before everything.
TEST(MacroPolicies, InTheOrderExcelAppliesThem) {
    const std::wstring cloud = L"Software\\Policies\\Microsoft\\Cloud\\Office\\16.0\\Excel\\Security";
    const std::wstring policy = L"Software\\Policies\\Microsoft\\Office\\16.0\\Excel\\Security";
    const std::wstring user = L"Software\\Microsoft\\Office\\16.0\\Excel\\Security";
    using Codes = std::vector<std::string>;
    struct Case {
        int line;
        std::vector<Dword> values;
        bool trusted, marked;
        Codes problems, notes;
    } cases[] = {
        {__LINE__, {}, false, false, {}, {}},
        {__LINE__, {{user, L"VBAWarnings", 4}}, false, false, {"macros-disabled"}, {}},
        {__LINE__, {{user, L"VBAWarnings", 4}}, true, false, {}, {}},
        {__LINE__, {{user, L"VBAWarnings", 3}}, false, false, {}, {"macros-signed-only"}},
        {__LINE__, {{user, L"VBAWarnings", 2}}, false, false, {}, {}},
        // the policy wins over the user's own setting, the Cloud Policy over Group Policy
        {__LINE__, {{user, L"VBAWarnings", 1}, {policy, L"VBAWarnings", 4}}, false, false, {"macros-disabled"}, {}},
        {__LINE__, {{user, L"VBAWarnings", 4}, {policy, L"VBAWarnings", 2}}, false, false, {}, {}},
        {__LINE__, {{policy, L"VBAWarnings", 4}, {cloud, L"VBAWarnings", 3}}, false, false, {}, {"macros-signed-only"}},
        // the internet block needs a marked file; in a trusted location neither counts
        {__LINE__, {{policy, L"blockcontentexecutionfrominternet", 1}}, false, false, {}, {}},
        {__LINE__, {{policy, L"blockcontentexecutionfrominternet", 1}}, false, true, {"internet-macros-blocked", "marked"}, {}},
        {__LINE__, {{policy, L"blockcontentexecutionfrominternet", 1}}, true, true, {}, {}},
        {__LINE__, {{cloud, L"blockcontentexecutionfrominternet", 0}, {policy, L"blockcontentexecutionfrominternet", 1}},
         false, true, {"marked"}, {}},
        {__LINE__, {}, false, true, {"marked"}, {}},
        {__LINE__, {}, true, true, {}, {}},
        // the add-in settings are told wherever the file lies
        {__LINE__, {{policy, L"RequireAddinSig", 1}, {user, L"DisableAllAddins", 1}}, true, false, {},
         {"addin-signature-required", "addins-disabled"}},
        {__LINE__, {{policy, L"RequireAddinSig", 0}, {user, L"RequireAddinSig", 1}}, false, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        fake::FakeRegistry reg;
        for (const auto& d : c.values) reg.dwords[d.key][d.name] = d.value;
        const PolicyFindings f = JudgePolicies(ReadMacroPolicy(reg, 16), c.trusted, c.marked);
        EXPECT_EQ(f.problems, c.problems);
        EXPECT_EQ(f.notes, c.notes);
    }
    // Only Microsoft 365 (16.0) has a Cloud Policy.
    fake::FakeRegistry reg;
    reg.dwords[L"Software\\Policies\\Microsoft\\Cloud\\Office\\16.0\\Excel\\Security"][L"VBAWarnings"] = 4;
    EXPECT_EQ(ReadMacroPolicy(reg, 15).vbaWarnings, std::nullopt);
}

// A policy problem makes doctor's exit 1 and names its reason; a note is told and counted nowhere.
TEST(Doctor, PolicyProblemsCountNotesAreTold) {
    const std::wstring policy = L"Software\\Policies\\Microsoft\\Office\\11.0\\Excel\\Security";
    ConsoleWorld c;
    const std::wstring tool = L"D:\\T\\tool.xla";
    c.w.excel.addins = {{L"tool.xla", tool, L"Tool", L"D:\\T", true}};
    c.w.fs.files[tool] = L"x";
    c.w.reg.keys[kOptions] = {{L"OPEN", L"/R \"" + tool + L"\""}};
    c.w.reg.dwords[policy][L"VBAWarnings"] = 3;
    c.w.reg.dwords[policy][L"RequireAddinSig"] = 1;
    EXPECT_EQ(c.Run({L"doctor", L"--json"}), kExitDone) << testing::PrintToString(c.out.err);
    auto doc = nlohmann::json::parse(ToUtf8(c.out.out));
    EXPECT_EQ(doc["results"][0]["notes"], nlohmann::json({"macros-signed-only", "addin-signature-required"}));
    EXPECT_EQ(doc["results"][0]["reason"], "ok");

    c.w.reg.dwords[policy][L"VBAWarnings"] = 4;
    c.out = {};
    EXPECT_EQ(c.Run({L"doctor", L"--lang", L"en"}), kExitNo);
    EXPECT_NE(c.out.err.find(L"macro setting: all macros disabled without notification"), std::wstring::npos)
        << testing::PrintToString(c.out.err);
    EXPECT_NE(c.out.err.find(L"application add-ins must be signed by a trusted publisher"), std::wstring::npos);

    // The same add-in in a trusted location: the macro setting does not apply to it.
    c.w.reg.keys[L"Software\\Microsoft\\Office\\11.0\\Excel\\Security\\Trusted Locations\\L1"] = {{L"Path", L"D:\\T\\"}};
    c.out = {};
    EXPECT_EQ(c.Run({L"doctor"}), kExitDone) << testing::PrintToString(c.out.err);
}

}  // namespace
}  // namespace qv::console
