#include "popup/StringButton.h"

void TStringButton::Measure() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas) {
        captionWidth_ = 0;
        SetWidth(0);
        SetHeight(0);
        return;
    }
    canvas->GetFont().Assign(font_);
    const SIZE size = canvas->TextExtent(caption_);
    captionWidth_ = size.cx;
    SetWidth(size.cx);
    SetHeight(size.cy);
}

void TStringButton::DrawCaption(fw::Canvas& canvas, const RECT& rect, int x, int y, int room) {
    if (room >= captionWidth_) {
        canvas.TextRect(rect, x, y, caption_);
    } else {
        canvas.TextRect(rect, x, y, canvas.FitText(caption_, room));
    }
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
    DrawCaption(*canvas, r, r.left, r.top, Width());
    canvas->GetBrush().SetColor(ContainerColor());
}
