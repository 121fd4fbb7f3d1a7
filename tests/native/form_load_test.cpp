#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"
#include "window/texts.h"

namespace qv {
namespace {

using fake::World;

void Offer(World& w, const std::vector<std::wstring>& paths) {
    w.st.strSELFILE.assign(1, SelFileRow{});
    for (auto& p : paths) w.st.strSELFILE.push_back(SelFileRow{p, false});
}

TEST(FormLoad, ListsTheFileNameOfEveryOfferedEntry) {
    struct Case {
        std::vector<std::wstring> paths;
        std::vector<std::wstring> rows;
        std::vector<long> data;  // the entry number, whatever row the entry lands on
        bool designRow = false;
    };
    const Case cases[] = {
        {{}, {}, {}},
        {{L"C:\\A\\one.xla", L"C:\\B\\two.xla"}, {L"one.xla", L"two.xla"}, {1, 2}},
        {{L"tool.xla"}, {L"tool.xla"}, {1}},
        {{L"C:\\A\\same.xla", L"D:\\B\\same.xla"}, {L"same.xla", L"same.xla"}, {1, 2}},
        {{L"C:\\A\\one.xla", L"", L"C:\\my.dir\\x y.xla"}, {L"one.xla", L"", L"x y.xla"}, {1, 2, 3}},
        {{L"C:\\a\\x.xla"}, {L"design row", L"x.xla"}, {0, 1}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.paths.size());
        World w;
        if (c.designRow) w.ui.ListAdd(L"design row");
        Offer(w, c.paths);
        w.win.Form_Load();
        EXPECT_EQ(w.ui.RowTexts(), c.rows);
        EXPECT_EQ(w.ui.RowData(), c.data);
        EXPECT_EQ(w.ui.selected, -1);
    }
}

TEST(FormLoad, VersionLabelShowsMajorMinorRevision) {
    struct Case { ProgramVersion v; const wchar_t* label; };
    const Case cases[] = {
        {{1, 0, 2}, L"Ver 1.0.2"},
        {{1, 0, 12}, L"Ver 1.0.12"},
        {{2, 10, 0}, L"Ver 2.10.0"},
        {{0, 0, 0}, L"Ver 0.0.0"},
    };
    for (const auto& c : cases) {
        World w;
        w.sys.version = c.v;
        w.win.Form_Load();
        EXPECT_EQ(w.ui.Text(Ctl::lblVERSION), c.label);
    }
}

TEST(FormLoad, SetsCaptionHelpAndEmptyFolderFieldOverTheFolderChoice) {
    World w;
    w.ui.items[Ctl::cbxFOLDER].bounds = Rect{120, 340, 410, 22};
    w.ui.items[Ctl::cbxFOLDER].text = L"Combo1";
    w.ui.items[Ctl::txtFOLDER].bounds = Rect{5, 6, 7, 8};
    w.ui.items[Ctl::txtFOLDER].text = L"Text1";
    w.ui.items[Ctl::txtSTEP].text = L"Text2";
    w.ui.items[Ctl::lblKEKKA].text = L"Label4";

    w.win.Form_Load();

    EXPECT_EQ(w.ui.caption, L"Quorvel SP");
    EXPECT_EQ(w.ui.Bounds(Ctl::txtFOLDER), (Rect{120, 340, 410, 22}));
    EXPECT_EQ(w.ui.Text(Ctl::txtFOLDER), L"");
    EXPECT_EQ(w.ui.Text(Ctl::Text1), texts::kHelpText);
    // The folder choice and the mode are left to the mode switch.
    EXPECT_EQ(w.ui.Bounds(Ctl::cbxFOLDER), (Rect{120, 340, 410, 22}));
    EXPECT_EQ(w.ui.Text(Ctl::cbxFOLDER), L"Combo1");
    EXPECT_TRUE(w.ui.combo.empty());
    EXPECT_EQ(w.ui.Text(Ctl::txtSTEP), L"Text2");
    EXPECT_EQ(w.ui.Text(Ctl::lblKEKKA), L"Label4");
    for (int i = 0; i < 7; ++i) EXPECT_FALSE(w.ui.Checked(OptBtn(i)));
    EXPECT_TRUE(w.excel.log.empty());
    EXPECT_TRUE(w.msg.shown.empty());
}

TEST(CmdEnd, ClosesTheWindowAndTouchesNothingElse) {
    World w;
    Offer(w, {L"C:\\a\\x.xla"});
    w.st.strADDINPATH = L"C:\\a";
    w.win.Form_Load();
    w.ui.selected = 0;

    w.win.cmdEND_Click();

    EXPECT_TRUE(w.ui.closed);
    EXPECT_TRUE(w.excel.log.empty());
    EXPECT_TRUE(w.msg.shown.empty());
    EXPECT_TRUE(w.fs.log.empty());
    EXPECT_TRUE(w.reg.log.empty());
    EXPECT_FALSE(w.clip.text.has_value());
    EXPECT_EQ(w.st.strADDINPATH, L"C:\\a");
    EXPECT_EQ(w.st.strSELFILE.size(), 2u);
    EXPECT_EQ(w.ui.ListCount(), 1);
}

}  // namespace
}  // namespace qv
