// The single-line edit control.
#pragma once

#include "framework/ChildControl.h"
#include "framework/Component.h"
#include "framework/ShiftState.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace fw {

class Form;

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
