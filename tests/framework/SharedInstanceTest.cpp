// Objects shared by use count: made by the first user, destroyed with the last, reachable without making one,
// and one object for users on many threads.
#include "framework/SharedInstance.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct Face {
    static inline std::atomic<int> live{0};
    static inline std::atomic<int> made{0};
    Face() {
        ++live;
        ++made;
    }
    ~Face() { --live; }
};

std::unique_ptr<Face> Refuse() {
    throw std::runtime_error("no face");
}

TEST(SharedInstance, MadeByTheFirstUserAndDestroyedWithTheLast) {
    Face::made = 0;
    fw::SharedInstance<Face> shared;
    EXPECT_EQ(shared.Current(), nullptr);
    EXPECT_EQ(Face::made, 0) << "asking does not make one";

    fw::SharedInstance<Face>::Use first = shared.Acquire();
    {
        const auto second = shared.Acquire(&Refuse);  // made already: the factory is not called
        EXPECT_EQ(second.get(), first.get());
        EXPECT_EQ(shared.Current(), first.get());
    }
    auto moved = std::move(first);
    EXPECT_FALSE(first);
    EXPECT_EQ(shared.Uses(), 1);
    EXPECT_EQ(Face::live, 1);
    moved.reset();
    EXPECT_EQ(Face::live, 0);
    EXPECT_EQ(shared.Current(), nullptr);

    const auto later = shared.Acquire();
    EXPECT_EQ(Face::made, 2) << "a later user gets a new one";
}

TEST(SharedInstance, AFailedFirstMakeLeavesNoUser) {
    fw::SharedInstance<Face> shared;
    EXPECT_THROW(shared.Acquire(&Refuse), std::runtime_error);
    EXPECT_FALSE(shared.Acquire([] { return std::unique_ptr<Face>(); }));
    EXPECT_EQ(shared.Uses(), 0);
    EXPECT_EQ(shared.Current(), nullptr);
    EXPECT_TRUE(shared.Acquire());
}

TEST(SharedInstance, UsersOnManyThreadsShareOneObject) {
    fw::SharedInstance<Face> shared;
    std::atomic<int> strangers{0};
    std::atomic<bool> go{false};  // all threads start together
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            while (!go) std::this_thread::yield();
            for (int n = 0; n < 20000; ++n) {
                const auto use = shared.Acquire();
                // While this use lives, nobody can make another object.
                if (!use || shared.Current() != use.get()) ++strangers;
            }
        });
    }
    go = true;
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(strangers, 0);
    EXPECT_EQ(shared.Uses(), 0);
    EXPECT_EQ(Face::live, 0);
}

}  // namespace
