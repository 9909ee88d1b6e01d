// A slot for a control that an object uses but another component owns: a row of a menu puts its edit
// box or check box in its container, which frees the controls it still owns when it goes, and the window
// is a child of the menu window.
//
// The slot gives its control back with reset(): the control is freed (hidden and freed later when one of
// its handlers runs) and the slot forgets it. The slot's destructor resets it, and so must the user's
// WillFreeLater: a user freed while one of its handlers runs outlives its container, which would free the
// control under the slot's pointer.
//
//   fw::ControlSlot<fw::Edit> EditBox;
//   EditBox.reset(new fw::Edit(container, *window));  // frees the box held before
//   void WillFreeLater() noexcept override { Base::WillFreeLater(); EditBox.reset(); }
#pragma once

#include <utility>

namespace fw {

template <class T>
class ControlSlot {
public:
    ControlSlot() noexcept = default;
    ~ControlSlot() { reset(); }
    ControlSlot(const ControlSlot&) = delete;
    ControlSlot& operator=(const ControlSlot&) = delete;

    T* get() const noexcept { return control_; }
    T* operator->() const noexcept { return control_; }
    // Borrowed, like the control's other users: null once the slot is reset.
    operator T*() const noexcept { return control_; }

    // Frees the control held (if any) and holds `control` instead; returns it.
    T* reset(T* control = nullptr) noexcept {
        if (T* old = std::exchange(control_, control)) old->Free();
        return control;
    }

private:
    T* control_ = nullptr;
};

}  // namespace fw
