// Helpers for the tests of menu windows and entries and their container: menu windows placed and shown on
// the display, entries added the way the program adds them, screen points of entry coordinates, and
// pixels read back from the screen.
#pragma once

#include "popup/PopupBase.h"
#include "popup/PopupButton.h"
#include "support/Input.h"
#include "support/ScreenGrab.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace popuptest {

// Where the cursor rests between steps: over no window of ours.
inline constexpr POINT kNeutral{5, 5};

using qbtest::Rgb;
using qbtest::ScreenGrab;
using qbtest::SysRgb;
using qbtest::ToRgb;

// Text ink: dark on a light background (black on the button face, dark red on a red picture) ...
inline bool IsDark(Rgb c) {
    return c.r + c.g + c.b < 450 && !(c.r == 255 && c.g == 0 && c.b == 0);
}
// ... and light on navy. Glyphs are smoothed, so only part of the ink has the exact text colour.
inline bool IsWhitish(Rgb c) {
    return c.r >= 180 && c.g >= 180;
}

inline int Area(const RECT& r) {
    return (r.right - r.left) * (r.bottom - r.top);
}

// Screen point of a point in container coordinates.
inline POINT ScreenOf(const TPopupButtonManager& m, int x, int y) {
    return m.ClientToScreen(POINT{x, y});
}
// Screen point of a point given relative to an entry's top-left corner.
inline POINT OnEntry(const TPopupButtonBase* e, int dx, int dy) {
    return e->Container()->ClientToScreen(POINT{e->Left() + dx, e->Top() + dy});
}
inline POINT EntryCenter(const TPopupButtonBase* e) {
    return OnEntry(e, e->Width() / 2, e->Height() / 2);
}
// An entry's rectangle on the screen, optionally shrunk on each side.
inline RECT ScreenRect(const TPopupButtonBase* e, int inset = 0) {
    const POINT tl = OnEntry(e, inset, inset);
    const POINT br = OnEntry(e, e->Width() - inset, e->Height() - inset);
    return RECT{tl.x, tl.y, br.x, br.y};
}
// The client area of a window on the screen.
RECT ClientOnScreen(const TPopupMenuBase* w);

// Gives an entry its caption and hover delay, then adds it (the container measures it while adding).
template <class T>
T* AddCaptioned(TPopupButtonManager& m, T* entry, const std::wstring& caption, int hoverDelay = 5000) {
    entry->SetHoverDelay(hoverDelay);
    entry->SetCaption(caption);
    m.AddEntry(entry);
    return entry;
}

std::wstring Repeat(const std::wstring& text, int times);

// Text size in a font, measured on a screen context independently of the entries.
SIZE MeasureText(const fw::Font& font, const std::wstring& text);

// A key pressed and released (a modifier held meanwhile when given), handled by the focused window.
void Press(WORD vk, WORD modifier = 0);

// The caption of a window's highlighted entry, or "(none)".
std::wstring HotCaption(const TPopupMenuBase* w);

inline bool ButtonDown(int vk) {
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

// Base of the window tests: a menu manager that owns every window the test makes, the cursor parked
// away from the windows, and no mouse button left down when a test stops half-way.
class MenuTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A hidden, empty adopting window, as the program makes its menus.
    TPopupMenuBase* NewWindow() { return new TPopupMenuBase(menus.get(), menus.get()); }

    // Finishes the layout, places the window's top-left corner and shows it in front, painted.
    static void ShowAt(TPopupMenuBase* w, int left, int top);

    std::unique_ptr<TPopupMenuManager> menus;
};

}  // namespace popuptest
