// The rules about listed add-ins: read on demand, and the same answer in both programs.
#include <gtest/gtest.h>

#include "console/texts.h"
#include "console_world.h"
#include "operations/addin_rules.h"
#include "window_world.h"

namespace qv {
namespace {

using V = std::vector<std::wstring>;

TEST(ListedAddin, ReadsEachPropertyOnceOnFirstUseAndChecksFilesAfterLettingGo) {
    fake::WindowWorld t;
    t.AddAddin(L"C:\\U", L"a.xla", L"A", true);
    fake::FakeAddIn addin(t.w.excel, 0);
    ListedAddin a(addin, t.tracedFs);
    EXPECT_TRUE(a.FileExists());
    EXPECT_TRUE(a.FileExists());
    EXPECT_EQ(a.FullName(), L"C:\\U\\a.xla");
    EXPECT_TRUE(a.Installed());
    a.ReadAllAndLetGo();
    EXPECT_EQ(t.w.excel.log, (V{L"AddIn.FullName", L"State? C:\\U\\a.xla", L"AddIn.Installed", L"AddIn.Title",
                                L"AddIn.Name", L"AddIn.Path"}));
    t.w.excel.log.clear();
    t.w.excel.addins[0].Title = L"changed";  // what Excel says now is not read again
    EXPECT_EQ(a.Title(), L"A");
    EXPECT_EQ(a.Path(), L"C:\\U");
    EXPECT_FALSE(a.FileMissing());
    EXPECT_TRUE(t.w.excel.log.empty()) << "the file's state answers both questions from one read";
}

// One listed add-in each: the wizard's removal and tidy modes list it exactly when quorvelc's
// remove and tidy take it, and quorvelc's refusal names the bar the rule finds.
TEST(AddinRules, RemovalAndTidyAgreeInBothPrograms) {
    using Bar = std::optional<RemovalBar>;
    enum File { There, Gone, Hidden, OutOfReach };
    struct Case {
        int line;
        const wchar_t *folder, *name;
        bool installed;
        File file;
        const wchar_t* author;
        Bar bar;
        bool tidy;
    };
    const Case cases[] = {
        {__LINE__, L"C:\\U", L"a.xla", true, There, L"Me", std::nullopt, false},
        {__LINE__, L"D:\\T", L"Tool.XLA", false, There, L"x", std::nullopt, false},
        {__LINE__, L"C:\\L", L"m.xla", true, There, L"MICROSOFT Corp", RemovalBar::Microsofts, false},
        {__LINE__, L"C:\\L", L"n.xla", false, There, L"made by microsoft", RemovalBar::Microsofts, false},
        {__LINE__, L"C:\\U", L"tool.xlam", true, There, L"", RemovalBar::NotXlaName, false},
        {__LINE__, L"C:\\G", L"gone.xla", false, Gone, L"", RemovalBar::FileNotThere, true},
        {__LINE__, L"C:\\G", L"Gone.Xla", true, Gone, L"", RemovalBar::FileNotThere, true},
        {__LINE__, L"C:\\G", L"gone.xll", true, Gone, L"", RemovalBar::NotXlaName, false},
        {__LINE__, L"C:\\U", L"hid.xla", false, Hidden, L"", RemovalBar::FileNotThere, true},
        {__LINE__, L"\\\\srv\\share", L"away.xla", true, OutOfReach, L"", RemovalBar::FileNotThere, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.line);
        const std::wstring full = std::wstring(k.folder) + L"\\" + k.name;
        fake::WindowWorld t;
        t.AddAddin(k.folder, k.name, L"T", k.installed, k.file != Gone, k.author);
        if (k.file == Hidden) t.w.fs.hidden.insert(full);
        if (k.file == OutOfReach) t.w.fs.unreachable.insert(full);

        fake::FakeAddIn addin(t.w.excel, 0);
        EXPECT_EQ(RemovalBarOf(ListedAddin(addin, t.w.fs), t.w.details), k.bar);
        EXPECT_EQ(IsTidyCandidate(ListedAddin(addin, t.w.fs)), k.tidy);

        t.win.optBTN_Click(k.installed ? 3 : 4);
        EXPECT_EQ(t.w.ui.ListCount(), k.bar ? 0 : 1);
        t.win.optBTN_Click(5);
        EXPECT_EQ(t.w.ui.ListCount(), k.tidy ? 1 : 0);

        console::ConsoleWorld c;
        c.w.excel.addins = t.w.excel.addins;
        c.w.fs = t.w.fs;
        c.w.details.files = t.w.details.files;
        c.Run({L"tidy", L"--dry-run"});
        // Out of reach is no candidate, but tidy names it as left alone.
        EXPECT_EQ(c.out.out.find(full) != std::wstring::npos, k.tidy || k.file == OutOfReach) << c.out.out;
        EXPECT_EQ(c.out.out.find(console::texts::kUnreachableLeft.ja + full) != std::wstring::npos, k.file == OutOfReach);
        const int exit = c.Run({L"remove", full});
        const console::Text* refusal = !k.bar ? nullptr
                                       : *k.bar == RemovalBar::NotXlaName   ? &console::texts::kNotRemovableName
                                       : *k.bar == RemovalBar::FileNotThere ? &console::texts::kNotRemovableMissing
                                                                            : &console::texts::kNotRemovableMicrosoft;
        EXPECT_EQ(exit, refusal ? console::kExitFailedUnchanged : console::kExitDone) << c.out.err;
        if (refusal) {
            EXPECT_EQ(c.out.err, refusal->ja + full + L"\n");
        }
        EXPECT_EQ(c.w.fs.files.count(full) > 0, k.file != Gone && refusal) << "removed exactly when not refused";
    }
}

}  // namespace
}  // namespace qv
