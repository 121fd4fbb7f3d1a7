// The stand-in's add-in manager against in-memory registry and files.
#include <gtest/gtest.h>

#include <map>

#include "fakes.h"
#include "model/dialog_text.h"
#include "model/error.h"
#include "model/instance.h"
#include "model/list_report.h"
#include "model/open_value.h"
#include "model/paths.h"

namespace qv {
inline bool operator==(const RegValue& a, const RegValue& b) { return a.name == b.name && a.data == b.data; }
inline void PrintTo(const RegValue& v, std::ostream* os) { *os << testing::PrintToString(v.name + L"=" + v.data); }
}  // namespace qv

namespace qv::standin {
namespace {

using Values = std::vector<RegValue>;

const std::wstring kOptions = L"Software\\Microsoft\\Office\\11.0\\Excel\\Options";
const std::wstring kManager = L"Software\\Microsoft\\Office\\11.0\\Excel\\Add-in Manager";
const std::wstring kUser = L"C:\\U\\AddIns";
const std::wstring kLib = L"C:\\Office\\Library";


// ---- OPEN values ----

TEST(StandinOpenValue, ParsesTheFormatsInstallersAndExcelWrite) {
    struct Case {
        std::wstring data, file;
        bool bare;
    } cases[] = {
        {L"/R \"C:\\Tools\\a.xla\"", L"C:\\Tools\\a.xla", false},
        {L"\"C:\\Tools\\my add.xla\"", L"C:\\Tools\\my add.xla", false},
        {L"\"a.xla\"", L"a.xla", true},
        {L"/R C:\\Tools\\my add.xla", L"C:\\Tools\\my add.xla", false},
        {L"C:\\Tools\\a.xla", L"C:\\Tools\\a.xla", false},
        {L"a.xla", L"a.xla", true},
        {L"  /R   \"b.xla\"  ", L"b.xla", true},
        {L"/R /F \"\\\\srv\\share\\c.xla\"", L"\\\\srv\\share\\c.xla", false},
        {L"\"C:\\unclosed.xla", L"C:\\unclosed.xla", false},
        {L"", L"", false},
        {L"/R", L"", false},
    };
    for (auto& c : cases) {
        OpenValue v = ParseOpenValue(c.data);
        EXPECT_EQ(v.file, c.file) << c.data;
        EXPECT_EQ(v.bare, c.bare) << c.data;
    }
}

TEST(StandinRegistration, ServerCommandIsQuotedOnlyWhenItHoldsABlank) {
    EXPECT_EQ(standin::ServerCommand(L"Z:\\work\\build\\excel-standin.exe"), L"Z:\\work\\build\\excel-standin.exe");
    EXPECT_EQ(standin::ServerCommand(L"C:\\with blank\\excel-standin.exe"), L"\"C:\\with blank\\excel-standin.exe\"");
}

TEST(StandinOpenValue, NamesAndFormats) {
    struct Case {
        std::wstring name;
        std::optional<int> index;
    } cases[] = {{L"OPEN", 0}, {L"OPEN1", 1}, {L"open12", 12}, {L"Open3", 3}, {L"OPEN01", std::nullopt},
                 {L"OPENX", std::nullopt}, {L"Options", std::nullopt}, {L"OPEN 1", std::nullopt}, {L"XOPEN", std::nullopt}};
    for (auto& c : cases) EXPECT_EQ(OpenValueIndex(c.name), c.index) << c.name;
    EXPECT_EQ(OpenValueName(0), L"OPEN");
    EXPECT_EQ(OpenValueName(7), L"OPEN7");
    EXPECT_EQ(FormatOpenValue(L"C:\\T\\a.xla", false), L"/R \"C:\\T\\a.xla\"");
    EXPECT_EQ(FormatOpenValue(L"C:\\T\\a.xla", true), L"\"a.xla\"");
}

// ---- The list ----

// Remembers every hold it gave out; a path is held while any of its holds lives.
class RecordingHolder : public FileHolder {
public:
    FileHold Hold(const std::wstring& path) override {
        auto hold = std::make_shared<int>(0);
        holds_.push_back({path, hold});
        return hold;
    }
    bool Held(const std::wstring& path) const {
        for (auto& [p, h] : holds_)
            if (p == path && !h.expired()) return true;
        return false;
    }

private:
    std::vector<std::pair<std::wstring, std::weak_ptr<int>>> holds_;
};

struct Machine {
    RecordingHolder holder;
    fake::FakeRegistry reg;
    fake::FakeFileSystem fs;
    fake::FakeDrives drives;
    std::map<std::wstring, std::wstring> titles;  // full path -> title in the file
    std::vector<std::wstring> titleReads;

