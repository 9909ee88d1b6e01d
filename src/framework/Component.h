// Owned components. Every component may have an owner; an owner keeps the list of what it owns and
// frees all of it when it is freed itself. Ownership can move (RemoveComponent on the old owner,
// InsertComponent on the new one). Components are always heap objects, freed with `delete`.
#pragma once

#include <vector>

namespace fw {

class Component {
public:
    // Inserts the new component into `owner`'s list when an owner is given.
    explicit Component(Component* owner);
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    // Frees every owned component (the last inserted first), then leaves the owner's list.
    virtual ~Component();

    Component* Owner() const noexcept { return owner_; }
    void InsertComponent(Component* component);
    void RemoveComponent(Component* component);
    // Frees every owned component now, the last inserted first.
    void DestroyComponents();
    int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
    Component* Components(int index) const noexcept;
    bool Destroying() const noexcept { return destroying_; }

protected:
    // Derived destructors call this first when their own members must still be alive while the owned
    // components go (an owned component may call back into its owner while it is freed).
    void BeginDestroy() noexcept { destroying_ = true; }

private:
    Component* owner_ = nullptr;
    std::vector<Component*> components_;
    bool destroying_ = false;
};

}  // namespace fw
