#include <gtest/gtest.h>

#include "fakes.h"

namespace qv {
namespace {

TEST(FileNamePart, TakesTextAfterLastBackslash) {
    struct Case { const wchar_t* path; const wchar_t* name; };
    const Case cases[] = {
        {L"C:\\A\\one.xla", L"one.xla"},
        {L"one.xla", L"one.xla"},
        {L"C:\\A\\", L""},
        {L"\\\\srv\\share\\t.xla", L"t.xla"},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
}

TEST(RowLookups, OutOfRangeIndexIsAFailureNotACrash) {
    fake::World w;
    w.st.strSELFILE.push_back({L"C:\\a.xla", false});
    EXPECT_EQ(GetSelectedFile(w.ctx(), 0), L"");
    EXPECT_EQ(GetSelectedFile(w.ctx(), 1), L"C:\\a.xla");
    EXPECT_THROW(GetSelectedFile(w.ctx(), 2), Failure);
    EXPECT_THROW(GetSelectedFile(w.ctx(), -1), Failure);
    EXPECT_THROW(GetAddinRowFullName(w.ctx(), 1), Failure);
}

}  // namespace
}  // namespace qv
