// Owned components. Every component may have an owner; an owner keeps the list of what it owns and
// frees all of it when it is freed itself. Ownership can move (RemoveComponent on the old owner,
// InsertComponent on the new one). Components are heap objects, freed with Free(): a component freed
// while one of its handlers runs leaves its owner's list at once and goes when the handler returns.
// Should the owner go first, meanwhile, the component is told (OwnerGone), so that nothing it kept of the
// owner is used after the owner has gone.
#pragma once

#include "framework/Lifetime.h"

#include <vector>

namespace fw {

class Component : public DeferredDelete {
public:
    // Inserts the new component into `owner`'s list when an owner is given.
    explicit Component(Component* owner);
    // Frees every owned component (the last inserted first), then leaves the owner's list.
    ~Component() override;

    Component* Owner() const noexcept { return owner_; }
    void InsertComponent(Component* component);
    void RemoveComponent(Component* component);
    // Frees every owned component now, the last inserted first (those running a handler go later).
    void DestroyComponents();
    int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
    Component* Components(int index) const noexcept;
    bool Destroying() const noexcept { return destroying_; }

protected:
    // Derived destructors call this first when their own members must still be alive while the owned
    // components go (an owned component may call back into its owner while it is freed).
    void BeginDestroy() noexcept { destroying_ = true; }
    // A component freed while it runs a handler leaves its owner at once: the owner's queries and
    // destruction no longer see it. Derived classes that override this call it.
    void WillFreeLater() noexcept override;
    // The owner this component left when it was freed during one of its handlers is going, while that
    // handler still runs: forget whatever was kept of it (pointers into it, into what it owns).
    virtual void OwnerGone() noexcept {}

private:
    // Remembers a component that leaves this one while its handler runs, to tell it when this one goes.
    void KeepLeaving(Component* component);

    Component* owner_ = nullptr;
    // The owner left while a handler ran, as long as that owner lives.
    Component* formerOwner_ = nullptr;
    std::vector<Component*> components_;
    // Components freed during their handlers that left this one and still run.
    std::vector<Component*> leaving_;
    bool destroying_ = false;
};

}  // namespace fw
