// End to end, "次へ" in every mode: what the window says afterwards, and what Excel (a fresh
// stand-in), the add-in folders, Excel's registry values and the clipboard hold.
#include "e2e_world.h"

#include <map>
#include <string>
#include <vector>

#include "window/texts.h"

namespace qv::e2e {
namespace {

using Strings = std::vector<std::wstring>;
using Values = std::map<std::wstring, std::wstring>;

std::wstring Done(const std::wstring& name, const wchar_t* ending) { return texts::kOpenQuote + name + ending; }

class E2eNext : public E2eTest {};

TEST_F(E2eNext, NewInstallsIntoAnotherFolderAndIntoTheUserFolder) {
    std::wstring one = MakeXla(SrcDir(), L"one.xla", L"Tool One");
    std::wstring two = MakeXla(SrcDir(), L"two.xla", L"Tool Two");
    Offer(one);
    Offer(two);
    ASSERT_NO_FATAL_FAILURE(Open());

    // Into a folder typed into the combo box, outside Excel's folders.
    SelectRow(L"one.xla");
    SetWindowTextW(Item(IDC_CBXFOLDER), OtherDir().c_str());
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"Tool One", texts::kInstallDone));
    Screenshot(L"mode0-installed");
    EXPECT_EQ(Rows(), Strings{L"two.xla"});
    EXPECT_EQ(SendMessageW(Item(IDC_LSTADDIN), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_FALSE(Shown(IDC_CMDFOLDER));
    EXPECT_EQ(test::ReadAll(OtherDir() + L"\\one.xla"), test::ReadAll(one));
    EXPECT_TRUE(Exists(one));
    // Added (an Add-in Manager entry), then switched on: it ends in Options with its full path.
    EXPECT_EQ(Options(), (Values{{L"OPEN", L"/R \"" + OtherDir() + L"\\one.xla\""}}));
    EXPECT_TRUE(Manager().empty());
    EXPECT_TRUE(NoStandInLeft());

    // Into the first offered folder, Excel's user folder: a bare name in Options.
    SelectRow(L"two.xla");
    ASSERT_EQ(Text(IDC_CBXFOLDER), UserDir());
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"Tool Two", texts::kInstallDone));
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(test::ReadAll(UserDir() + L"\\two.xla"), test::ReadAll(two));
    EXPECT_EQ(Options(), (Values{{L"OPEN", L"/R \"" + OtherDir() + L"\\one.xla\""}, {L"OPEN1", L"\"two.xla\""}}));
    EXPECT_TRUE(Manager().empty());
    // Nothing was left beside the installed files.
    EXPECT_EQ(Files().size(), 4u);

    auto listed = Listed();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[L"Tool One"], (ListedAddin{L"one.xla", OtherDir() + L"\\one.xla", L"Tool One", OtherDir(), true}));
    EXPECT_EQ(listed[L"Tool Two"], (ListedAddin{L"two.xla", UserDir() + L"\\two.xla", L"Tool Two", UserDir(), true}));

    // Both are done: mode 0 no longer offers them.
    Mode(1);
    Mode(0);
    EXPECT_TRUE(Rows().empty());
}

TEST_F(E2eNext, VersionUpReplacesAnActiveAddinsFileAndKeepsItOn) {
    BuildStandardWorld();
    std::wstring installed = OtherDir() + L"\\oth.xla";
    std::string oldBytes = test::ReadAll(installed);
    std::wstring newer = MakeXla(SrcDir(), L"oth.xla", L"Other Tool", L"version 2");
    ASSERT_NE(test::ReadAll(newer), oldBytes);
    Offer(newer);
    Values options = Options(), manager = Manager();
    ASSERT_NO_FATAL_FAILURE(Open());
    SelectRow(L"oth.xla");
    ASSERT_EQ(Text(IDC_TXTFOLDER), OtherDir());
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"Other Tool", texts::kInstallDone));
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(test::ReadAll(installed), test::ReadAll(newer));
    // Still switched on; switched off and on again, it now comes last in Options.
    EXPECT_EQ(SwitchedOn(Options()), SwitchedOn(options));
    EXPECT_EQ(Options().rbegin()->second, L"/R \"" + installed + L"\"");
    EXPECT_EQ(Manager(), manager);
    Strings others;
    for (const auto& [path, state] : Files())
        if (path.rfind(OtherDir(), 0) == 0) others.push_back(path);
    EXPECT_EQ(others, (Strings{OtherDir() + L"\\off.xla", installed}));
    auto listed = Listed();
    EXPECT_TRUE(listed[L"Other Tool"].installed);
    EXPECT_EQ(listed[L"Other Tool"].fullName, installed);
    EXPECT_EQ(listed.size(), 6u);
}

