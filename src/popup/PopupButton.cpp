#include "popup/PopupButton.h"

#include "popup/ColorScheme.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"

TPopupMenuBase* TPopupButton::MenuWindow() const {
    return Container() ? Container()->OwnerWindow() : nullptr;
}

POINT TPopupButton::WindowPoint(int x, int y) const {
    TPopupMenuBase* window = MenuWindow();
    // Entry coordinates are the container's; scrolling has moved the container, not the entries.
    const auto position = [](fw::FormScrollBar& bar) { return bar.IsShowing() ? bar.Position() : 0; };
    return POINT{x + Left() - position(window->HorzScrollBar()),
                 y + Top() - position(window->VertScrollBar())};
}

void TPopupButton::Paint() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas) return;
    canvas->GetFont().Assign(GetFont());
    const RECT r = BoundsRect();
    RECT t = r;
    if (TriangleSide == 0) OffsetRect(&t, Scale(kTriangleArea), 0);
    const bool hasFace = DrawButtonFace(*canvas, r);
    if (Hot) {
        const TColorScheme& scheme = TColorScheme::Menus();
        canvas->GetBrush().SetColor(scheme.HotBack(HotColor));
        canvas->GetPen().SetColor(scheme.HotBack(HotColor));
        canvas->FillRect(r);
        canvas->GetFont().SetColor(scheme.HotText(HotColor));
        DrawCaption(*canvas, t, t.left, t.top, Width());
    } else {
        canvas->GetPen().SetColor(ContainerColor());
        if (!hasFace) {
            canvas->GetBrush().SetColor(ContainerColor());
            canvas->FillRect(r);
        }
        canvas->GetBrush().SetStyle(fw::BrushStyle::Clear);
        DrawCaption(*canvas, t, t.left, t.top, Width());
        canvas->GetBrush().SetColor(ContainerColor());
    }
    PaintTriangle();
}

void TPopupButton::PaintTriangle() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas || TriangleSide == 2) return;
    const int s = Scale(kTriangleSize);
    const int b = (Height() - s) / 2;
    const int mid = Top() + b + s / 2;
    fw::Pen& pen = canvas->GetPen();
    if (TriangleSide == 0) {
        const RECT box{Left(), Top() + b, Left() + s, Top() + b + s};
        pen.SetColor(fw::clBtnHighlight);
        canvas->MoveTo(box.right, box.top);
        canvas->LineTo(box.left, mid);
        pen.SetColor(fw::clBtnShadow);
        canvas->MoveTo(box.right, box.bottom);
        canvas->LineTo(box.left, mid);
        canvas->MoveTo(box.right, box.bottom);
        canvas->LineTo(box.right, box.top);
    } else {
        const RECT box{Left() + Width() - s, Top() + b, Left() + Width(), Top() + b + s};
        pen.SetColor(fw::clBtnHighlight);
        canvas->MoveTo(box.left, box.top);
        canvas->LineTo(box.left, box.bottom);
        canvas->MoveTo(box.left, box.top);
        canvas->LineTo(box.right, mid);
        pen.SetColor(fw::clBtnShadow);
        canvas->LineTo(box.left, box.bottom);
    }
}

void TPopupButton::MouseEnter() {
    Hot = true;
    Paint();
    TPopupButtonBase::MouseEnter();
}

void TPopupButton::SetHighlight(bool on) {
    if (Hot == on) return;
    Hot = on;
    Paint();
}

void TPopupButton::MouseLeave() {
    Hot = false;
    // The entry's own left column and top row count as inside it for the hover but belong to no entry:
    // a hover still pending would open or close a submenu for an entry the mouse has left.
    StopHover();
    Paint();
    TriangleLatch = false;
}

void TPopupButton::MouseMove(fw::ShiftState shift, int x, int y) {
    TPopupButtonBase::MouseMove(shift, x, y);
    const int area = Scale(kTriangleArea);
    if (TriangleSide == 0) {
        if (!TriangleLatch && x <= area) {
            TriangleLatch = true;
            OpenFromTriangle();
        } else if (TriangleLatch && x > area) {
            TriangleLatch = false;
        }
    } else if (TriangleSide == 1) {
        if (!TriangleLatch && x >= Width() - area) {
            TriangleLatch = true;
            OpenFromTriangle();
        } else if (TriangleLatch && x < Width() - area) {
            TriangleLatch = false;
        }
    }
}

void TPopupButton::Hover() {
    TPopupButtonBase::Hover();
    if (TPopupMenuBase* window = MenuWindow()) window->CloseChild();
}
