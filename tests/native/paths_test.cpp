// The path rules the wizard, the console program and the stand-in share, case by case.
#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"

namespace qv::paths {
namespace {

struct TextCase {
    const wchar_t* in;
    const wchar_t* name;   // FileNamePart
    const wchar_t* folder; // FolderPart
    const wchar_t* stem;   // StemPart
    const wchar_t* ext;    // ExtensionPart
    const wchar_t* root;   // DriveRoot
};

TEST(Paths, PartsOfAPath) {
    const TextCase cases[] = {
        {L"C:\\A\\tool.xla", L"tool.xla", L"C:\\A", L"tool", L".xla", L"C:\\"},
        {L"tool.xla", L"tool.xla", L"", L"tool", L".xla", L""},
        {L"C:\\A.b\\noext", L"noext", L"C:\\A.b", L"noext", L"", L"C:\\"},
        {L"C:\\A\\two.dots.XLA", L"two.dots.XLA", L"C:\\A", L"two.dots", L".XLA", L"C:\\"},
        {L"C:\\A\\", L"", L"C:\\A", L"", L"", L"C:\\"},
        {L"\\\\srv\\share\\f\\t.xla", L"t.xla", L"\\\\srv\\share\\f", L"t", L".xla", L"\\\\srv\\share\\"},
        {L"\\\\srv\\share", L"share", L"\\\\srv", L"share", L"", L"\\\\srv\\share\\"},
        {L"\\\\srv", L"srv", L"\\", L"srv", L"", L""},
        {L"", L"", L"", L"", L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "path #" << (&c - cases));
        EXPECT_EQ(FileNamePart(c.in), c.name);
        EXPECT_EQ(FolderPart(c.in), c.folder);
        EXPECT_EQ(StemPart(c.in), c.stem);
        EXPECT_EQ(ExtensionPart(c.in), c.ext);
        EXPECT_EQ(DriveRoot(c.in), c.root);
    }
}

struct FolderCase {
    const wchar_t* in;
    bool network, bareDrive, full;
    const wchar_t* withRoot;  // WithRootSeparator
    const wchar_t* trimmed;   // WithoutClosingSeparator
};

TEST(Paths, KindsOfFolder) {
    const FolderCase cases[] = {
        {L"C:", false, true, false, L"C:\\", L"C:"},
        {L"z:", false, true, false, L"z:\\", L"z:"},
        {L"C:\\", false, false, true, L"C:\\", L"C:"},
        {L"C:\\A\\\\", false, false, true, L"C:\\A\\\\", L"C:\\A"},
        {L"C:A", false, false, false, L"C:A", L"C:A"},
        {L"1:\\A", false, false, false, L"1:\\A", L"1:\\A"},
        {L"\\\\srv\\share", true, false, true, L"\\\\srv\\share", L"\\\\srv\\share"},
        {L"\\\\srv\\share\\f\\", true, false, true, L"\\\\srv\\share\\f\\", L"\\\\srv\\share\\f"},
        {L"\\\\srv\\", true, false, false, L"\\\\srv\\", L"\\\\srv"},
        {L"\\\\srv", true, false, false, L"\\\\srv", L"\\\\srv"},
        {L"\\\\\\share", true, false, false, L"\\\\\\share", L"\\\\\\share"},
        {L"A\\B", false, false, false, L"A\\B", L"A\\B"},
        {L"", false, false, false, L"", L""},
        {L"z:\\a\\b\\", false, false, true, L"z:\\a\\b\\", L"z:\\a\\b"},
        {L"\\\\srv\\share\\sub", true, false, true, L"\\\\srv\\share\\sub", L"\\\\srv\\share\\sub"},
        {L"\\Tools", false, false, false, L"\\Tools", L"\\Tools"},
        {L"C:/Tools", false, false, false, L"C:/Tools", L"C:/Tools"},
        {L"CD:\\Tools", false, false, false, L"CD:\\Tools", L"CD:\\Tools"},
        {L"\\\\", true, false, false, L"\\\\", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "folder #" << (&c - cases));
        EXPECT_EQ(IsNetworkPath(c.in), c.network);
        EXPECT_EQ(IsBareDrive(c.in), c.bareDrive);
        EXPECT_EQ(IsFullFolderPath(c.in), c.full);
        EXPECT_EQ(WithRootSeparator(c.in), c.withRoot);
        EXPECT_EQ(WithoutClosingSeparator(c.in), c.trimmed);
    }
}

TEST(Paths, JoinAddsOneSeparator) {
    EXPECT_EQ(JoinFolder(L"C:\\A", L"t.xla"), L"C:\\A\\t.xla");
    EXPECT_EQ(JoinFolder(L"C:\\", L"t.xla"), L"C:\\t.xla");
    EXPECT_EQ(JoinFolder(L"", L"t.xla"), L"\\t.xla");
}

TEST(Paths, CaseFoldsOnlyAsciiLetters) {
    EXPECT_EQ(FoldCase(L"C:\\Ab\\TOOL.XLA"), L"c:\\ab\\tool.xla");
    EXPECT_EQ(FoldCase(L"ÄÉ Ｘ"), L"ÄÉ Ｘ") << "every platform folds alike";
    EXPECT_TRUE(EqualNoCase(L"Tool.XLA", L"tool.xla"));
    EXPECT_FALSE(EqualNoCase(L"tool.xla", L"tool.xl"));
    EXPECT_FALSE(EqualNoCase(L"É", L"é"));
}

}  // namespace
}  // namespace qv::paths
