// Shared helpers for the tests of menu entries and their container: menu windows placed and shown on
// the display, entries added the way the program adds them, screen points of entry coordinates, and
// pixels read back from the screen.
#pragma once

#include "popup/PopupBase.h"
#include "popup/PopupButton.h"
#include "support/Input.h"
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

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "RGB(" << c.r << "," << c.g << "," << c.b << ")";
}

inline Rgb ToRgb(COLORREF c) {
    return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
}
inline Rgb SysRgb(int index) {
    return ToRgb(::GetSysColor(index));
}
// Text ink: dark on a light background (black on the button face, dark red on a red picture) ...
inline bool IsDark(Rgb c) {
    return c.r + c.g + c.b < 450 && !(c.r == 255 && c.g == 0 && c.b == 0);
}
// ... and light on navy. Glyphs are smoothed, so only part of the ink has the exact text colour.
inline bool IsWhitish(Rgb c) {
    return c.r >= 180 && c.g >= 180;
}

// A copy of what the screen shows inside a rectangle (screen coordinates), read once through the
// screen device context.
class ScreenGrab {
public:
    explicit ScreenGrab(const RECT& screen) : rect_(screen) {
        const int w = rect_.right - rect_.left;
        const int h = rect_.bottom - rect_.top;
        if (w <= 0 || h <= 0) return;
        HDC screenDc = ::GetDC(nullptr);
        HDC memory = ::CreateCompatibleDC(screenDc);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = ::CreateDIBSection(screenDc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap && bits) {
            HGDIOBJ old = ::SelectObject(memory, bitmap);
            ::BitBlt(memory, 0, 0, w, h, screenDc, rect_.left, rect_.top, SRCCOPY);
            ::GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            pixels_.assign(p, p + static_cast<size_t>(w) * static_cast<size_t>(h));
            ::SelectObject(memory, old);
        }
        if (bitmap) ::DeleteObject(bitmap);
        ::DeleteDC(memory);
        ::ReleaseDC(nullptr, screenDc);
    }

    bool Ok() const { return !pixels_.empty(); }
    // The colour at a screen point inside the grabbed rectangle.
    Rgb At(POINT screen) const {
        const int w = rect_.right - rect_.left;
        const uint32_t v = pixels_[static_cast<size_t>((screen.y - rect_.top) * w + (screen.x - rect_.left))];
        return Rgb{static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                   static_cast<int>(v & 0xFF)};
    }
    // How many pixels of a screen rectangle (clipped to the grab) satisfy `test`.
    template <class Test>
    int Count(const RECT& screen, Test test) const {
        int n = 0;
        for (LONG y = std::max(screen.top, rect_.top); y < std::min(screen.bottom, rect_.bottom); ++y) {
            for (LONG x = std::max(screen.left, rect_.left); x < std::min(screen.right, rect_.right); ++x) {
                if (test(At(POINT{x, y}))) ++n;
            }
        }
        return n;
    }
    int Count(const RECT& screen, Rgb colour) const {
        return Count(screen, [colour](Rgb c) { return c == colour; });
    }

private:
    RECT rect_;
    std::vector<uint32_t> pixels_;
};

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
inline RECT ClientOnScreen(const TPopupMenuBase* w) {
    RECT r{};
    ::GetClientRect(w->Handle(), &r);
    ::MapWindowPoints(w->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Gives an entry its caption and hover delay, then adds it (the container measures it while adding).
template <class T>
T* AddCaptioned(TPopupButtonManager& m, T* entry, const std::wstring& caption, int hoverDelay = 5000) {
    entry->SetHoverDelay(hoverDelay);
    entry->SetCaption(caption);
    m.AddEntry(entry);
    return entry;
}

inline std::wstring Repeat(const std::wstring& text, int times) {
    std::wstring s;
    for (int i = 0; i < times; ++i) s += text;
    return s;
}

// Text size in a font, measured on a screen context independently of the entries.
inline SIZE MeasureText(const fw::Font& font, const std::wstring& text) {
    SIZE size{};
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font.Handle());
    if (text.empty()) {
        ::GetTextExtentPoint32W(dc, L" ", 1, &size);
        size.cx = 0;
    } else {
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return size;
}

inline bool ButtonDown(int vk) {
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

// Base of the window tests: a menu manager that owns every window the test makes, the cursor parked
// away from the windows, and no mouse button left down when a test stops half-way.
class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        qbtest::MoveMouseTo(kNeutral);
        menus = std::make_unique<TPopupMenuManager>(nullptr);
    }
    void TearDown() override {
        if (ButtonDown(VK_LBUTTON)) qbtest::ReleaseLeft();
        if (ButtonDown(VK_RBUTTON)) qbtest::ReleaseRight();
        qbtest::MoveMouseTo(kNeutral);
        menus.reset();
        qbtest::PumpFor(std::chrono::milliseconds(30));
    }

    // A hidden, empty adopting window, as the program makes its menus.
    TPopupMenuBase* NewWindow() { return new TPopupMenuBase(menus.get(), menus.get()); }

    // Finishes the layout, places the window's top-left corner and shows it in front, painted.
    static void ShowAt(TPopupMenuBase* w, int left, int top) {
        w->ButtonManager->FinishLayout();
        w->SetLeft(left);
        w->SetTop(top);
        w->Show();
        ::UpdateWindow(w->Handle());
        ASSERT_TRUE(qbtest::WaitUntil([w] { return w->Visible(); }));
        qbtest::PumpFor(std::chrono::milliseconds(50));
    }

    std::unique_ptr<TPopupMenuManager> menus;
};

}  // namespace popuptest