    Machine() {
        drives.types[L"C:\\"] = kDriveFixed;
        drives.types[L"D:\\"] = kDriveFixed;
        drives.types[L"E:\\"] = 2;  // removable
    }
    void File(const std::wstring& path, const std::wstring& title = L"") {
        fs.files[path] = L"x";
        if (!title.empty()) titles[path] = title;
    }
    Settings settings() const { return {L"11.0", kUser + L"\\", kLib}; }
    std::unique_ptr<Instance> Start() {
        reg.log.clear();
        fs.log.clear();
        return std::make_unique<Instance>(reg, fs, drives, settings(), [this](const std::wstring& p) {
            titleReads.push_back(p);
            auto it = titles.find(p);
            return it == titles.end() ? std::wstring() : it->second;
        }, &holder);
    }
    Values Key(const std::wstring& k) { return reg.StringValues(k); }
};

// Full path -> installed, for the whole list.
std::map<std::wstring, bool> States(const AddinManager& m) {
    std::map<std::wstring, bool> r;
    for (int id : m.Ordered()) r[m.At(id).fullPath] = m.At(id).installed;
    return r;
}

int IdOf(const AddinManager& m, const std::wstring& path) {
    for (int id : m.Ordered())
        if (m.At(id).fullPath == path) return id;
    ADD_FAILURE() << "not listed";
    return -1;
}

TEST(StandinAddins, ListComesFromOptionsAddinManagerAndDefaultFolders) {
    Machine pc;
    pc.File(L"D:\\Tools\\a.xla", L"Alpha");
    pc.File(L"D:\\Tools\\b.xla");
    pc.File(kUser + L"\\u.xla", L"User one");
    pc.File(kLib + L"\\lib.xla", L"Library one");
    pc.File(kLib + L"\\notes.txt");
    pc.File(kLib + L"\\new.xlam");
    // A file named twice, whatever the letter case, is one entry; listed in Options, it is on.
    pc.reg.keys[kOptions] = {{L"OPEN", L"/R \"D:\\Tools\\a.xla\""}, {L"Options3", L"x"}, {L"OPEN1", L"\"u.xla\""},
                             {L"OPEN2", L"/R \"d:\\tools\\A.xla\""}};
    pc.reg.keys[kManager] = {{L"D:\\Tools\\b.xla", L""}, {L"D:\\Gone\\missing.xla", L""}, {L"d:\\TOOLS\\a.xla", L""}};
    auto in = pc.Start();
    std::map<std::wstring, bool> expected = {{L"D:\\Tools\\a.xla", true},      {L"D:\\Tools\\b.xla", false},
                                             {kUser + L"\\u.xla", true},       {kLib + L"\\lib.xla", false},
                                             {L"D:\\Gone\\missing.xla", false}};
    EXPECT_EQ(States(in->addins), expected);
    EXPECT_EQ(in->addins.Count(), 5u);
}

TEST(StandinAddins, BareNameMeansUserFolderWhenTheFileIsThereElseLibrary) {
    struct Case {
        bool inUser, inLib;
        std::wstring expected;
    } cases[] = {
        {true, true, kUser + L"\\x.xla"},
        {true, false, kUser + L"\\x.xla"},
        {false, true, kLib + L"\\x.xla"},
        {false, false, kLib + L"\\x.xla"},
    };
    for (auto& c : cases) {
        Machine pc;
        if (c.inUser) pc.File(kUser + L"\\x.xla");
        if (c.inLib) pc.File(kLib + L"\\x.xla");
        pc.reg.keys[kOptions] = {{L"OPEN", L"x.xla"}};
        auto in = pc.Start();
        auto s = States(in->addins);
        EXPECT_TRUE(s.count(c.expected) && s[c.expected]) << c.inUser << c.inLib;
    }
}

TEST(StandinAddins, EnumeratesByTitleIgnoringCaseThenByPath) {
    Machine pc;
    pc.File(L"D:\\T\\1.xla", L"beta");
    pc.File(L"D:\\T\\2.xla", L"Alpha");
    pc.File(L"D:\\T\\3.xla", L"alpha");
    pc.File(L"D:\\A\\4.xla", L"Gamma");
    pc.reg.keys[kManager] = {{L"D:\\T\\1.xla", L""}, {L"D:\\T\\3.xla", L""}, {L"D:\\T\\2.xla", L""}, {L"D:\\A\\4.xla", L""}};
    auto in = pc.Start();
    std::vector<std::wstring> order;
    for (int id : in->addins.Ordered()) order.push_back(in->addins.At(id).fullPath);
    EXPECT_EQ(order, (std::vector<std::wstring>{L"D:\\T\\2.xla", L"D:\\T\\3.xla", L"D:\\T\\1.xla", L"D:\\A\\4.xla"}));
}

TEST(StandinAddins, FindByTitleIgnoresCaseAndFailsForAnUnknownTitle) {
    Machine pc;
    pc.File(L"D:\\T\\1.xla", L"Tool");
    pc.reg.keys[kManager] = {{L"D:\\T\\1.xla", L""}};
    auto in = pc.Start();
    EXPECT_EQ(in->addins.At(in->addins.FindByTitle(L"TOOL")).fullPath, L"D:\\T\\1.xla");
    try {
        in->addins.FindByTitle(L"Other");
        ADD_FAILURE() << "no failure";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), kErrBadIndex);
        EXPECT_NE(e.Description().find(L"Other"), std::wstring::npos);
    }
}

