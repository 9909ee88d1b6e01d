#include "operations/CloudMark.h"

#include "framework/GdiScope.h"
#include "framework/UniqueAny.h"

namespace {

// The cloud on a grid of 10 x 7: two puffs over a rounded base.
struct Shape {
    bool round;  // an ellipse, else a rounded rectangle
    RECT cell;
};
constexpr Shape kShapes[] = {
    {false, {0, 3, 10, 7}},
    {true, {1, 1, 6, 6}},
    {true, {4, 0, 9, 6}},
};

void DrawShapes(HDC dc, const RECT& box, int unit16, int inset) {
    const int w = box.right - box.left;
    const int h = box.bottom - box.top;
    for (const Shape& s : kShapes) {
        const RECT r{box.left + s.cell.left * w / 10 + inset, box.top + s.cell.top * h / 7 + inset,
                     box.left + s.cell.right * w / 10 - inset, box.top + s.cell.bottom * h / 7 - inset};
        if (s.round) {
            ::Ellipse(dc, r.left, r.top, r.right, r.bottom);
        } else {
            ::RoundRect(dc, r.left, r.top, r.right, r.bottom, unit16 * 4, unit16 * 4);
        }
    }
}

}  // namespace

void DrawCloudMark(fw::Canvas& canvas, const RECT& icon) {
    HDC dc = canvas.Handle();
    if (!dc) return;
    const int side = icon.right - icon.left;
    const int unit = side >= 32 ? side / 16 : 1;  // one pixel at 16, more on larger icons
    const RECT box{icon.right - side * 10 / 16, icon.bottom - side * 7 / 16, icon.right, icon.bottom};
    const COLORREF outline = fw::ColorToRGB(kCloudMarkColor);
    const fw::unique_hbrush blue(::CreateSolidBrush(outline));
    const fw::unique_hbrush white(::CreateSolidBrush(RGB(255, 255, 255)));
    const fw::unique_hpen edge(::CreatePen(PS_SOLID, 1, outline));
    if (!blue || !white || !edge) return;
    // Restored before the objects above are deleted: GDI deletes nothing that is still selected.
    const fw::ScopedSaveDc saved(dc);
    // The union of the shapes in the outline's colour, then each shape one unit smaller in white: the
    // outline is left where the cloud's edge is, and none where the shapes meet.
    ::SelectObject(dc, edge.get());
    ::SelectObject(dc, blue.get());
    DrawShapes(dc, box, unit, 0);
    ::SelectObject(dc, ::GetStockObject(NULL_PEN));
    ::SelectObject(dc, white.get());
    DrawShapes(dc, box, unit, unit);
}
