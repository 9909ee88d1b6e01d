// The hover trackers' shared one-shot timer: only the tracker started last fires, a tracker that goes away
// never fires, and the timer comes back for trackers made after the last one went.
#include "popup/DelayCaller.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono_literals;

// A tracker whose condition holds and whose action counts.
std::unique_ptr<TDelayCaller> Tracker(int& fired) {
    auto tracker = std::make_unique<TDelayCaller>();
    tracker->Interval = 10;
    tracker->Condition = [] { return true; };
    tracker->Action = [&fired] { ++fired; };
    return tracker;
}

TEST(TDelayCaller, OnlyTheTrackerStartedLastFires) {
    int firstFired = 0, secondFired = 0;
    auto first = Tracker(firstFired);
    auto second = Tracker(secondFired);
    first->Start();
    second->Start();
    EXPECT_FALSE(first->Running());
    EXPECT_TRUE(qbtest::WaitUntil([&] { return secondFired == 1; }));
    qbtest::PumpFor(50ms);
    EXPECT_EQ(firstFired, 0);
    EXPECT_EQ(secondFired, 1) << "one shot";

    // Going away while pointed at stops the countdown.
    second->Start();
    second.reset();
    qbtest::PumpFor(50ms);
    EXPECT_EQ(secondFired, 1);
}

TEST(TDelayCaller, TimerComesBackAfterTheLastTrackerWent) {
    int fired = 0;
    Tracker(fired)->Start();  // made, started and gone: the shared timer goes with it
    auto later = Tracker(fired);
    later->Start();
    EXPECT_TRUE(later->Running());
    EXPECT_TRUE(qbtest::WaitUntil([&] { return fired == 1; }));
}

}  // namespace
