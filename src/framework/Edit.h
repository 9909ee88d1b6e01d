// Child controls and the single-line edit control.
//
// A parent form knows nothing about its controls: the notifications that Windows sends to the parent
// (WM_COMMAND with the control's window in lParam) are passed back by Form::WndProc to the control's own
// object, found through ChildControl::FromHandle.
#pragma once

#include "framework/Component.h"
#include "framework/ShiftState.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace fw {

class Form;

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

// A single-line EDIT window. The window is a child of `parent` and exists from construction until the
// object is freed (or the parent window goes first); the object is owned as a component by `owner`.
class Edit : public Component, public ChildControl {
public:
    Edit(Component* owner, Form& parent);
    ~Edit() override;

    HWND Handle() const noexcept { return hwnd_; }

    // Position and size in the parent's client coordinates.
    void SetBounds(int left, int top, int width, int height);
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    // The font is borrowed: the caller keeps it alive while the control uses it.
    void SetFont(HFONT font);
    void SetFocus();
    void SelectAll();
    // The control's own visibility (a hidden parent does not change it).
    bool Visible() const noexcept;
    void SetVisible(bool visible);

    std::function<void(Edit& sender)> OnChange;
    // Keys pressed while the control has the focus, Enter and Escape included; setting `key` to 0
    // swallows the key (and the character it would type).
    std::function<void(Edit& sender, WORD& key, ShiftState shift)> OnKeyDown;
    std::function<void(Edit& sender)> OnExit;

    bool HandleCommand(WORD notifyCode) override;

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR refData) noexcept;
    LRESULT ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool swallowChar_ = false;
    // Cleared by the destructor: an event handler may free the control while its window procedure runs.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace fw
