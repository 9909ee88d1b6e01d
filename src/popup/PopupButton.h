// A caption button that highlights (navy, white text) while the mouse is on it and can show a submenu
// triangle on its left (side 0) or right (side 1) edge; side 2 shows none. Moving into the triangle area
// (14 pixels at 96 DPI) opens the submenu once (OpenFromTriangle), again only after the cursor has left it.
// Resting on the button for the hover delay closes a submenu opened from a sibling.
#pragma once

#include "popup/StringButton.h"

class TPopupButton : public virtual TStringButton {
public:
    static constexpr int kTriangleArea = 14;
    static constexpr int kTriangleSize = 8;

    void Paint() override;
    void SetTriangleSide(unsigned char side) override { TriangleSide = side; }
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(fw::ShiftState shift, int x, int y) override;
    virtual void OpenFromTriangle() {}
    void Hover() override;
    bool Actionable() const override { return true; }
    void SetHighlight(bool on) override;

    bool Hot = false;
    fw::Color HotColor = fw::clNavy;
    unsigned char TriangleSide = 2;

protected:
    void PaintTriangle();
    // The menu window that holds this entry's container, if any.
    class TPopupMenuBase* MenuWindow() const;
    // A point given relative to the entry, in the client coordinates of the menu window (where controls
    // laid over the entry live); the window must exist.
    POINT WindowPoint(int x, int y) const;
};
