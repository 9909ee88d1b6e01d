// The timer component on the GUI thread's message loop.
#include "framework/Timer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono_literals;

TEST(Timer, FiresWhileEnabledAndNotAfter) {
    auto timer = std::make_unique<fw::Timer>(nullptr);
    int ticks = 0;
    timer->SetInterval(10);
    timer->OnTimer = [&](fw::Timer&) { ++ticks; };
    EXPECT_TRUE(qbtest::WaitUntil([&] { return ticks >= 2; }));
    timer->SetEnabled(false);
    const int stopped = ticks;
    qbtest::PumpFor(60ms);
    EXPECT_EQ(ticks, stopped);
}

}  // namespace
