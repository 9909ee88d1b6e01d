// TChain: links, cursor, removal with tail fix-up, the owning kind deleting its items, and a chain of
// running threads ending them.
#include "shell/Chain.h"

#include "framework/Thread.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

struct Tracked {
    explicit Tracked(int v) : value(v) { ++live; }
    ~Tracked() { --live; }
    int value;
    static inline int live = 0;
};

std::vector<int> Values(const TChain<int>& chain) {
    std::vector<int> out;
    for (int* item : chain) out.push_back(*item);
    return out;
}

TEST(TChain, LinksIndexesAndRemoves) {
    int a = 1, b = 2, c = 3, d = 4, stranger = 9;
    TChain<int> chain;
    EXPECT_EQ(chain.First(), nullptr);
    chain.Add(&a);
    chain.Add(&b);
    chain.Add(&c);
    EXPECT_EQ(chain.Count(), 3);
    EXPECT_EQ(chain.Items(2), &c);
    EXPECT_EQ(chain.Items(3), nullptr);
    EXPECT_EQ(chain.Items(-1), nullptr);
    EXPECT_EQ(chain.First(), &a);
    EXPECT_EQ(chain.Next(), &b);

    EXPECT_EQ(chain.RemoveAt(2), &c);  // the tail
    EXPECT_EQ(chain.Next(), nullptr) << "removal resets the cursor";
    chain.Add(&d);  // must follow the new tail, not the freed node
    EXPECT_EQ(Values(chain), (std::vector<int>{1, 2, 4}));

    EXPECT_EQ(chain.Remove(&a), &a);  // the head
    EXPECT_EQ(chain.Remove(&stranger), nullptr);
    EXPECT_EQ(chain.RemoveAt(2), nullptr);
    EXPECT_EQ(chain.Remove(&d), &d);
    EXPECT_EQ(chain.Remove(&b), &b);
    EXPECT_EQ(chain.Count(), 0);
    chain.Add(&c);  // an emptied chain has no stale head or tail
    EXPECT_EQ(Values(chain), (std::vector<int>{3}));
    EXPECT_EQ(chain.First(), &c);
    EXPECT_EQ(chain.Next(), nullptr);
}

TEST(TChain, OwningChainDeletesItsItemsButNotRemovedOnes) {
    {
        TOwningChain<Tracked> chain;
        for (int i = 0; i < 4; ++i) chain.Add(new Tracked(i));
        Tracked* removed = chain.RemoveAt(1);
        EXPECT_EQ(removed->value, 1);
        EXPECT_EQ(Tracked::live, 4) << "a removed item goes back to the caller";
        delete removed;
        chain.Clear();
        EXPECT_EQ(Tracked::live, 0);
        chain.Add(new Tracked(7));
        TOwningChain<Tracked> moved(std::move(chain));
        EXPECT_EQ(moved.Count(), 1);
    }
    EXPECT_EQ(Tracked::live, 0) << "the destructor deletes what is left";

    Tracked kept(5);
    TChain<Tracked>().Add(&kept);  // a plain chain only links
    EXPECT_EQ(Tracked::live, 1);
}

// As the folder watchers will be kept: started threads in a chain whose deleter stops and joins them.
class Waiter final : public fw::Thread {
public:
    static inline std::atomic<int> running{0};

private:
    ~Waiter() override = default;
    void Execute() override {
        ++running;
        ::WaitForSingleObject(StopEvent(), INFINITE);
        --running;
    }
};

TEST(TChain, AChainOfThreadsStopsAndJoinsThemWhenCleared) {
    TChain<Waiter, fw::ThreadDeleter> watchers;
    for (int i = 0; i < 3; ++i) {
        auto waiter = fw::StartThread<Waiter>();
        watchers.Add(waiter.get());
        (void)waiter.release();  // now owned by the chain
    }
    ASSERT_TRUE(qbtest::WaitUntil([] { return Waiter::running == 3; }));
    watchers.Clear();
    EXPECT_EQ(Waiter::running, 0) << "every body returned before its object was deleted";
}

}  // namespace
