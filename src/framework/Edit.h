// The single-line edit control, with a read-only mode (the text changes only from code, as in the hotkey
// field, which shows the keys pressed in it) and key events that may swallow a key.
#pragma once

#include "framework/ChildControl.h"
#include "framework/ShiftState.h"

#include <functional>

namespace fw {

class Edit : public ChildControl {
public:
    Edit(Component* owner, Form& parent);

    void SelectAll();
    bool ReadOnly() const noexcept;
    void SetReadOnly(bool readOnly);
    // The sunken 3-D border (the default) or a flat one-pixel border.
    void SetCtl3D(bool sunken);

    std::function<void(Edit& sender)> OnChange;
    // Keys pressed and released while the control has the focus, Enter and Escape included; setting `key`
    // to 0 in OnKeyDown swallows the key (and the character it would type).
    std::function<void(Edit& sender, WORD& key, ShiftState shift)> OnKeyDown;
    std::function<void(Edit& sender, WORD& key, ShiftState shift)> OnKeyUp;
    std::function<void(Edit& sender)> OnExit;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool Command(WORD notifyCode) override;

private:
    bool swallowChar_ = false;
};

}  // namespace fw
