// The portable rules of the platform layer: the Mark of the Web's text, the account check and
// the retries while another program holds a file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"
#include "platform/account.h"
#include "platform/hold_retry.h"
#include "platform/zone_identifier.h"

namespace qv {
namespace {

// ASCII text as UTF-16LE bytes.
std::string Utf16(const std::string& ascii, bool bom) {
    std::string r = bom ? "\xFF\xFE" : "";
    for (char c : ascii) r += std::string{c, '\0'};
    return r;
}

TEST(ZoneIdentifier, ReadsTheZoneOfTheZoneTransferSection) {
    const std::string bom = "\xEF\xBB\xBF";
    // A writer that stored the C string's closing NUL too.
    const char withNul[] = "[ZoneTransfer]\r\nZoneId=3";
    struct Case {
        int line;
        std::string text;
        std::optional<int> zone;
    } cases[] = {
        {__LINE__, "[ZoneTransfer]\r\nZoneId=3\r\n", 3},
        {__LINE__, bom + "[ZoneTransfer]\r\nZoneId=4\r\n", 4},
        {__LINE__, "  [ ZoneTransfer ]  \r\n  ZoneId  =  2  \r\n", 2},
        {__LINE__, "[zonetransfer]\r\nzoneid=3\r\n", 3},
        {__LINE__, "[ZoneTransfer]\r\nReferrerUrl=https://x/?ZoneId=1\r\nHostUrl=https://x/a.xla\r\nZoneId=3\r\n", 3},
        {__LINE__, "[Other]\r\nZoneId=1\r\n[ZoneTransfer]\r\nZoneId=3\r\n[More]\r\nZoneId=0\r\n", 3},
        {__LINE__, "[ZoneTransfer]\r\nZoneId=x\r\nZoneId=3\r\n", 3},  // the first valid one
        {__LINE__, "; comment\r\n[ZoneTransfer]\r\n;ZoneId=4\r\nZoneId=1\r\n", 1},
        {__LINE__, std::string(withNul, sizeof withNul), 3},
        // UTF-16 text, with and without its byte order mark
        {__LINE__, Utf16("[ZoneTransfer]\r\nZoneId=3\r\n", true), 3},
        {__LINE__, Utf16("[ZoneTransfer]\nZoneId=4", false), 4},
        // nothing to go by
        {__LINE__, "", std::nullopt},
        {__LINE__, "[Other]\r\nZoneId=3\r\n", std::nullopt},
        {__LINE__, "[ZoneTransfer\r\nZoneId=3\r\n", std::nullopt},
        {__LINE__, "[ZoneTransfer]\r\nZoneId=-1\r\n", std::nullopt},
        {__LINE__, "[ZoneTransfer]\r\nZoneId=3a\r\n", std::nullopt},
        {__LINE__, "[ZoneTransfer]\r\nZoneId=99999999999999999999\r\n", std::nullopt},
        {__LINE__, "[ZoneTransfer]\r\nZoneIdentifier=3\r\n", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        EXPECT_EQ(ZoneIdOf(c.text), c.zone);
    }
    EXPECT_FALSE(IsMarkedFromInternet(std::nullopt) || IsMarkedFromInternet(2));
    EXPECT_TRUE(IsMarkedFromInternet(3) && IsMarkedFromInternet(4));
}

TEST(AccountRule, ComparesTheDesktopUserBySidAndKnowsLocalSystem) {
    const std::wstring taro = L"S-1-5-21-7-1001", admin = L"S-1-5-21-7-500", corpTaro = L"S-1-5-21-9-1104";
    struct Case {
        int line;
        AccountFacts facts;
        AccountVerdict verdict;
    } cases[] = {
        {__LINE__, {L"PC\\taro", L"PC\\taro", taro, taro, false}, AccountVerdict::Ok},
        {__LINE__, {L"PC\\taro", L"PC\\admin", taro, admin, false}, AccountVerdict::OtherUser},
        // the SIDs decide where both are known, whatever the names say: the same name of two
        // accounts (a local and a domain one, or a session's name without its domain)...
        {__LINE__, {L"PC\\taro", L"PC\\TARO", taro, corpTaro, false}, AccountVerdict::OtherUser},
        {__LINE__, {L"CORP\\taro", L"taro", corpTaro, taro, false}, AccountVerdict::OtherUser},
        // ...and two names of one account (renamed, or a session's older name)
        {__LINE__, {L"OLD\\taro", L"NEW\\taro", taro, taro, false}, AccountVerdict::Ok},
        {__LINE__, {L"CORP\\taro.yamada", L"CORP\\tyamada", corpTaro, corpTaro, false}, AccountVerdict::Ok},
        // a session name that could not be looked up: by name; letter case does not count, a
        // name without its domain matches the user part
        {__LINE__, {L"CORP\\Taro", L"corp\\TARO", corpTaro, std::nullopt, false}, AccountVerdict::Ok},
        {__LINE__, {L"CORP\\taro", L"CORP\\hanako", corpTaro, std::nullopt, false}, AccountVerdict::OtherUser},
        {__LINE__, {L"CORP\\taro", L"Taro", corpTaro, std::nullopt, false}, AccountVerdict::Ok},
        {__LINE__, {L"CORP\\admin", L"taro", admin, std::nullopt, false}, AccountVerdict::OtherUser},
        {__LINE__, {L"CORP\\taro", L"CORP\\taro", L"", taro, false}, AccountVerdict::Ok},  // own SID unread
        {__LINE__, {L"CORP\\taro", L"CORP\\hanako", L"", taro, false}, AccountVerdict::OtherUser},
        // no desktop user found: only the LocalSystem rule
        {__LINE__, {L"PC\\taro", std::nullopt, taro, std::nullopt, false}, AccountVerdict::Ok},
        {__LINE__, {L"NT AUTHORITY\\SYSTEM", std::nullopt, L"S-1-5-18", std::nullopt, true}, AccountVerdict::LocalSystem},
        // SYSTEM beside a user at the desktop is another user, which both programs refuse
        {__LINE__, {L"NT AUTHORITY\\SYSTEM", L"PC\\taro", L"S-1-5-18", taro, true}, AccountVerdict::OtherUser},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        EXPECT_EQ(CheckAccount(c.facts), c.verdict);
    }
}

TEST(HoldRetry, TriesAgainOnlyWhileHeldAndWithinThePatience) {
    using R = TryResult;
    struct Case {
        int line;
        HoldPatience patience;
        std::vector<R> results;  // what the tries answer in turn; the last one repeats
        R outcome;
        int tries;
    } cases[] = {
        {__LINE__, {5000, 200}, {R::Done}, R::Done, 1},
        {__LINE__, {5000, 200}, {R::Failed}, R::Failed, 1},  // access denied is not retried
        {__LINE__, {5000, 200}, {R::Held, R::Held, R::Done}, R::Done, 3},
        {__LINE__, {5000, 200}, {R::Held, R::Failed}, R::Failed, 2},
        {__LINE__, {5000, 200}, {R::Held}, R::Held, 26},  // 25 pauses make the 5 s
        {__LINE__, {300, 100}, {R::Held}, R::Held, 4},
        {__LINE__, {0, 100}, {R::Held}, R::Held, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        fake::FakePauser pauser;
        int tries = 0;
        R outcome = RetryWhileHeld(
            [&] {
                size_t i = std::min(static_cast<size_t>(tries), c.results.size() - 1);
                ++tries;
                return c.results[i];
            },
            pauser, c.patience);
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(tries, c.tries);
        EXPECT_EQ(pauser.pauses, std::vector<int>(c.tries - 1, c.patience.pauseMilliseconds));
    }
}

}  // namespace
}  // namespace qv
