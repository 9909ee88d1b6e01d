#include "popup/IconButton.h"

#include <algorithm>

void TIconButton::Measure() {
    TStringButton::Measure();
    if (!GetCanvas()) return;
    int width = Width() + kIconWidth + kGap;
    if (TriangleSide != 2) width += kTriangleArea;
    SetWidth(width);
    SetHeight(std::max(kIconHeight, Height()));
}

void TIconButton::Paint() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas) return;
    PrepareIcon();
    canvas->GetFont().Assign(GetFont());
    const int th = canvas->TextHeight(Caption());
    const int dy = (Height() - th) / 2;
    const RECT r = BoundsRect();
    RECT t;
    int iconX;
    if (TriangleSide != 0) {
        t = RECT{Left() + kIconWidth + kGap, Top() + dy, Left() + Width(), Top() + Height()};
        iconX = Left();
    } else {
        t = RECT{Left() + kIconWidth + kGap + kTriangleArea, Top() + dy, Left() + Width() + kTriangleArea,
                 Top() + Height()};
        iconX = Left() + kTriangleArea;
    }
    const bool hasFace = DrawButtonFace(*canvas, r);
    if (Hot) {
        canvas->GetBrush().SetColor(HotColor);
        canvas->GetPen().SetColor(HotColor);
        canvas->GetFont().SetColor(fw::clWhite);
        canvas->FillRect(r);
    } else {
        canvas->GetBrush().SetColor(ContainerColor());
        canvas->GetPen().SetColor(ContainerColor());
        if (hasFace) {
            canvas->GetBrush().SetStyle(fw::BrushStyle::Clear);
        } else {
            canvas->FillRect(r);
        }
    }
    if (ImageList) ImageList_Draw(ImageList, ImageIndex, canvas->Handle(), iconX, Top(), ILD_TRANSPARENT);
    canvas->TextRect(t, t.left, t.top, Caption());
    PaintTriangle();
}

HICON TIconButton::GetIcon() {
    PrepareIcon();
    if (!ImageList) return nullptr;
    return ImageList_GetIcon(ImageList, ImageIndex, ILD_TRANSPARENT);
}
