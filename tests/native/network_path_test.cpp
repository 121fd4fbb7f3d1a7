// Which paths count as lying on the network, by their text and their drive's type.
#include <gtest/gtest.h>

#include <string>

#include "fakes.h"
#include "operations/network_path.h"

namespace qv {
namespace {

struct NetworkCase {
    const wchar_t* path;
    bool network;
    const wchar_t* asked;  // the drive root asked about; empty when none may be asked
};

TEST(NetworkPath, ByTextAndDriveType) {
    fake::FakeDrives drives;
    drives.types = {{L"C:\\", 3}, {L"N:\\", kDriveRemote}, {L"M:\\", kDriveNoRootDir},
                    {L"E:\\", 2}, {L"R:\\", 5}, {L"T:\\", 6}};
    const NetworkCase cases[] = {
        {L"\\\\srv\\share\\tools\\shared.xla", true, L""},
        {L"\\\\srv\\share", true, L""},
        {L"N:\\tools\\shared.xla", true, L"N:\\"},
        {L"n:\\tools\\shared.xla", true, L"N:\\"},       // the letter in either case
        {L"N:shared.xla", true, L"N:\\"},                // relative to the drive, still that drive
        {L"M:\\tools\\shared.xla", true, L"M:\\"},       // a mapped drive seen from an elevated program
        {L"C:\\Users\\u\\AddIns\\tool.xla", false, L"C:\\"},
        {L"E:\\tool.xla", false, L"E:\\"},               // removable
        {L"R:\\tool.xla", false, L"R:\\"},               // CD-ROM
        {L"T:\\tool.xla", false, L"T:\\"},               // RAM disk
        {L"Q:\\tool.xla", false, L"Q:\\"},               // unknown type (0)
        {L"tool.xla", false, L""},
        {L"\\tool.xla", false, L""},
        {L"1:\\tool.xla", false, L""},
        {L"", false, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.path));
        drives.asked.clear();
        EXPECT_EQ(IsNetworkPath(c.path, drives), c.network);
        if (*c.asked) {
            ASSERT_EQ(drives.asked.size(), 1u);
            EXPECT_EQ(drives.asked[0], c.asked);
        } else {
            EXPECT_TRUE(drives.asked.empty());
        }
    }
}

}  // namespace
}  // namespace qv
