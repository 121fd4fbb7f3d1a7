#include <gtest/gtest.h>

#include "fakes.h"

namespace qv {
namespace {

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
