// Scope guards for the paired GDI calls: whatever way a block is left (a return, an exception thrown by
// a control's paint), the device context gets back what it had.
//
// - ScopedSelect: SelectObject ... SelectObject(previous). GDI refuses to delete an object that is still
//   selected, so the guard must end before the object's owner does.
// - ScopedSaveDc: SaveDC ... RestoreDC (clip region, viewport origin, selected objects, colours).
// - PaintScope: BeginPaint ... EndPaint for one WM_PAINT.
#pragma once

#include <windows.h>

namespace fw {

class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(dc ? ::SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect() {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    bool Selected() const noexcept { return previous_ != nullptr && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

class ScopedSaveDc {
public:
    explicit ScopedSaveDc(HDC dc) noexcept : dc_(dc), saved_(dc ? ::SaveDC(dc) : 0) {}
    ~ScopedSaveDc() {
        if (saved_) ::RestoreDC(dc_, saved_);
    }
    ScopedSaveDc(const ScopedSaveDc&) = delete;
    ScopedSaveDc& operator=(const ScopedSaveDc&) = delete;

private:
    HDC dc_;
    int saved_;
};

class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
    ~PaintScope() {
        if (dc_) ::EndPaint(hwnd_, &ps_);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const noexcept { return dc_; }
    const RECT& Area() const noexcept { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

}  // namespace fw
