#include "framework/ControlHost.h"

#include "framework/Form.h"
#include "framework/GdiScope.h"
#include "framework/GraphicControl.h"
#include "framework/Lifetime.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>

namespace fw {

namespace {

MouseButton ButtonOf(UINT msg) noexcept {
    switch (msg) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_RBUTTONUP:
            return MouseButton::Right;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_MBUTTONUP:
            return MouseButton::Middle;
        default:
            return MouseButton::Left;
    }
}

// The control's canvas draws on a borrowed context for the length of one paint, whatever happens.
class CanvasOnDc {
public:
    CanvasOnDc(Canvas& canvas, HDC dc) noexcept : canvas_(canvas) { canvas_.SetHandle(dc); }
    ~CanvasOnDc() { canvas_.SetHandle(nullptr); }
    CanvasOnDc(const CanvasOnDc&) = delete;
    CanvasOnDc& operator=(const CanvasOnDc&) = delete;

private:
    Canvas& canvas_;
};

}  // namespace

void ControlHost::Insert(GraphicControl* control) {
    controls_.push_back(control);
    form_.Invalidate();
}

void ControlHost::Remove(GraphicControl* control) noexcept {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    canvasesInUse_.erase(std::remove(canvasesInUse_.begin(), canvasesInUse_.end(), control),
                         canvasesInUse_.end());
    if (captureControl_ == control) captureControl_ = nullptr;
    if (mouseControl_ == control) mouseControl_ = nullptr;
    form_.Invalidate();
}

void ControlHost::RemoveAll() noexcept {
    ReleaseCanvases();
    for (GraphicControl* c : std::vector<GraphicControl*>(controls_)) c->SetParent(nullptr);
}

void ControlHost::NoteCanvasInUse(GraphicControl* control) {
    if (std::find(canvasesInUse_.begin(), canvasesInUse_.end(), control) == canvasesInUse_.end()) {
        canvasesInUse_.push_back(control);
    }
}

void ControlHost::ReleaseCanvases() noexcept {
    while (!canvasesInUse_.empty()) {
        GraphicControl* c = canvasesInUse_.back();
        canvasesInUse_.pop_back();
        c->ReleaseCanvas();
    }
}

GraphicControl* ControlHost::ControlAt(POINT p) const noexcept {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        GraphicControl* c = *it;
        if (c->Visible() && p.x >= c->Left() && p.x < c->Left() + c->Width() && p.y >= c->Top() &&
            p.y < c->Top() + c->Height()) {
            return c;
        }
    }
    return nullptr;
}

void ControlHost::Paint(HDC dc, const RECT& area) {
    ReleaseCanvases();
    std::exception_ptr failure;
    for (GraphicControl* c : std::vector<GraphicControl*>(controls_)) {
        if (!c->Visible()) continue;
        const RECT bounds = c->BoundsRect();
        RECT clip;
        if (!::IntersectRect(&clip, &bounds, &area)) continue;
        ScopedSaveDc saved(dc);
        // The control draws in its own coordinates, clipped to what is to be painted.
        ::OffsetViewportOrgEx(dc, c->Left(), c->Top(), nullptr);
        ::OffsetRect(&clip, -c->Left(), -c->Top());
        ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
        c->GetCanvas().SetDpi(form_.Dpi());
        c->GetCanvas().SetColorMap(form_.GetColorMap());
        CanvasOnDc canvas(c->GetCanvas(), dc);
        try {
            c->Paint(clip);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

void ControlHost::MoveAll(int dx, int dy) {
    ReleaseCanvases();
    for (GraphicControl* c : controls_) {
        c->left_ += dx;
        c->top_ += dy;
        c->ReleaseCanvas();
    }
}

void ControlHost::SetMouseControl(GraphicControl* control) {
    if (control == mouseControl_) return;
    GraphicControl* old = mouseControl_;
    mouseControl_ = control;
    if (old) {
        HandlerScope scope(old);
        old->CMMouseLeave();
    }
    if (control && control == mouseControl_) {
        HandlerScope scope(control);
        control->CMMouseEnter();
    }
}

void ControlHost::MouseGone() {
    trackingLeave_ = false;
    if (!captureControl_) SetMouseControl(nullptr);
}

void ControlHost::MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = form_.Handle();
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const ShiftState shift = MouseShiftState(wParam);
    switch (msg) {
        case WM_MOUSEMOVE: {
            if (!trackingLeave_) {
                TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
                trackingLeave_ = ::TrackMouseEvent(&tme) != FALSE;
            }
            if (GraphicControl* held = captureControl_) {
                // The pressed control sees every move first, also the one that leaves the window.
                {
                    HandlerScope scope(held);
                    held->MouseMove(shift, p.x - held->Left(), p.y - held->Top());
                }
                SetMouseControl(ControlAt(p));
                return;
            }
            SetMouseControl(ControlAt(p));
            if (GraphicControl* target = mouseControl_) {
                HandlerScope scope(target);
                target->MouseMove(shift, p.x - target->Left(), p.y - target->Top());
            }
            return;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: {
            GraphicControl* target = ControlAt(p);
            if (!target) return;
            captureControl_ = target;
            ::SetCapture(hwnd);
            ShiftState s = shift;
            if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK) s |= ssDouble;
            HandlerScope scope(target);
            target->MouseDown(ButtonOf(msg), s, p.x - target->Left(), p.y - target->Top());
            return;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            GraphicControl* pressed = captureControl_;
            GraphicControl* target = pressed ? pressed : ControlAt(p);
            const bool buttonsDown = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
            if (!buttonsDown) {
                captureControl_ = nullptr;
                if (::GetCapture() == hwnd) ::ReleaseCapture();
            }
            if (!target) return;
            {
                HandlerScope scope(target);
                target->MouseUp(ButtonOf(msg), shift, p.x - target->Left(), p.y - target->Top());
                if (target->Marked()) return;
                if (msg == WM_LBUTTONUP && pressed == target && ControlAt(p) == target) target->Click();
                if (target->Marked()) return;
            }
            // A release outside the window ends the captured stay in it.
            RECT client;
            ::GetClientRect(hwnd, &client);
            if (!buttonsDown && !::PtInRect(&client, p)) SetMouseControl(nullptr);
            return;
        }
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            if (!captureControl_) SetMouseControl(nullptr);
            return;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd) captureControl_ = nullptr;
            return;
        default:
            return;
    }
}

}  // namespace fw
