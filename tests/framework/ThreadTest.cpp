// Worker threads: running until asked to stop, and failures kept on their own thread.
#include "framework/Exception.h"
#include "framework/Thread.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

class CountingThread : public fw::Thread {
public:
    std::atomic<int> loops{0};
    bool fail = false;

protected:
    void Execute() override {
        if (fail) throw fw::Exception(L"スレッドの失敗");
        while (!Terminated()) {
            ++loops;
            ::Sleep(1);
        }
    }
};

TEST(Thread, RunsUntilTerminatedAndKeepsItsFailure) {
    CountingThread worker;
    ASSERT_TRUE(worker.Start());
    EXPECT_TRUE(qbtest::WaitUntil([&] { return worker.loops > 0; }));
    worker.Terminate();
    worker.WaitFor();
    EXPECT_TRUE(worker.Finished());
    EXPECT_TRUE(worker.FatalError().empty());

    CountingThread failing;
    failing.fail = true;
    failing.Start();
    failing.WaitFor();
    EXPECT_EQ(failing.FatalError(), L"スレッドの失敗");
}

}  // namespace
