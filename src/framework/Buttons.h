// Push button and check box (BUTTON windows). A click raises OnClick; a push button with a modal result
// also ends the modal loop of its form with that result.
#pragma once

#include "framework/ChildControl.h"

#include <functional>

namespace fw {

class Button : public ChildControl {
public:
    Button(Component* owner, Form& parent);

    // IDOK, IDCANCEL, ...; 0 (the default) leaves the form's modal loop alone.
    int ModalResult = 0;
    std::function<void(Button& sender)> OnClick;

    // Clicks the button as the user would (BN_CLICKED comes back through the parent).
    void Click();

protected:
    bool Command(WORD notifyCode) override;
};

class CheckBox : public ChildControl {
public:
    CheckBox(Component* owner, Form& parent);

    bool Checked() const noexcept;
    // Changes the tick without raising OnClick.
    void SetChecked(bool checked);

    // The user ticked or unticked the box.
    std::function<void(CheckBox& sender)> OnClick;

protected:
    bool Command(WORD notifyCode) override;
};

}  // namespace fw
