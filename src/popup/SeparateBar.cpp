#include "popup/SeparateBar.h"

void TSeparateBar::SetBaseHeight(int px96) {
    baseHeight_ = px96;
    Measure();
}

void TSeparateBar::Measure() {
    if (baseHeight_ > 0) SetHeight(Scale(baseHeight_));
}

void TSeparateBar::Paint() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas) return;
    const RECT r = BoundsRect();
    DrawButtonFace(*canvas, r);
    const int y = Top() + Height() / 2;
    canvas->GetPen().SetColor(fw::clBtnShadow);
    canvas->MoveTo(Left(), y);
    canvas->LineTo(Left() + Width(), y);
    canvas->GetPen().SetColor(fw::clBtnHighlight);
    canvas->MoveTo(Left(), y + 1);
    canvas->LineTo(Left() + Width(), y + 1);
}
