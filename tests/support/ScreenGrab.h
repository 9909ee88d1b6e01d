// Pixels on the virtual display: what the user sees, read back through the screen device context.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ostream>
#include <vector>

namespace qbtest {

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

// One pixel of the screen.
inline Rgb PixelAt(POINT screen) {
    HDC dc = ::GetDC(nullptr);
    const COLORREF c = ::GetPixel(dc, screen.x, screen.y);
    ::ReleaseDC(nullptr, dc);
    return ToRgb(c);
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

// Relative luminance and the contrast ratio of two colours, as the accessibility guidelines define them.
inline double Luminance(Rgb c) {
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}
inline double Contrast(Rgb a, Rgb b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Text on a background as the screen shows it inside a rectangle: the background (the most common
// colour) and the text's strongest ink (the pixel that differs most from it; smoothed glyphs have fully
// covered pixels too).
struct TextLook {
    Rgb back;
    Rgb ink;
    double Contrast() const { return qbtest::Contrast(ink, back); }
};
inline TextLook LookOf(const RECT& screen) {
    const ScreenGrab grab(screen);
    std::vector<std::pair<Rgb, int>> counts;
    for (LONG y = screen.top; y < screen.bottom; ++y) {
        for (LONG x = screen.left; x < screen.right; ++x) {
            const Rgb c = grab.At(POINT{x, y});
            auto it = std::find_if(counts.begin(), counts.end(), [c](const auto& p) { return p.first == c; });
            if (it == counts.end()) {
                counts.emplace_back(c, 1);
            } else {
                ++it->second;
            }
        }
    }
    TextLook look;
    int most = 0;
    for (const auto& [c, n] : counts) {
        if (n > most) most = n, look.back = c;
    }
    double strongest = 0;
    for (const auto& [c, n] : counts) {
        if (qbtest::Contrast(c, look.back) > strongest)
            strongest = qbtest::Contrast(c, look.back), look.ink = c;
    }
    return look;
}

}  // namespace qbtest
