// Press-and-hold repetition and the notice limiter.
#include "controls/core/Timing.h"

#include <gtest/gtest.h>

TEST(HoldRepeat, FirstDelayThenSteadyRepeatWithoutBursts) {
    ctltime::HoldRepeat r(500, 100);
    EXPECT_FALSE(r.Due(1000)); // not started
    r.Start(1000);
    struct Step {
        int64_t now;
        bool due;
    } steps[] = {{1000, false}, {1499, false}, {1500, true}, {1550, false}, {1600, true},
                 {1699, false}, {1700, true},  {2500, true}, {2501, false}, {2600, true}};
    for (const Step& s : steps)
        EXPECT_EQ(r.Due(s.now), s.due) << s.now;
    r.Stop();
    EXPECT_FALSE(r.Due(5000));
}

TEST(NoticeLimiter, AtMostOneNoticePerIntervalAndTheRestAtRelease) {
    ctltime::NoticeLimiter l(400);
    l.Start(0);
    EXPECT_FALSE(l.Poll(500)); // nothing changed
    l.Mark();
    EXPECT_TRUE(l.Poll(500));
    l.Mark();
    EXPECT_FALSE(l.Poll(899));
    EXPECT_TRUE(l.Poll(900));
    l.Mark();
    EXPECT_TRUE(l.TakePending());
    EXPECT_FALSE(l.TakePending());

    // A click: the change is told at the release, not at the press.
    l.Start(2000);
    l.Mark();
    EXPECT_FALSE(l.Poll(2050));
    EXPECT_TRUE(l.TakePending());
}
