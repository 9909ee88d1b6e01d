#include "popup/IconButton.h"

#include "popup/ColorScheme.h"

#include <algorithm>

namespace {
constexpr int kNoteGap = 12;
}  // namespace

void TIconButton::Measure() {
    TStringButton::Measure();
    if (!GetCanvas()) return;
    const int icon = IconSize();
    int width = Width() + icon + Scale(kGap);
    if (TriangleSide != 2) width += Scale(kTriangleArea);
    if (!Note.empty()) width += Scale(kNoteGap) + GetCanvas()->TextWidth(Note);
    SetWidth(width);
    SetHeight(std::max(icon, Height()));
}

void TIconButton::Paint() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas) return;
    PrepareIcon();
    canvas->GetFont().Assign(GetFont());
    const int th = canvas->TextHeight(Caption());
    const int dy = (Height() - th) / 2;
    const RECT r = BoundsRect();
    const int icon = IconSize();
    const int textLeft = icon + Scale(kGap);
    const int triangle = Scale(kTriangleArea);
    RECT t;
    int iconX;
    if (TriangleSide != 0) {
        t = RECT{Left() + textLeft, Top() + dy, Left() + Width(), Top() + Height()};
        iconX = Left();
    } else {
        t = RECT{Left() + textLeft + triangle, Top() + dy, Left() + Width() + triangle, Top() + Height()};
        iconX = Left() + triangle;
    }
    const bool hasFace = DrawButtonFace(*canvas, r);
    if (Hot) {
        const TColorScheme& scheme = TColorScheme::Menus();
        canvas->GetBrush().SetColor(scheme.HotBack(HotColor));
        canvas->GetPen().SetColor(scheme.HotBack(HotColor));
        canvas->GetFont().SetColor(scheme.HotText(HotColor));
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
    if (ImageList) canvas->DrawImage(ImageListFor(icon), ImageIndex, iconX, Top(), icon);
    IconPainted(*canvas, RECT{iconX, Top(), iconX + icon, Top() + icon});
    // The caption's room is what Measure gave it beside the icon and the triangle.
    const int room = Width() - textLeft - (TriangleSide != 2 ? triangle : 0);
    if (Note.empty()) {
        DrawCaption(*canvas, t, t.left, t.top, room);
    } else {
        // The caption first, then the note in grey (on a hot row, in the hot text's colour).
        const int captionWidth = std::min(canvas->TextWidth(Caption()), room);
        DrawCaption(*canvas, t, t.left, t.top, captionWidth);
        if (!Hot) canvas->GetFont().SetColor(TItemColors::kHidden);
        canvas->GetBrush().SetStyle(fw::BrushStyle::Clear);
        const int noteLeft = t.left + captionWidth + Scale(kNoteGap);
        const RECT n{noteLeft, t.top, t.right, t.bottom};
        canvas->TextRect(n, n.left, n.top, canvas->FitText(Note, std::max<int>(t.right - noteLeft, 0)));
        canvas->GetFont().Assign(GetFont());
    }
    PaintTriangle();
}

HICON TIconButton::GetIcon() {
    PrepareIcon();
    if (!ImageList) return nullptr;
    return ImageList_GetIcon(ImageList, ImageIndex, ILD_TRANSPARENT);
}
