// End to end, when "次へ" cannot do its work: a version up whose old file cannot be replaced,
// a removal whose file vanished after the list was built, and a target folder that does not
// exist. The program reports and ends, or refuses; the old state stays, and no Excel is left.
#include "e2e_world.h"

#include <map>
#include <string>
#include <vector>

#include "operations/texts.h"
#include "window/texts.h"

namespace qv::e2e {
namespace {

class E2eFault : public E2eTest {
protected:
    // The failure went to the top level, which was told what failed; the window is gone.
    void ExpectReported(const std::wstring& operation) {
        auto reports = TakeReports();
        ASSERT_EQ(reports.size(), 1u);
        const FailureInfo& f = report_ = reports[0];
        EXPECT_EQ(f.operation.rfind(operation, 0), 0u) << test::Narrow(f.operation);
        EXPECT_NE(f.code, 0);
        // The report the user reads names the failed operation.
        EXPECT_NE(FailureReportText(f).find(f.operation), std::wstring::npos);
        EXPECT_FALSE(IsWindow(dlg_));
        EXPECT_EQ(top_.closed, 1);
    }
    // Offers a newer oth.xla and selects it: a version up of the active "Other Tool".
    void PrepareVersionUp() {
        BuildStandardWorld();
        Offer(MakeXla(SrcDir(), L"oth.xla", L"Other Tool", L"version 2"));
        ASSERT_NO_FATAL_FAILURE(Open());
        SelectRow(L"oth.xla");
        ASSERT_EQ(Text(IDC_TXTFOLDER), OtherDir());
    }
    FailureInfo report_;  // the one ExpectReported took
    std::wstring Installed() const { return OtherDir() + L"\\oth.xla"; }
};

TEST_F(E2eFault, VersionUpOverAFileHeldOpenEndsWithTheOldVersionOn) {
    ASSERT_NO_FATAL_FAILURE(PrepareVersionUp());
    // Another program holds the old file open and does not let it be replaced.
    HANDLE held = CreateFileW(Installed().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    WorldState before = Capture();
    Next();
    CloseHandle(held);
    ExpectReported(texts::kOpCopy);
    ExpectUnchanged(before, false);
    EXPECT_TRUE(Listed()[L"Other Tool"].installed);
}

TEST_F(E2eFault, VersionUpOverAReadOnlyFileIsRefusedBeforeAnythingChanges) {
    ASSERT_NO_FATAL_FAILURE(PrepareVersionUp());
    ASSERT_TRUE(SetFileAttributesW(Installed().c_str(), FILE_ATTRIBUTE_READONLY));
    WorldState before = Capture();
    Next();
    ExpectBox(texts::kReadOnlyFile1 + Installed() + texts::kReadOnlyFile2);
    ExpectUnchanged(before);
    EXPECT_TRUE(IsWindow(dlg_));
    EXPECT_TRUE(Listed()[L"Other Tool"].installed);
}

TEST_F(E2eFault, RemovalOfAFileThatVanishedAfterTheListWasBuilt) {
    ASSERT_NO_FATAL_FAILURE(OpenStandard(3));
    SelectRow(L"Other Tool");
    ASSERT_TRUE(DeleteFileW(Installed().c_str()));
    WorldState before = Capture();
    Next();
    // Excel could not open the add-in's file.
    ExpectReported(texts::kOpExcel);
    EXPECT_NE(report_.operation.find(L"Open"), std::wstring::npos) << test::Narrow(report_.operation);
    ExpectUnchanged(before);
    // Its file gone, Excel names it after the file.
    auto listed = Listed();
    EXPECT_TRUE(listed[L"oth"].installed);
    EXPECT_EQ(listed[L"oth"].fullName, Installed());
}

TEST_F(E2eFault, InstallIntoAFolderThatDoesNotExistIsRefused) {
    BuildStandardWorld();
    Offer(MakeXla(SrcDir(), L"new.xla", L"New Tool"));
    ASSERT_NO_FATAL_FAILURE(Open());
    SelectRow(L"new.xla");
    const std::wstring missing = OtherDir() + L"\\no such folder";
    struct Case {
        const char* name;
        std::wstring folder;
    };
    const Case cases[] = {{"missing folder", missing}, {"relative folder", L"other"}, {"half a drive", L"C:"}};
    WorldState before = Capture();
    ASSERT_TRUE(NoStandInLeft()) << "the mode switch's Excel has ended";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetWindowTextW(Item(IDC_CBXFOLDER), c.folder.c_str());
        Next();
        ExpectBox(texts::kInvalidFolder1 + c.folder + texts::kInvalidFolder2);
        EXPECT_TRUE(IsWindow(dlg_));
        EXPECT_EQ(Rows(), std::vector<std::wstring>{L"new.xla"});
        EXPECT_EQ(Text(IDC_LBLKEKKA), L"");
        EXPECT_EQ(test::CountStandIns(), 0);
        ExpectUnchanged(before);
    }
    EXPECT_FALSE(st_.strSELFILE[1].Done);
}

}  // namespace
}  // namespace qv::e2e
