#include "framework/Component.h"
#include "framework/Lifetime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_freed;

class Probe : public fw::Component {
public:
    Probe(fw::Component* owner, std::string name) : fw::Component(owner), name_(std::move(name)) {}
    ~Probe() override { g_freed.push_back(name_); }

private:
    std::string name_;
};

TEST(Component, FreeingAnOwnerFreesWhatItOwnsLastInsertedFirst) {
    g_freed.clear();
    auto* root = new Probe(nullptr, "root");
    auto* a = new Probe(root, "a");
    new Probe(root, "b");
    new Probe(a, "a1");
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(a->Owner(), root);
    delete root;
    // Each destructor body runs before the owned components go.
    EXPECT_EQ(g_freed, (std::vector<std::string>{"root", "b", "a", "a1"}));
}

TEST(Component, OwnershipMovesAndAFreedComponentLeavesItsOwner) {
    g_freed.clear();
    Probe first(nullptr, "first");
    Probe second(nullptr, "second");
    auto* moving = new Probe(&first, "moving");
    auto* staying = new Probe(&first, "staying");

    first.RemoveComponent(moving);
    second.InsertComponent(moving);
    EXPECT_EQ(first.ComponentCount(), 1);
    EXPECT_EQ(second.ComponentCount(), 1);
    EXPECT_EQ(moving->Owner(), &second);
    EXPECT_EQ(second.Components(0), moving);
    EXPECT_EQ(second.Components(1), nullptr);

    // Inserting into a new owner takes it out of the old one too.
    second.InsertComponent(staying);
    EXPECT_EQ(first.ComponentCount(), 0);

    delete moving;
    EXPECT_EQ(second.ComponentCount(), 1);
    second.DestroyComponents();
    EXPECT_EQ(second.ComponentCount(), 0);
    EXPECT_EQ(g_freed, (std::vector<std::string>{"moving", "staying"}));
}

// Keeps a pointer to its owner, as an entry keeps its container.
class Keeper : public fw::Component {
public:
    explicit Keeper(fw::Component* owner) : fw::Component(owner), kept(owner) {}
    fw::Component* kept;

protected:
    void OwnerGone() noexcept override { kept = nullptr; }
};

TEST(Component, AComponentFreedDuringItsHandlerHearsWhenItsOwnerGoesBeforeTheHandlerReturns) {
    auto* owner = new Probe(nullptr, "owner");
    auto* freed = new Keeper(owner);
    auto* owned = new Keeper(owner);
    {
        fw::HandlerScope running(freed);  // its handler runs a nested loop, in which a refill frees it
        fw::HandlerScope alsoRunning(owned);
        freed->Free();
        EXPECT_EQ(owner->ComponentCount(), 1) << "a freed component stayed in its owner's list";
        EXPECT_EQ(freed->kept, owner);
        delete owner;  // then the owner goes too, taking what it still owns
        EXPECT_EQ(freed->kept, nullptr);
        EXPECT_EQ(owned->kept, nullptr);
        EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 2);
    }
    EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 0);

    // An owner that outlives the handler forgets the component that went; its own end tells nobody.
    auto* lasting = new Probe(nullptr, "lasting");
    {
        auto* brief = new Keeper(lasting);
        fw::HandlerScope running(brief);
        brief->Free();
    }
    delete lasting;
}

}  // namespace
