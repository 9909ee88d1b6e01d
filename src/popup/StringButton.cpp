#include "popup/StringButton.h"

void TStringButton::Measure() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas) {
        SetWidth(0);
        SetHeight(0);
        return;
    }
    canvas->GetFont().Assign(font_);
    const SIZE size = canvas->TextExtent(caption_);
    SetWidth(size.cx);
    SetHeight(size.cy);
}

void TStringButton::SetCaption(const std::wstring& text) {
    caption_ = text;
    CaptionChanged();
    Measure();
}

void TLabel::Paint() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas) return;
    const RECT r = BoundsRect();
    if (DrawButtonFace(*canvas, r)) {
        canvas->GetBrush().SetStyle(fw::BrushStyle::Clear);
    } else {
        canvas->GetBrush().SetColor(fw::clBtnFace);
    }
    canvas->GetFont().Assign(GetFont());
    canvas->TextRect(r, r.left, r.top, Caption());
    canvas->GetBrush().SetColor(ContainerColor());
}
