// The order of a copy over a file, through the fake file system's single steps: the copy is
// made plain and given its mark before the rename, and the destination's mark is set right after
// it, where a problem is only a warning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"
#include "platform/copy_replace.h"

namespace qv {
namespace {

using Steps = std::vector<std::wstring>;

const std::wstring kSrc = L"D:\\dl\\a.xla";
const std::wstring kDst = L"C:\\AddIns\\a.xla";
const std::wstring kTmp = kDst + L".~qv";
const std::string kMarked = "[ZoneTransfer]\r\nZoneId=3\r\n";
const std::string kOldMark = "[ZoneTransfer]\r\nZoneId=4\r\n";

const std::wstring kCopy = L"CopyBeside " + kDst;
const std::wstring kPlain = L"MakePlain " + kTmp;
const std::wstring kRename = L"Rename " + kTmp + L" -> " + kDst;
const std::wstring kWriteTmp = L"WriteMark " + kTmp, kRemoveTmp = L"RemoveMark " + kTmp;
const std::wstring kWriteDst = L"WriteMark " + kDst, kRemoveDst = L"RemoveMark " + kDst;

TEST(CopyReplaceOrder, MarkOnTheTemporaryCopyThenRenameThenSetRight) {
    struct Case {
        const char* what;
        ZoneMark mark;
        bool sourceMarked, oldMarked;
        bool wine;          // the rename leaves streams under the old name
        bool streamless;    // the destination's volume keeps no streams
        bool failAfter;     // the destination's stream cannot be changed after the rename
        Steps steps;
        MarkWarning warning;
        bool markedAfter;
    };
    const Case cases[] = {
        {"kept, NTFS", ZoneMark::KeepSource, true, false, false, false, false,
         {kCopy, kPlain, kWriteTmp, kRename}, MarkWarning::None, true},
        {"unblocked, NTFS", ZoneMark::None, true, false, false, false, false,
         {kCopy, kPlain, kRemoveTmp, kRename}, MarkWarning::None, false},
        {"unmarked source over a marked old file, NTFS", ZoneMark::KeepSource, false, true, false, false, false,
         {kCopy, kPlain, kRemoveTmp, kRename}, MarkWarning::None, false},
        {"kept, Wine sets it again after the rename", ZoneMark::KeepSource, true, false, true, false, false,
         {kCopy, kPlain, kWriteTmp, kRename, kWriteDst}, MarkWarning::None, true},
        {"kept over a marked old file, Wine", ZoneMark::KeepSource, true, true, true, false, false,
         {kCopy, kPlain, kWriteTmp, kRename, kWriteDst}, MarkWarning::None, true},
        {"unblocked over a marked old file, Wine", ZoneMark::None, true, true, true, false, false,
         {kCopy, kPlain, kRemoveTmp, kRename, kRemoveDst}, MarkWarning::None, false},
        {"unblocked, nothing left behind, Wine", ZoneMark::None, true, false, true, false, false,
         {kCopy, kPlain, kRemoveTmp, kRename}, MarkWarning::None, false},
        {"kept on a volume without streams", ZoneMark::KeepSource, true, false, false, true, false,
         {kCopy, kPlain, kWriteTmp, kRename}, MarkWarning::NotKept, false},
        {"unblocked on a volume without streams", ZoneMark::None, true, false, false, true, false,
         {kCopy, kPlain, kRemoveTmp, kRename}, MarkWarning::None, false},
        {"kept, cannot be set after the rename", ZoneMark::KeepSource, true, false, true, false, true,
         {kCopy, kPlain, kWriteTmp, kRename, kWriteDst}, MarkWarning::NotSet, false},
        {"unblocked, old mark cannot be removed", ZoneMark::None, true, true, true, false, true,
         {kCopy, kPlain, kRemoveTmp, kRename, kRemoveDst}, MarkWarning::NotRemoved, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake::FakeFileSystem fs;
        fs.files[kSrc] = L"new";
        fs.files[kDst] = L"old";
        if (c.sourceMarked) fs.zones[kSrc] = kMarked;
        if (c.oldMarked) fs.zones[kDst] = kOldMark;
        fs.streamsStayBehind = c.wine;
        if (c.streamless) fs.streamless = {kTmp, kDst};
        if (c.failAfter) fs.streamFails = {kDst};

        EXPECT_EQ(fs.CopyReplace(kSrc, kDst, c.mark), c.warning);

        EXPECT_EQ(fs.steps, c.steps);
        EXPECT_EQ(fs.files[kDst], L"new");
        EXPECT_FALSE(fs.files.count(kTmp));
        EXPECT_EQ(fs.zones.count(kDst) == 1, c.markedAfter);
        if (c.markedAfter && !c.failAfter) {
            EXPECT_EQ(fs.zones[kDst], kMarked);
        }
        EXPECT_EQ(fs.zones.count(kSrc) == 1, c.sourceMarked) << "the source is never changed";
    }
}

// Before the rename every failure leaves the destination as it was, and no temporary copy.
TEST(CopyReplaceOrder, FailureBeforeTheRenameChangesNothing) {
    struct Case {
        const char* what;
        void (*arrange)(fake::FakeFileSystem&);
        Steps steps;
    };
    const Case cases[] = {
        {"read-only destination", [](fake::FakeFileSystem& fs) { fs.readOnly.insert(kDst); }, {kCopy}},
        {"mark held on the temporary copy", [](fake::FakeFileSystem& fs) { fs.streamFails.insert(kTmp); },
         {kCopy, kPlain, kWriteTmp, L"Discard " + kTmp}},
        {"destination in use", [](fake::FakeFileSystem& fs) { fs.locked.insert(kDst); },
         {kCopy, kPlain, kWriteTmp, kRename, L"Discard " + kTmp}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake::FakeFileSystem fs;
        fs.files[kSrc] = L"new";
        fs.files[kDst] = L"old";
        fs.zones[kSrc] = kMarked;
        c.arrange(fs);
        EXPECT_THROW(fs.CopyReplace(kSrc, kDst, ZoneMark::KeepSource), Failure);
        EXPECT_EQ(fs.steps, c.steps);
        EXPECT_EQ(fs.files[kDst], L"old");
        EXPECT_FALSE(fs.files.count(kTmp));
        EXPECT_FALSE(fs.zones.count(kDst));
    }
}

// A file from a CD is read-only, and some tools hide files: the installed copy is a plain file.
TEST(CopyReplaceOrder, TheCopyIsAPlainFile) {
    fake::FakeFileSystem fs;
    fs.files[kSrc] = L"new";
    fs.readOnly.insert(kSrc);
    fs.hidden.insert(kSrc);
    EXPECT_EQ(fs.CopyReplace(kSrc, kDst, ZoneMark::KeepSource), MarkWarning::None);
    EXPECT_TRUE(fs.FileExists(kDst));
    EXPECT_FALSE(fs.IsReadOnly(kDst));
    EXPECT_TRUE(fs.IsReadOnly(kSrc)) << "the source is never changed";
    // The next version up replaces it.
    fs.files[kSrc] = L"newer";
    EXPECT_NO_THROW(fs.CopyReplace(kSrc, kDst, ZoneMark::KeepSource));
    EXPECT_EQ(fs.files[kDst], L"newer");
}

}  // namespace
}  // namespace qv
