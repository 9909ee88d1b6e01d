// Windowless controls: a rectangle on its parent form that paints on the form's canvas and receives
// the form's mouse input for its area. The form routes press, move and release to the control under
// the cursor (or to the control that holds the mouse while a button is down), and tells a control
// when the mouse enters and leaves it.
//
// The control's canvas draws in control coordinates. During the form's painting it is the form's
// (buffered) paint context; at other times the first drawing fetches the form's window context,
// which is given back when the current message has been handled (or on ReleaseCanvas).
//
// A control freed while one of its handlers runs leaves its form at once (no painting, no input) and
// goes when the handler returns.
#pragma once

#include "framework/Component.h"
#include "framework/Dpi.h"
#include "framework/Graphics.h"
#include "framework/ShiftState.h"

#include <windows.h>

#include <functional>

namespace fw {

class Form;

enum class MouseButton { Left, Right, Middle };

class GraphicControl : public Component {
public:
    explicit GraphicControl(Component* owner);
    ~GraphicControl() override;

    Form* Parent() const noexcept { return parent_; }
    void SetParent(Form* parent);

    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    int ClientWidth() const noexcept { return width_; }
    int ClientHeight() const noexcept { return height_; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetClientWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetClientHeight(int v) { SetBounds(left_, top_, width_, v); }
    RECT BoundsRect() const noexcept { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);

    // The colour the control paints its background with: the parent form's colour.
    Color GetColor() const noexcept;
    // The DPI the control is laid out for: its parent form's, 96 without one.
    int Dpi() const noexcept;
    // A length in pixels at 96 DPI, at the control's DPI.
    int Scale(int px96) const noexcept { return ScaleForDpi(px96, Dpi()); }
    Canvas& GetCanvas() noexcept { return canvas_; }
    void ReleaseCanvas() noexcept;

    // Repaints (part of) the control later, through the form's painting.
    void Invalidate();
    void InvalidateRect(const RECT& controlRect);
    POINT ClientToScreen(POINT controlPoint) const noexcept;

    std::function<void(GraphicControl& sender)> OnClick;

    // Called by the parent form.
    virtual void Paint(const RECT& clip);
    virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
    virtual void MouseMove(ShiftState shift, int x, int y);
    virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
    virtual void Click();
    virtual void CMMouseEnter() {}
    virtual void CMMouseLeave() {}

protected:
    void WillFreeLater() noexcept override;

private:
    friend class ControlHost;  // moves controls when the form scrolls
    class ControlCanvas : public Canvas {
    public:
        explicit ControlCanvas(GraphicControl& control) : control_(control) {}
        ~ControlCanvas() override { ReleaseDc(); }
        // Gives the window context back (the canvas fetches it again when it next draws).
        void ReleaseDc() noexcept;
        // The control's size changed: drawing stays inside its new rectangle.
        void Reclip() noexcept;

    protected:
        void CreateHandle() override;

    private:
        GraphicControl& control_;
        HWND window_ = nullptr;
        HDC windowDc_ = nullptr;
    };

    Form* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    ControlCanvas canvas_{*this};
};

}  // namespace fw
