// When the watchdog acts on a call that has not returned, and how long a wait for Excel's end lasts.
#include <gtest/gtest.h>

#include <vector>

#include "excel/stuck_call.h"

namespace qv::excel {
namespace {

constexpr StuckCallTiming kTiming{3000, 120000, true};

TEST(StuckCall, FrontAndQuestionComeWhenTheirTimeIsReached) {
    struct Case {
        int line;
        Tick start, now;
        StuckCallTiming timing;
        bool front, ask;
    } cases[] = {
        {__LINE__, 1000, 1000, kTiming, false, false},
        {__LINE__, 1000, 3999, kTiming, false, false},
        {__LINE__, 1000, 4000, kTiming, true, false},
        {__LINE__, 1000, 120999, kTiming, true, false},
        {__LINE__, 1000, 121000, kTiming, true, true},
        // The tick counter wraps after 49.7 days; a call that spans the wrap is timed as any other.
        {__LINE__, 0xFFFFF000u, 0x00000000u, kTiming, true, false},
        {__LINE__, 0xFFFFF000u, 0x0001E000u, kTiming, true, true},
        // Nobody to ask: the question never comes, however long the call takes.
        {__LINE__, 0, 0x7FFFFFFFu, {3000, 120000, false}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        StuckCall call(c.start);
        EXPECT_EQ(call.FrontDue(c.now, c.timing), c.front);
        EXPECT_EQ(call.AskDue(c.now, c.timing), c.ask);
    }
}

TEST(StuckCall, WaitingOnAsksAgainAWholeSpanAfterTheAnswer) {
    StuckCall call(0);
    ASSERT_TRUE(call.AskDue(120000, kTiming));
    call.WaitedOn(150000);  // the person took 30 s to answer
    EXPECT_FALSE(call.AskDue(150000, kTiming));
    EXPECT_FALSE(call.AskDue(269999, kTiming));
    EXPECT_TRUE(call.AskDue(270000, kTiming));
    EXPECT_TRUE(call.FrontDue(150000, kTiming)) << "the windows still belong in front";
}

TEST(EndWaitBound, OnlyTimeWithoutAWindowCounts) {
    struct Step {
        Tick now;
        bool windowShown;
    };
    struct Case {
        int line;
        Tick start;
        int limitMs;
        std::vector<Step> steps;
        unsigned left;
    } cases[] = {
        {__LINE__, 0, 30000, {}, 30000},
        {__LINE__, 0, 30000, {{10000, false}, {20000, false}}, 10000},
        {__LINE__, 0, 30000, {{10000, false}, {40000, false}}, 0},
        // A message box during shutdown: the 60 s it was up do not count.
        {__LINE__, 0, 30000, {{10000, false}, {70000, true}, {80000, false}}, 10000},
        {__LINE__, 0, 30000, {{500000, true}}, 30000},
        {__LINE__, 0xFFFFFF00u, 30000, {{0x00000100u, false}}, 30000 - 0x200},
        {__LINE__, 0, 0, {}, 0},
        {__LINE__, 0, -5, {{100, true}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case at line " << c.line);
        EndWaitBound bound(c.start, c.limitMs);
        for (const Step& s : c.steps) bound.Note(s.now, s.windowShown);
        EXPECT_EQ(bound.LeftMs(), c.left);
        EXPECT_EQ(bound.RanOut(), c.left == 0);
    }
}

}  // namespace
}  // namespace qv::excel
