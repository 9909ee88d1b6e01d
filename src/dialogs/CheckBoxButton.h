// A settings row that is a check box. The box is a component of the row's container and a child window
// of its menu window, placed over the row and moved with it; it goes when the row goes.
#pragma once

#include "framework/Buttons.h"
#include "framework/ControlSlot.h"
#include "popup/PopupButton.h"

#include <functional>
#include <string>

class TCheckBoxButton : public virtual TPopupButton {
public:
    TCheckBoxButton(std::wstring caption, bool checked);

    void Attach(TPopupButtonManager* container) override;
    void Measure() override;
    void Paint() override;
    // Enter on the row ticks or unticks the box, as a click on it does.
    void Activate() override;
    TPopupButtonBase& SetLeft(int v) override;
    TPopupButtonBase& SetTop(int v) override;

    bool Checked;                            // the tick, kept up to date with the box
    fw::ControlSlot<fw::CheckBox> CheckBox;  // owned by the container (as component owner); made on Attach
    std::wstring SpokenName() const override { return Caption; }
    std::wstring Caption;
    int ExtraWidth = 25;  // the box and its gap, beside the caption's text (pixels at 96 DPI)
    std::function<void(TCheckBoxButton& sender)> OnValueChange;

protected:
    void WillFreeLater() noexcept override;

private:
    void PlaceBox();
    void Toggled(bool checked);
};
