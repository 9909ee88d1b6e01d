// TChain: links, cursor, removal with tail fix-up, and the owning kind deleting its items.
#include "shell/Chain.h"

#include <gtest/gtest.h>

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

}  // namespace
