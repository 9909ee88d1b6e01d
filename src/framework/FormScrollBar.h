// One of a form's two scroll bars. The bar shows when it is visible and its range (the height or width of
// the content) exceeds the client area; scrolling moves the form's controls, windowless and child alike.
#pragma once

#include <windows.h>

namespace fw {

class Form;

class FormScrollBar {
public:
    FormScrollBar(Form& form, int bar) : form_(form), bar_(bar) {}
    FormScrollBar(const FormScrollBar&) = delete;
    FormScrollBar& operator=(const FormScrollBar&) = delete;

    int Range() const noexcept { return range_; }
    void SetRange(int range);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    bool Tracking() const noexcept { return tracking_; }
    void SetTracking(bool tracking) noexcept { tracking_ = tracking; }
    int Position() const noexcept { return position_; }
    void SetPosition(int position);
    // Pixels per click on an arrow, at 96 DPI (scrolling scales them by the form's DPI).
    int Increment() const noexcept { return increment_; }
    void SetIncrement(int pixels) noexcept { increment_ = pixels > 0 ? pixels : 1; }
    // Pixels per notch of the mouse wheel at 96 DPI (the owner knows what a line of its content is).
    int WheelStep() const noexcept { return wheelStep_; }
    void SetWheelStep(int pixels) noexcept { wheelStep_ = pixels > 0 ? pixels : 1; }
    // Whether the bar is on the screen right now.
    bool IsShowing() const noexcept { return showing_; }

    void Update();                              // after a change of range, size or visibility
    void Scroll(WORD code, int trackPosition);  // WM_VSCROLL / WM_HSCROLL
    void Wheel(int delta);                      // WM_MOUSEWHEEL, in WHEEL_DELTA units

private:
    int ClientExtent() const;
    Form& form_;
    int bar_;
    int range_ = 0;
    int position_ = 0;
    int increment_ = 8;
    int wheelStep_ = 24;
    bool visible_ = true;
    bool tracking_ = false;
    bool showing_ = false;
    bool updating_ = false;
};

}  // namespace fw
