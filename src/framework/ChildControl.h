// Child controls: windows of the system's control classes (EDIT, BUTTON) on a form. The object is a
// component owned by `owner` (which may differ from the form: a drawn row of a list may give its controls
// to the container that holds the row); the window is a child of `parent` and exists from construction until
// the object is freed or the parent's window goes first (then the object lives on without a window).
//
// Each control has its own font and colours: the font (face, size, style and text colour) is a copy the
// control owns, made for the parent form's DPI; the background colour answers the parent's WM_CTLCOLOR*
// notification, which the parent passes back to the control like every other notification about it.
#pragma once

#include "framework/Component.h"
#include "framework/Dpi.h"
#include "framework/Graphics.h"
#include "framework/WindowHandler.h"

#include <windows.h>

#include <string>

namespace fw {

class Form;

class ChildControl : public Component, public WindowHandler {
public:
    ~ChildControl() override;

    // The form whose child the control's window is; null once that window is gone.
    Form* Parent() const noexcept { return parent_; }

    // Position and size in the parent's client coordinates.
    void SetBounds(int left, int top, int width, int height);
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
    void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
    void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

    std::wstring Text() const;
    void SetText(const std::wstring& text);

    const Font& GetFont() const noexcept { return font_; }
    // Copies the font's face, size, style and colour (the text colour).
    void SetFont(const Font& font);
    // Background colour.
    Color GetColor() const noexcept { return color_; }
    void SetColor(Color color);

    // The DPI the control is laid out for (its parent form's).
    int Dpi() const noexcept { return font_.Dpi(); }
    // A length in pixels at 96 DPI, at the control's DPI.
    int Scale(int px96) const noexcept { return ScaleForDpi(px96, Dpi()); }
    // The parent form moved to a monitor of another DPI: the font and the control's size follow (where
    // the control goes is the form's business).
    void SetDpi(int dpi);

    // The control's own visibility (a hidden parent does not change it).
    bool Visible() const noexcept;
    void SetVisible(bool visible);
    bool Enabled() const noexcept;
    void SetEnabled(bool enabled);
    void SetFocus();
    bool Focused() const noexcept;

protected:
    // Makes the window of a system class as a child of `parent` and binds it. Throws fw::Exception when
    // the window cannot be made.
    ChildControl(Component* owner, Form& parent, const wchar_t* systemClass, DWORD style, DWORD exStyle,
                 Color color);

    // WM_COMMAND notification codes sent about this control; true when handled.
    virtual bool Command(WORD notifyCode);
    bool Notification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void WillFreeLater() noexcept override;
    void WindowDestroyed() noexcept override;
    // Changes window style bits and lets the frame follow.
    void ChangeStyle(bool extended, DWORD remove, DWORD add);

private:
    void ApplyFont();
    Form* parent_;
    Font font_;
    Color color_;
    mutable unique_hbrush brush_;
    COLORREF brushShown_ = 0;  // the colour brush_ paints with
};

}  // namespace fw
