#include "framework/Component.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace fw {

Component::Component(Component* owner) {
    if (owner) owner->InsertComponent(this);
}

Component::~Component() {
    destroying_ = true;
    DestroyComponents();
    for (Component* left : std::exchange(leaving_, {})) {
        left->formerOwner_ = nullptr;
        left->OwnerGone();
    }
    if (owner_) owner_->RemoveComponent(this);
    if (formerOwner_) std::erase(formerOwner_->leaving_, this);
}

void Component::WillFreeLater() noexcept {
    if (Component* owner = owner_) {
        owner->RemoveComponent(this);
        owner->KeepLeaving(this);
    }
}

void Component::KeepLeaving(Component* component) {
    component->formerOwner_ = this;
    leaving_.push_back(component);
}

void Component::InsertComponent(Component* component) {
    if (!component || component->owner_ == this) return;
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
}

void Component::RemoveComponent(Component* component) {
    // Components mostly go in the reverse order of their coming (an owner's end, a container's entries
    // refilled), so the search starts at the back: each of thousands of entries is found at once.
    const auto it = std::find(components_.rbegin(), components_.rend(), component);
    if (it == components_.rend()) return;
    components_.erase(std::next(it).base());
    component->owner_ = nullptr;
}

void Component::DestroyComponents() {
    while (!components_.empty()) {
        Component* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        // One still running a handler outlives this loop: it hears when this component goes.
        if (last->HandlerDepth() > 0) KeepLeaving(last);
        last->Free();
    }
}

Component* Component::Components(int index) const noexcept {
    if (index < 0 || index >= ComponentCount()) return nullptr;
    return components_[static_cast<size_t>(index)];
}

}  // namespace fw