// ---- Switching on and off, written when the instance ends ----

// Switching add-ins on and off (after AddIns.Add where asked) changes nothing in the registry
// until the instance ends; then Options holds what is on, renumbered without gaps, a file of
// the default folders by its bare name, and Add-in Manager what is off outside those folders.
TEST(StandinAddins, SwitchesAreWrittenInExcelsFormAtTheEnd) {
    const std::wstring a = L"D:\\T\\a.xla", b = L"D:\\T\\b.xla", c = L"D:\\T\\c.xla", gone = L"D:\\Gone\\m.xla";
    const std::wstring u = kUser + L"\\u.xla", l = kLib + L"\\l.xla";
    struct Switch {
        std::wstring path;
        bool on, add = false, fails = false;  // fails: Excel's error, and the add-in stays as it was
    };
    struct Case {
        const char* what;
        std::vector<std::wstring> files;
        Values options, manager;
        std::vector<Switch> switches;
        Values optionsAfter, managerAfter;
    } cases[] = {
        {"on moves to Options",
         {a, b, u},
         {{L"OPEN", L"/R \"D:\\T\\a.xla\""}, {L"Other", L"1"}},
         {{b, L""}},
         {{b, true}, {u, true}},
         {{L"OPEN", L"/R \"D:\\T\\a.xla\""}, {L"Other", L"1"}, {L"OPEN1", L"/R \"D:\\T\\b.xla\""}, {L"OPEN2", L"\"u.xla\""}},
         {}},
        {"off renumbers and lists outside files in Add-in Manager",
         {a, l, c, u},
         {{L"OPEN", L"/R \"D:\\T\\a.xla\""}, {L"OPEN1", L"\"l.xla\""}, {L"OPEN2", L"D:\\T\\c.xla"}, {L"OPEN3", L"\"u.xla\""}},
         {},
         {{a, false}, {l, false}},
         {{L"OPEN", L"/R \"D:\\T\\c.xla\""}, {L"OPEN1", L"\"u.xla\""}},
         {{a, L""}}},
        {"a missing file can be switched off", {}, {{L"OPEN", L"/R \"D:\\Gone\\m.xla\""}}, {}, {{gone, false}}, {}, {{gone, L""}}},
        {"a library file hidden by a user file of the same name is written in full",
         {kUser + L"\\same.xla", kLib + L"\\same.xla"},
         {},
         {},
         {{kLib + L"\\same.xla", true}},
         {{L"OPEN", L"/R \"" + kLib + L"\\same.xla\""}},
         {}},
        {"added then switched on goes straight to Options", {a}, {}, {}, {{a, true, true}}, {{L"OPEN", L"/R \"D:\\T\\a.xla\""}}, {}},
        {"added, it is listed switched off", {a}, {}, {}, {{a, false, true}}, {}, {{a, L""}}},
        {"a missing file cannot be switched on", {}, {}, {{gone, L""}}, {{gone, true, false, true}}, {}, {{gone, L""}}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        Machine pc;
        for (auto& f : c.files) pc.File(f);
        if (!c.options.empty()) pc.reg.keys[kOptions] = c.options;
        if (!c.manager.empty()) pc.reg.keys[kManager] = c.manager;
        auto in = pc.Start();
        for (auto& s : c.switches) {
            if (s.add) in->workbooks.Add();
            int id = s.add ? in->addins.Add(s.path, true) : IdOf(in->addins, s.path);
            try {
                in->addins.SetInstalled(id, s.on);
                EXPECT_FALSE(s.fails);
            } catch (const Error& e) {
                EXPECT_TRUE(s.fails);
                EXPECT_EQ(e.Code(), kErrExcel);
            }
            EXPECT_EQ(in->addins.At(id).installed, s.on != s.fails);
        }
        EXPECT_TRUE(pc.reg.log.empty()) << "written before the end";
        in->End();
        EXPECT_EQ(pc.Key(kOptions), c.optionsAfter);
        EXPECT_EQ(pc.Key(kManager), c.managerAfter);
    }
}

// Excel writes its whole list in its own form when its process ends, changed or not; only a
// process that never ends normally (killed) writes nothing.
TEST(StandinAddins, TheEndWritesTheWholeListChangedOrNot) {
    Machine pc;
    pc.File(L"D:\\T\\a.xla");
    pc.File(L"D:\\T\\b.xla");
    pc.reg.keys[kOptions] = {{L"OPEN", L"D:\\T\\a.xla"}, {L"OPEN2", L"\"gone.xla\""}};
    pc.reg.keys[kManager] = {{L"D:\\T\\b.xla", L""}};
    auto before = pc.reg.keys;
    {
        auto killed = pc.Start();
        killed->addins.SetInstalled(IdOf(killed->addins, L"D:\\T\\b.xla"), true);
    }
    EXPECT_TRUE(pc.reg.log.empty()) << "an instance that never ends writes nothing";
    EXPECT_EQ(pc.reg.keys, before);

    auto in = pc.Start();
    in->addins.SetInstalled(IdOf(in->addins, L"D:\\T\\a.xla"), true);   // already on
    in->addins.SetInstalled(IdOf(in->addins, L"D:\\T\\b.xla"), false);  // already off
    in->End();
    EXPECT_EQ(pc.Key(kOptions), (Values{{L"OPEN", L"/R \"D:\\T\\a.xla\""}, {L"OPEN1", L"\"gone.xla\""}}));
    EXPECT_EQ(pc.Key(kManager), (Values{{L"D:\\T\\b.xla", L""}}));

    auto again = pc.Start();
    again->End();
    EXPECT_TRUE(pc.reg.log.empty()) << "values that already say the same are not written again";
}

// Each instance writes the list it read at its start plus its own changes over whatever the
// registry holds by then: the instance that ends last wins, and the other's changes are lost.
TEST(StandinAddins, OverlappingInstancesLoseEachOthersChanges) {
    Machine pc;
    pc.File(L"D:\\T\\a.xla");
    pc.File(L"D:\\T\\b.xla");
    pc.File(L"D:\\T\\c.xla");
    pc.reg.keys[kOptions] = {{L"OPEN", L"/R \"D:\\T\\a.xla\""}};
    pc.reg.keys[kManager] = {{L"D:\\T\\b.xla", L""}, {L"Not a path", L"kept"}};
    auto first = pc.Start();
    auto second = pc.Start();
    first->addins.SetInstalled(IdOf(first->addins, L"D:\\T\\b.xla"), true);
    first->addins.SetInstalled(IdOf(first->addins, L"D:\\T\\a.xla"), false);
    first->End();
    EXPECT_EQ(pc.Key(kOptions), (Values{{L"OPEN", L"/R \"D:\\T\\b.xla\""}}));
    EXPECT_EQ(pc.Key(kManager), (Values{{L"Not a path", L"kept"}, {L"D:\\T\\a.xla", L""}}));
    pc.reg.SetString(kManager, L"D:\\T\\c.xla", L"");  // listed by a third instance meanwhile
    pc.reg.SetString(kOptions, L"OPEN1", L"/R \"D:\\T\\c.xla\"");
    second->End();  // unchanged, but its list is older
    EXPECT_EQ(pc.Key(kOptions), (Values{{L"OPEN", L"/R \"D:\\T\\a.xla\""}}));
    EXPECT_EQ(pc.Key(kManager), (Values{{L"Not a path", L"kept"}, {L"D:\\T\\b.xla", L""}}));
}

// ---- AddIns.Add ----

TEST(StandinAddins, AddNeedsAnOpenWorkbookOtherThanAnAddinFileAndAnExistingFile) {
    struct Case {
        std::vector<std::wstring> opened;  // "" = Workbooks.Add, else a file opened
        std::wstring file;
        bool added;
    } cases[] = {
        {{}, L"D:\\T\\a.xla", false},
        {{L"D:\\T\\b.xla", L"D:\\T\\c.XLAM"}, L"D:\\T\\a.xla", false},
        {{L""}, L"D:\\T\\missing.xla", false},
        {{L"D:\\T\\b.xla", L""}, L"D:\\T\\a.xla", true},
        {{L"D:\\T\\book.xls"}, L"D:\\T\\a.xla", true},
    };
    for (auto& c : cases) {
        Machine pc;
        for (auto f : {L"D:\\T\\a.xla", L"D:\\T\\b.xla", L"D:\\T\\c.XLAM", L"D:\\T\\book.xls"}) pc.File(f);
        auto in = pc.Start();
        for (auto& o : c.opened) o.empty() ? in->workbooks.Add() : in->workbooks.Open(o);
        if (c.added) {
            EXPECT_NO_THROW(in->addins.Add(c.file, false)) << c.opened.size();
        } else {
            EXPECT_THROW(in->addins.Add(c.file, false), Error) << c.opened.size();
            EXPECT_EQ(in->addins.Count(), 0u);
            in->End();
            EXPECT_TRUE(pc.reg.log.empty());
        }
    }
}

TEST(StandinAddins, AddListsTheFileSwitchedOffOnceWhateverItsSpelling) {
    Machine pc;
    pc.File(L"D:\\T\\a.xla", L"Alpha");
    pc.File(kUser + L"\\u.xla");
    auto in = pc.Start();
    pc.File(L"d:\\t\\A.xla");  // the same file, spelt as another program spells it
    in->workbooks.Add();
    int a = in->addins.Add(L"D:\\T\\a.xla", true);
    EXPECT_EQ(in->addins.At(a).fullPath, L"D:\\T\\a.xla");
    EXPECT_EQ(in->addins.At(a).title, L"Alpha");
    EXPECT_FALSE(in->addins.At(a).installed);
    EXPECT_EQ(in->addins.Add(L"d:\\t\\A.xla", false), a);
    EXPECT_EQ(in->addins.Add(kUser + L"\\u.xla", false), IdOf(in->addins, kUser + L"\\u.xla"));
    EXPECT_EQ(in->addins.Count(), 2u);
    for (auto& op : pc.fs.log) EXPECT_EQ(op.rfind(L"Copy", 0), std::wstring::npos) << "CopyFile is ignored on a fixed disk";
    EXPECT_TRUE(pc.reg.log.empty());
}

TEST(StandinAddins, CopyFileCopiesFromARemovableDiskOnlyWhenAsked) {
    struct Case {
        std::optional<bool> copy;
        std::wstring listed;
    } cases[] = {{true, kUser + L"\\r.xla"}, {false, L"E:\\r.xla"}, {std::nullopt, L"E:\\r.xla"}};
    for (auto& c : cases) {
        Machine pc;
        pc.File(L"E:\\r.xla");
        auto in = pc.Start();
        in->workbooks.Add();
        int id = in->addins.Add(L"E:\\r.xla", c.copy);
        EXPECT_EQ(in->addins.At(id).fullPath, c.listed);
        EXPECT_EQ(pc.fs.files.count(kUser + L"\\r.xla"), c.copy.value_or(false) ? 1u : 0u);
    }
}

// Excel holds the file of an open workbook and of an add-in it loaded, and of nothing else.
TEST(StandinAddins, FilesAreHeldWhileOpenOrLoadedAndSwitchingOffClosesTheAddinsWorkbook) {
    Machine pc;
    const std::wstring on = L"D:\\T\\on.xla", off = L"D:\\T\\off.xla", other = L"D:\\T\\other.xla";
    pc.File(on);
    pc.File(off);
    pc.File(other);
    pc.reg.keys[kOptions] = {{L"OPEN", L"/R \"" + on + L"\""}};
    pc.reg.keys[kManager] = {{off, L""}, {other, L""}};
    auto in = pc.Start();
    EXPECT_FALSE(pc.holder.Held(on)) << "an instance started by automation loads no add-in by itself";

    const std::wstring onUpper = L"D:\\T\\ON.XLA";  // the same file, spelt as another program spells it
    pc.File(onUpper);
    in->workbooks.Open(onUpper);
    EXPECT_TRUE(pc.holder.Held(onUpper));
    int book = in->workbooks.Open(other);
    in->addins.SetInstalled(IdOf(in->addins, on), false);
    EXPECT_FALSE(pc.holder.Held(onUpper)) << "switching off closes the add-in's workbook";
    ASSERT_EQ(in->workbooks.All().size(), 1u) << "and no other";
    EXPECT_EQ(in->workbooks.All()[0].name, L"other.xla");

    int id = IdOf(in->addins, off);
    in->addins.SetInstalled(id, true);
    EXPECT_TRUE(pc.holder.Held(off)) << "a switched-on add-in is loaded";
    in->addins.SetInstalled(id, false);
    EXPECT_FALSE(pc.holder.Held(off));

    EXPECT_TRUE(pc.holder.Held(other));
    in->workbooks.Close(book);
    EXPECT_FALSE(pc.holder.Held(other));

    in->addins.SetInstalled(id, true);
    in.reset();
    EXPECT_FALSE(pc.holder.Held(off)) << "the process's end lets go of everything";
}

// ---- Workbooks ----

TEST(StandinWorkbooks, OpenAddAndClose) {
    fake::FakeFileSystem fs;
    fs.files[L"D:\\T\\a.xla"] = L"x";
    Workbooks books(fs, nullptr);
    EXPECT_THROW(books.Open(L"D:\\T\\missing.xla"), Error);
    int a = books.Open(L"D:\\T\\a.xla");
    EXPECT_EQ(books.Open(L"D:\\T\\A.xla"), a) << "an open file opens again";
    int b1 = books.Add();
    int b2 = books.Add();
    std::vector<std::wstring> names;
    for (auto& w : books.All()) names.push_back(w.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.xla", L"Book1", L"Book2"}));
    books.Close(b1);
    EXPECT_EQ(books.Find(b1), nullptr);
    EXPECT_THROW(books.Close(b1), Error);
    EXPECT_EQ(books.Find(b2)->name, L"Book2");
    EXPECT_EQ(books.Add(), b2 + 1);
    EXPECT_EQ(books.All().back().name, L"Book3");
}

// ---- Text of the dialogs and of /list ----

TEST(StandinDialogText, ExcelFilterBecomesCommonDialogFilter) {
    using namespace std::string_literals;
    struct Case {
        std::wstring excel, dialog;
    } cases[] = {
        {L"Add-ins (*.xla),*.xla", L"Add-ins (*.xla)\0*.xla\0\0"s},
        {L"A (*.xla), *.xla, All (*.*),*.*", L"A (*.xla)\0*.xla\0All (*.*)\0*.*\0\0"s},
        {L"", L"All Files (*.*)\0*.*\0\0"s},
        {L"Only a description", L"All Files (*.*)\0*.*\0\0"s},
    };
    for (auto& c : cases) EXPECT_EQ(DialogFilter(c.excel), c.dialog) << c.excel;
}

TEST(StandinDialogText, SelectedPathsFromOneOrManyFiles) {
    using namespace std::string_literals;
    struct Case {
        std::wstring buffer;
        std::vector<std::wstring> paths;
    } cases[] = {
        {L"C:\\T\\a.xla\0"s, {L"C:\\T\\a.xla"}},
        {L"C:\\T\0a.xla\0b c.xla\0"s, {L"C:\\T\\a.xla", L"C:\\T\\b c.xla"}},
        {L"C:\\\0a.xla\0b.xla\0\0"s, {L"C:\\a.xla", L"C:\\b.xla"}},
        {L""s, {}},
    };
    for (auto& c : cases) EXPECT_EQ(SelectedPaths(c.buffer), c.paths);
}

// Name, FullName, Title, Path and Installed as Excel reports them: the name keeps every dot, a
// file without a title is titled by its name, and a missing file's title is never read.
TEST(StandinListReport, AddinLinesThenTheValuesBehindThem) {
    Machine pc;
    pc.File(L"D:\\T\\a.b.xla", L"Alpha");
    pc.File(kLib + L"\\l.xla");
    pc.titles[L"D:\\Gone\\m.xla"] = L"never read";
    pc.reg.keys[kOptions] = {{L"OPEN1", L"\"l.xla\""}, {L"Font", L"x"}, {L"OPEN", L"/R \"D:\\T\\a.b.xla\""}};
    pc.reg.keys[kManager] = {{L"D:\\Gone\\m.xla", L""}};
    auto in = pc.Start();
    EXPECT_EQ(ListReport(in->addins, pc.reg),
              (std::vector<std::wstring>{L"a.b.xla|D:\\T\\a.b.xla|Alpha|D:\\T|True", L"l.xla|" + kLib + L"\\l.xla|l|" + kLib + L"|True",
                                         L"m.xla|D:\\Gone\\m.xla|m|D:\\Gone|False", L"[Options]",
                                         L"OPEN=/R \"D:\\T\\a.b.xla\"", L"OPEN1=\"l.xla\"", L"[Add-in Manager]",
                                         L"D:\\Gone\\m.xla="}));
    EXPECT_EQ(std::count(pc.titleReads.begin(), pc.titleReads.end(), L"D:\\Gone\\m.xla"), 0);
}

TEST(StandinSettings, DefaultsValuesAndTheKeysOfTheVersion) {
    fake::FakeRegistry reg;
    Settings d = LoadSettings(reg, L"bob");
    EXPECT_EQ(d.version, L"11.0");
    EXPECT_EQ(d.userLibraryPath, L"C:\\users\\bob\\AppData\\Roaming\\Microsoft\\AddIns\\");
    EXPECT_EQ(d.libraryPath, L"C:\\Program Files\\Microsoft Office\\OFFICE11\\Library");
    EXPECT_EQ(d.busyMilliseconds, 400u);
    EXPECT_EQ(d.exitDelayMilliseconds, 1000u);
    EXPECT_EQ(d.languages, std::vector<unsigned long>{1033});
    EXPECT_EQ(d.callLog, L"");
    EXPECT_TRUE(d.modalFiles.empty());
    EXPECT_EQ(d.modalMilliseconds, 0u);
    EXPECT_FALSE(IsModalFile(d, L"D:\\T\\a.xla"));
    reg.keys[kSettingsKey] = {{L"Version", L"8.0"}, {L"UserLibraryPath", L""}, {L"LibraryPath", L"C:\\L"},
                              {L"BusyMilliseconds", L"0"}, {L"ExitDelayMilliseconds", L" 60000 "},
                              {L"Languages", L"1041,1033"}, {L"CallLog", L"C:\\log.txt"},
                              {L"ModalFiles", L"a.xla;Tool B.XLA"}, {L"ModalMilliseconds", L"1500"}};
    Settings s = LoadSettings(reg, L"bob");
    EXPECT_EQ(s.version, L"8.0");
    EXPECT_EQ(s.userLibraryPath, L"");
    EXPECT_EQ(s.libraryPath, L"C:\\L");
    EXPECT_EQ(OptionsKey(s), L"Software\\Microsoft\\Office\\8.0\\Excel\\Options");
    EXPECT_EQ(AddinManagerKey(s), L"Software\\Microsoft\\Office\\8.0\\Excel\\Add-in Manager");
    EXPECT_EQ(s.busyMilliseconds, 0u);
    EXPECT_EQ(s.exitDelayMilliseconds, 60000u);
    EXPECT_EQ(s.languages, (std::vector<unsigned long>{1041, 1033}));
    EXPECT_EQ(s.callLog, L"C:\\log.txt");
    EXPECT_EQ(s.modalFiles, (std::vector<std::wstring>{L"a.xla", L"Tool B.XLA"}));
    EXPECT_EQ(s.modalMilliseconds, 1500u);
    reg.keys[kSettingsKey] = {{L"BusyMilliseconds", L"-5"}, {L"ExitDelayMilliseconds", L"soon"}};
    Settings bad = LoadSettings(reg, L"bob");
    EXPECT_EQ(bad.busyMilliseconds, 400u) << "a value that is no number means the default";
    EXPECT_EQ(bad.exitDelayMilliseconds, 1000u);

    struct VersionCase {
        std::wstring version;
        bool userFolder, hwnd;
    } versions[] = {{L"7.0", false, false}, {L"8.0", false, false}, {L"9.0", true, false},
                    {L"10.0", true, true},  {L"11.0", true, true},  {L"16.0", true, true}, {L"", true, true}};
    for (auto& c : versions) {
        EXPECT_EQ(HasUserLibrary(Settings{c.version, L"C:\\U\\", kLib}), c.userFolder) << c.version;
        EXPECT_EQ(HasHwnd(Settings{c.version, L"", kLib}), c.hwnd) << c.version;
    }
    struct LangCase {
        std::wstring text;
        std::vector<unsigned long> langs;
    } langCases[] = {{L"", {}}, {L"1033", {1033}}, {L"1033, 1041", {1033, 1041}}, {L"x,1041,,", {1041}}, {L"0", {0}}};
    for (auto& c : langCases) EXPECT_EQ(ParseLanguages(c.text), c.langs) << testing::PrintToString(c.text);
}

// ModalFiles names the files whose add-in code shows a window: by file name, case ignored.
TEST(StandinSettings, ModalFilesAreMatchedByFileNameIgnoringCase) {
    struct ParseCase {
        std::wstring text;
        std::vector<std::wstring> names;
    } parseCases[] = {
        {L"", {}},
        {L" ; ;", {}},
        {L"a.xla", {L"a.xla"}},
        {L" a.xla ;b c.xla;;", {L"a.xla", L"b c.xla"}},
        {L"C:\\Tools\\a.xla;\\\\srv\\s\\b.xla", {L"a.xla", L"b.xla"}},
        {L"C:\\Tools\\", {}},
    };
    for (auto& c : parseCases) EXPECT_EQ(ParseFileNames(c.text), c.names) << testing::PrintToString(c.text);

    struct MatchCase {
        std::wstring modalFiles, path;
        bool modal;
    } matchCases[] = {
        {L"a.xla", L"D:\\T\\a.xla", true},
        {L"A.XLA", L"d:\\t\\a.xla", true},
        {L"a.xla", L"a.xla", true},
        {L"x.xla; a.xla", L"\\\\srv\\share\\A.xla", true},
        {L"a.xla", L"D:\\T\\ba.xla", false},
        {L"a.xla", L"D:\\T\\a.xlam", false},
        {L"a.xla", L"D:\\a.xla\\b.xla", false},
        {L"a", L"D:\\T\\a.xla", false},
        {L"", L"D:\\T\\a.xla", false},
        {L"a.xla", L"", false},
    };
    for (auto& c : matchCases) {
        Settings m{L"11.0", L"", kLib};
        m.modalFiles = ParseFileNames(c.modalFiles);
        EXPECT_EQ(IsModalFile(m, c.path), c.modal) << testing::PrintToString(c.modalFiles + L" | " + c.path);
    }
}

TEST(StandinAddins, Excel97HasNoUserFolderEvenWhenOneIsSet) {
    Machine pc;
    pc.File(kLib + L"\\l.xla");
    pc.File(kUser + L"\\u.xla");
    pc.File(kUser + L"\\same.xla");
    pc.File(kLib + L"\\same.xla");
    pc.File(L"E:\\r.xla");
    const std::wstring options = L"Software\\Microsoft\\Office\\8.0\\Excel\\Options";
    const std::wstring manager = L"Software\\Microsoft\\Office\\8.0\\Excel\\Add-in Manager";
    pc.reg.keys[options] = {{L"OPEN", L"\"same.xla\""}};
    Settings s{L"8.0", kUser + L"\\", kLib};
    Instance in(pc.reg, pc.fs, pc.drives, s, [](const std::wstring&) { return std::wstring(); });
    EXPECT_EQ(States(in.addins), (std::map<std::wstring, bool>{{kLib + L"\\l.xla", false}, {kLib + L"\\same.xla", true}}))
        << "files of the user folder are not listed; a bare name means the library's file";
    in.workbooks.Add();
    int r = in.addins.Add(L"E:\\r.xla", true);
    EXPECT_EQ(in.addins.At(r).fullPath, kLib + L"\\r.xla") << "a copy goes to the library";
    int u = in.addins.Add(kUser + L"\\u.xla", false);
    EXPECT_FALSE(in.addins.InDefaultFolder(in.addins.At(u)));
    in.addins.SetInstalled(r, true);
    in.addins.SetInstalled(u, true);
    in.addins.SetInstalled(IdOf(in.addins, kLib + L"\\same.xla"), false);
    in.End();
    EXPECT_EQ(pc.Key(options), (Values{{L"OPEN", L"\"r.xla\""}, {L"OPEN1", L"/R \"" + kUser + L"\\u.xla\""}}));
    EXPECT_EQ(pc.Key(manager), Values{});
}

}  // namespace
}  // namespace qv::standin
