#include "popup/SeparateBar.h"

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