TEST_F(E2eNext, SwitchOnThenOffMovesTheEntryBetweenTheKeys) {
    BuildStandardWorld();
    std::wstring off = OtherDir() + L"\\off.xla";
    FileTree files = Files();
    ASSERT_NO_FATAL_FAILURE(Open());

    Mode(1);
    SelectRow(L"Off Tool");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"Off Tool", texts::kInstallDone));
    EXPECT_EQ(Rows(), Strings{L"Library Tool"});
    EXPECT_FALSE(Manager().count(off));
    bool inOptions = false;
    for (const auto& [name, data] : Options()) inOptions = inOptions || data == L"/R \"" + off + L"\"";
    EXPECT_TRUE(inOptions);
    EXPECT_TRUE(Listed()[L"Off Tool"].installed);

    Mode(2);
    SelectRow(L"Off Tool");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"Off Tool", texts::kUninstallDone));
    EXPECT_EQ(Rows(), (Strings{L"gone", L"MS Tool", L"Other Tool", L"User Tool"}));
    EXPECT_TRUE(Manager().count(off));
    for (const auto& [name, data] : Options()) EXPECT_EQ(data.find(L"off.xla"), std::wstring::npos);
    auto listed = Listed();
    EXPECT_FALSE(listed[L"Off Tool"].installed);
    EXPECT_TRUE(listed[L"Other Tool"].installed);
    // Switching touches no file.
    EXPECT_EQ(Files(), files);
}

// The file goes only once the removal's Excel has ended. As Excel 2003 the launcher knows that
// Excel's process by its Hwnd; as Excel 2000, which has none, by a caption of its own on its
// XLMAIN window. An unknown process would leave the file in place.
class E2eRemoval : public E2eTest, public testing::WithParamInterface<int> {};

TEST_P(E2eRemoval, AnActiveAddinOutsideTheDefaultFolders) {
    ASSERT_NO_FATAL_FAILURE(AsExcel(GetParam()));
    std::wstring oth = OtherDir() + L"\\oth.xla";
    ASSERT_NO_FATAL_FAILURE(OpenStandard(3));
    SelectRow(L"Other Tool");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"Other Tool", texts::kUninstallDone));
    EXPECT_EQ(Rows(), Strings{L"User Tool"});
    EXPECT_FALSE(Exists(oth));
    // Switched off moves it to the Add-in Manager key; the removal deletes it there.
    EXPECT_FALSE(Manager().count(oth));
    EXPECT_EQ(Manager().size(), 1u);
    for (const auto& [name, data] : Options()) EXPECT_EQ(data.find(L"oth.xla"), std::wstring::npos);
    auto listed = Listed();
    EXPECT_FALSE(listed.count(L"Other Tool"));
    EXPECT_EQ(listed.size(), 5u);
    EXPECT_TRUE(listed[L"User Tool"].installed);
}

INSTANTIATE_TEST_SUITE_P(Excel, E2eRemoval, testing::Values(11, 9),
                         [](const testing::TestParamInfo<int>& v) { return "Version" + std::to_string(v.param); });

TEST_F(E2eNext, RemovingAnInactiveAddinOfTheLibraryFolderLeavesTheRegistry) {
    BuildStandardWorld();
    std::wstring lib = LibDir() + L"\\lib.xla";
    WorldState before = Capture();
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(4);
    SelectRow(L"Library Tool");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"Library Tool", texts::kDeleteDone));
    EXPECT_EQ(Rows(), Strings{L"Off Tool"});
    before.files.erase(lib);
    ExpectUnchanged(before);
    EXPECT_FALSE(Listed().count(L"Library Tool"));
}

TEST_F(E2eNext, TidyingRemovesTheEntryOfAMissingFile) {
    BuildStandardWorld();
    FileTree files = Files();
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(5);
    SelectRow(L"gone");
    Next();
    EXPECT_EQ(Text(IDC_LBLKEKKA), Done(L"gone", texts::kDeleteDone));
    EXPECT_TRUE(Rows().empty());
    for (const auto& [name, data] : Options()) EXPECT_EQ(data.find(L"gone.xla"), std::wstring::npos);
    EXPECT_FALSE(Manager().count(OtherDir() + L"\\gone.xla"));
    EXPECT_EQ(Options().size(), 3u);
    EXPECT_EQ(Files(), files);
    auto listed = Listed();
    EXPECT_FALSE(listed.count(L"gone"));
    EXPECT_EQ(listed.size(), 5u);
}

TEST_F(E2eNext, ShowingTheFolderCopiesTheFullNameToTheClipboard) {
    BuildStandardWorld();
    const WorldState before = Capture();
    clip_.SetText(L"something else");
    ASSERT_NO_FATAL_FAILURE(Open());
    Mode(6);
    SelectRow(L"Other Tool");
    Next();
    EXPECT_EQ(test::ClipboardText(), OtherDir() + L"\\oth.xla");
    EXPECT_EQ(Text(IDC_LBLKEKKA), L"");
    EXPECT_EQ(Rows().size(), 6u);
    EXPECT_EQ(SendMessageW(Item(IDC_LSTADDIN), LB_GETCURSEL, 0, 0), RowOf(L"Other Tool"));
    ExpectUnchanged(before);
}

}  // namespace
}  // namespace qv::e2e
