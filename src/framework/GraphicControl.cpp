#include "framework/GraphicControl.h"

#include "framework/Form.h"

namespace fw {

GraphicControl::GraphicControl(Component* owner) : Component(owner) {}

GraphicControl::~GraphicControl() {
    canvas_.ReleaseDc();
    SetParent(nullptr);
}

void GraphicControl::SetParent(Form* parent) {
    if (parent == parent_) return;
    canvas_.ReleaseDc();
    if (parent_) {
        parent_->Controls().Remove(this);
        parent_ = nullptr;
    }
    if (parent) {
        parent_ = parent;
        parent_->Controls().Insert(this);
    }
}

void GraphicControl::WillFreeLater() noexcept {
    Component::WillFreeLater();
    if (parent_) {
        parent_->Invalidate(nullptr);
        SetParent(nullptr);
    }
}

void GraphicControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    // A hidden form paints all of itself when it shows: filling one (thousands of entries, each growing
    // the container) asks the window system for nothing.
    if (parent_ && visible_ && parent_->Visible()) parent_->Invalidate(nullptr);
    const bool moved = left != left_ || top != top_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (moved) {
        canvas_.ReleaseDc();  // its origin moved
    } else {
        canvas_.Reclip();
    }
}

void GraphicControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (parent_) parent_->Invalidate(nullptr);
}

Color GraphicControl::GetColor() const noexcept {
    return parent_ ? parent_->GetColor() : clBtnFace;
}

int GraphicControl::Dpi() const noexcept {
    return parent_ ? parent_->Dpi() : kBaseDpi;
}

void GraphicControl::ReleaseCanvas() noexcept {
    canvas_.ReleaseDc();
}

void GraphicControl::Invalidate() {
    InvalidateRect(RECT{0, 0, width_, height_});
}

void GraphicControl::InvalidateRect(const RECT& r) {
    if (!parent_ || !visible_) return;
    RECT onForm{r.left + left_, r.top + top_, r.right + left_, r.bottom + top_};
    parent_->Invalidate(&onForm);
}

POINT GraphicControl::ClientToScreen(POINT p) const noexcept {
    POINT screen{p.x + left_, p.y + top_};
    if (parent_ && parent_->Handle()) ::ClientToScreen(parent_->Handle(), &screen);
    return screen;
}

void GraphicControl::Paint(const RECT&) {}
void GraphicControl::MouseDown(MouseButton, ShiftState, int, int) {}
void GraphicControl::MouseMove(ShiftState, int, int) {}
void GraphicControl::MouseUp(MouseButton, ShiftState, int, int) {}
void GraphicControl::Click() {
    if (OnClick) OnClick(*this);
}

void GraphicControl::ControlCanvas::CreateHandle() {
    Form* parent = control_.parent_;
    if (!parent || !parent->Handle()) return;
    window_ = parent->Handle();
    windowDc_ = ::GetDC(window_);
    if (!windowDc_) return;
    // Drawing outside the paint cycle stays inside the control and uses its coordinates.
    ::SetViewportOrgEx(windowDc_, control_.left_, control_.top_, nullptr);
    ::IntersectClipRect(windowDc_, 0, 0, control_.width_, control_.height_);
    SetDpi(parent->Dpi());
    SetColorMap(parent->GetColorMap());
    SetHandle(windowDc_);
    parent->Controls().NoteCanvasInUse(&control_);
}

void GraphicControl::ControlCanvas::Reclip() noexcept {
    if (!windowDc_) return;
    ::SelectClipRgn(windowDc_, nullptr);
    ::IntersectClipRect(windowDc_, 0, 0, control_.width_, control_.height_);
}

void GraphicControl::ControlCanvas::ReleaseDc() noexcept {
    if (!windowDc_) return;
    SetHandle(nullptr);
    ::ReleaseDC(window_, windowDc_);
    windowDc_ = nullptr;
    window_ = nullptr;
}

}  // namespace fw
