#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "excel/addin_file.h"
#include "fakes.h"
#include "startup/startup.h"
#include "window/steps.h"

namespace qv {
namespace {

// The start-up's files, with the skipped ones told as the wizard tells them.
void Collect(Services& svc, SharedState& st, MessageBoxes& msg) {
    for (const Notice& n : CollectStartupFiles(svc, st)) ShowNotice(msg, n);
}

using fake::World;

std::vector<std::wstring> Entries(const SharedState& st) {
    std::vector<std::wstring> paths;
    for (size_t i = 1; i < st.strSELFILE.size(); ++i) paths.push_back(st.strSELFILE[i].Path);
    return paths;
}

// One sentence naming the file, then the skip notice.
std::wstring Announcement(const std::wstring& path) {
    return L"対象外のファイル = " + path + L" が選択されました。\nこのファイルをスキップします。";
}

TEST(CommandLineFiles, KeepsXlaPathsAndAnnouncesEveryOtherOnce) {
    struct Case {
        const wchar_t* args;
        std::vector<std::wstring> kept;
        std::vector<std::wstring> announced;
    };
    const Case cases[] = {
        {LR"("C:\Add ins\tool.xla" D:\x\other.XLA)", {LR"(C:\Add ins\tool.xla)", LR"(D:\x\other.XLA)"}, {}},
        {LR"(C:\a\list.txt C:\a\tool.xla)", {LR"(C:\a\tool.xla)"}, {LR"(C:\a\list.txt)"}},
        {LR"(C:\a\tool.xla C:\a\list.txt)", {LR"(C:\a\tool.xla)"}, {LR"(C:\a\list.txt)"}},
        // A full stop in a folder name or an earlier one in the file name does not matter.
        {LR"(C:\my.tools\tool.xla)", {LR"(C:\my.tools\tool.xla)"}, {}},
        {LR"(C:\a\tool.old.xla)", {LR"(C:\a\tool.old.xla)"}, {}},
        {LR"("C:\my.dir\v1.2 tool.xla")", {LR"(C:\my.dir\v1.2 tool.xla)"}, {}},
        {LR"(C:\a\tool.XlA)", {LR"(C:\a\tool.XlA)"}, {}},
        // Announced with the whole path, without its quotes.
        {LR"("C:\a b\a.db")", {}, {LR"(C:\a b\a.db)"}},
        {LR"(C:\a\tool.xlam)", {}, {LR"(C:\a\tool.xlam)"}},
        {LR"(C:\a\tool.xl)", {}, {LR"(C:\a\tool.xl)"}},
        {LR"(C:\a\tool.xla.bak)", {}, {LR"(C:\a\tool.xla.bak)"}},
        {LR"(C:\a\tool)", {}, {LR"(C:\a\tool)"}},
        {LR"(C:\my.tools\tool)", {}, {LR"(C:\my.tools\tool)"}},
        {LR"(C:\a\tool.)", {}, {LR"(C:\a\tool.)"}},
        {LR"(C:\a.xla\)", {}, {LR"(C:\a.xla\)"}},
        {LR"(C:\a\one.txt C:\a\two.xla C:\a\three.doc C:\a\four.xla)", {LR"(C:\a\two.xla)", LR"(C:\a\four.xla)"},
         {LR"(C:\a\one.txt)", LR"(C:\a\three.doc)"}},
        // Blanks that separate nothing make no entry.
        {LR"(  C:\a\one.xla   C:\a\two.xla  )", {LR"(C:\a\one.xla)", LR"(C:\a\two.xla)"}, {}},
        {L" ", {}, {}},
        {LR"("")", {}, {}},
        // Quotes may surround part of a path; blanks inside them belong to the path.
        {LR"(C:\"my dir"\t.xla)", {LR"(C:\my dir\t.xla)"}, {}},
        {LR"("C:\a b.xla C:\c.xla")", {LR"(C:\a b.xla C:\c.xla)"}, {}},
        {LR"("C:\a\x y.xla)", {LR"(C:\a\x y.xla)"}, {}},
        {L"tool.xla", {L"tool.xla"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        World w;
        w.st.strSELFILE = {SelFileRow{}, SelFileRow{L"C:\\old\\x.xla", true}};  // replaced
        w.st.strCOMMAND = c.args;

        Collect(w.svc, w.st, w.msg);

        EXPECT_EQ(Entries(w.st), c.kept);
        EXPECT_EQ(w.st.strSELFILE[0].Path, L"");
        for (size_t i = 1; i < w.st.strSELFILE.size(); ++i) EXPECT_FALSE(w.st.strSELFILE[i].Done);
        std::vector<std::wstring> shown;
        for (auto& m : w.msg.shown) {
            EXPECT_EQ(m.title, L"Quorvel SP");
            EXPECT_EQ(m.flags, 64);
            shown.push_back(m.text);
        }
        std::vector<std::wstring> expected;
        for (auto& p : c.announced) expected.push_back(Announcement(p));
        EXPECT_EQ(shown, expected);
        EXPECT_TRUE(w.fs.log.empty()) << "the program folder is not listed when there are arguments";
    }
}

TEST(CommandLineFiles, SplitsAtBlanksOutsideQuotes) {
    struct Case { const wchar_t* text; std::vector<std::wstring> parts; };
    const Case cases[] = {
        {L"", {}},
        {L"a b", {L"a", L"b"}},
        {L"  a  b  ", {L"a", L"b"}},
        {L"\"a b\" c", {L"a b", L"c"}},
        {L"\"a  b\"", {L"a  b"}},
        {L"a\"b c\"d e", {L"ab cd", L"e"}},
        {L"\"\" a", {L"a"}},
        {L"\" \"", {L" "}},
        {L"a\tb", {L"a\tb"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitArguments(c.text), c.parts) << c.text;
}

// One test for a bare name (the add-in list) and a path (the command line).
TEST(XlaName, JudgesOnlyTheLastExtensionOfTheFileName) {
    struct Case { const wchar_t* path; bool addin; };
    const Case cases[] = {
        {L"C:\\a\\t.xla", true}, {L"C:\\a\\t.XLA", true}, {L"C:\\a\\t.Xla", true}, {L"t.xla", true},
        {L"C:\\my.tools\\t.xla", true}, {L"C:\\a\\t.old.xla", true}, {L"C:\\a\\.xla", true},
        {L"C:\\a\\t.xlam", false}, {L"C:\\a\\t.xls", false}, {L"C:\\a\\t.xla ", false}, {L"C:\\a\\t", false},
        {L"C:\\my.xla\\t", false}, {L"C:\\a\\t.", false}, {L"", false}, {L"C:\\a\\t.xla\\", false},
        {L"C:\\a\\t.ｘｌａ", false}, {L"Tool.XLA", true}, {L"tool.xlam", false}, {L"xla", false},
    };
    for (const auto& c : cases) EXPECT_EQ(excel::IsXlaName(c.path), c.addin) << c.path;
}

// ---- Without arguments: the program's own folder ----

// A listing that answers with given names, as Windows would for the pattern *.xla, which
// also matches longer extensions through their short names.
class ScriptedListing : public fake::FakeFileSystem {
public:
    std::vector<std::wstring> names;
    std::vector<std::pair<std::wstring, std::wstring>> asked;
    std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) override {
        asked.push_back({folder, pattern});
        return names;
    }
};

TEST(ProgramFolderFiles, OffersTheListedXlaFilesInListingOrder) {
    World w;
    ScriptedListing fs;
    fs.names = {L"zeta.xla", L"Alpha.XLA", L"tool.xlam", L"mid.Xla", L"other.old.xla"};
    Services svc{w.launcher, fs, w.reg, w.drives, w.details, w.sys, w.accounts};
    w.sys.programFolder = L"C:\\Program Files\\Quorvel";
    w.st.strCOMMAND = L"";

    Collect(svc, w.st, w.msg);

    EXPECT_EQ(fs.asked, (std::vector<std::pair<std::wstring, std::wstring>>{{L"C:\\Program Files\\Quorvel", L"*.xla"}}));
    EXPECT_EQ(Entries(w.st), (std::vector<std::wstring>{
                                 L"C:\\Program Files\\Quorvel\\zeta.xla", L"C:\\Program Files\\Quorvel\\Alpha.XLA",
                                 L"C:\\Program Files\\Quorvel\\mid.Xla", L"C:\\Program Files\\Quorvel\\other.old.xla"}));
    for (size_t i = 1; i < w.st.strSELFILE.size(); ++i) EXPECT_FALSE(w.st.strSELFILE[i].Done);
    EXPECT_TRUE(w.msg.shown.empty()) << "files of the program's folder are never announced";
}

// Only the folder's own visible .xla files are offered; none leaves the list empty, unannounced.
TEST(ProgramFolderFiles, HiddenFilesAndOtherFoldersAreLeftOut) {
    struct Case { std::vector<std::wstring> files; std::vector<std::wstring> offered; };
    const Case cases[] = {
        {{L"C:\\Prog\\quorvel.exe", L"C:\\Other\\tool.xla"}, {}},
        {{L"C:\\Prog\\b.xla", L"C:\\Prog\\a.xla", L"C:\\Prog\\secret.xla", L"C:\\Prog\\sub\\c.xla"},
         {L"C:\\Prog\\a.xla", L"C:\\Prog\\b.xla"}},
    };
    for (const auto& c : cases) {
        World w;
        w.sys.programFolder = L"C:\\Prog";
        w.st.strCOMMAND = L"";
        for (auto& f : c.files) w.fs.files[f] = L"";
        w.fs.hidden.insert(L"C:\\Prog\\secret.xla");
        Collect(w.svc, w.st, w.msg);
        EXPECT_EQ(Entries(w.st), c.offered);
        EXPECT_TRUE(w.msg.shown.empty());
        EXPECT_EQ(w.fs.log, std::vector<std::wstring>{L"List C:\\Prog *.xla"});
    }
}

}  // namespace
}  // namespace qv
