// Child controls (windows of the platform's control classes on a form). A parent form knows nothing
// about its controls: the notifications that Windows sends to the parent (WM_COMMAND with the control's
// window in lParam) are passed back by Form::WndProc to the control's own object, found through
// ChildControl::FromHandle.
#pragma once

#include <windows.h>

namespace fw {

class ChildControl {
public:
    // The object attached to a control window, or null for windows without one.
    static ChildControl* FromHandle(HWND hwnd) noexcept;
    // A WM_COMMAND notification the control sent to its parent; true when it was handled.
    virtual bool HandleCommand(WORD notifyCode) = 0;

protected:
    ChildControl() = default;
    ~ChildControl() = default;
    ChildControl(const ChildControl&) = delete;
    ChildControl& operator=(const ChildControl&) = delete;
    // Attaches (or, with null, detaches) this object to a control window.
    void Attach(HWND hwnd) noexcept;
    static void Detach(HWND hwnd) noexcept;
};

}  // namespace fw
