// Bitmap helpers for the menu windows: building BITMAPINFO records and dimming or brightening a part of a
// device context (the look of disabled and highlighted entries).
#pragma once

#include "framework/UniqueAny.h"

#include <windows.h>

#include <cstddef>
#include <memory>

namespace GraphicsFunc {

// A zero-filled heap block with one owner.
class ByteBuffer {
public:
    explicit ByteBuffer(std::size_t size);
    BYTE* Data() noexcept { return data_.get(); }
    const BYTE* Data() const noexcept { return data_.get(); }
    std::size_t Size() const noexcept { return size_; }

private:
    std::unique_ptr<BYTE[]> data_;
    std::size_t size_;
};

// A memory DC, deleted with DeleteDC.
using MemoryDc = fw::unique_hdc;
// A bitmap (or other GDI object), deleted with DeleteObject.
using GdiBitmap = fw::unique_hbitmap;

// A BITMAPINFO record: the 40-byte header followed by its colour table (if any), in one block.
class BitmapHeader {
public:
    explicit BitmapHeader(std::size_t size) : buffer_(size) {}
    BITMAPINFO* Info() noexcept { return reinterpret_cast<BITMAPINFO*>(buffer_.Data()); }
    BITMAPINFOHEADER& Header() noexcept { return Info()->bmiHeader; }
    const BITMAPINFOHEADER& Header() const noexcept {
        return reinterpret_cast<const BITMAPINFO*>(buffer_.Data())->bmiHeader;
    }
    // Colour table entries (only valid when ColorCount() > 0).
    RGBQUAD* Colors() noexcept { return Info()->bmiColors; }
    std::size_t ColorCount() const noexcept { return (Size() - sizeof(BITMAPINFOHEADER)) / sizeof(RGBQUAD); }
    // Bytes allocated: the header plus the colour table.
    std::size_t Size() const noexcept { return buffer_.Size(); }

private:
    ByteBuffer buffer_;
};

// The bit count a header gets for a requested one: 1, 4, 8, 16, 24 or 32.
int HeaderBitCount(int requested) noexcept;
// A bottom-up BI_RGB header for a width x height bitmap. Bit counts up to 8 get a colour table of
// 2^bits zeroed entries (biClrUsed says how many); 16 bits and more have none.
BitmapHeader MakeBitmapHeader(int width, int height, int requestedBitCount);

// Scales each colour channel of the pixels inside `rect` (logical coordinates of `dc`) by a percentage;
// results above 255 saturate and negative percentages give 0. An empty rectangle changes nothing.
// Failures throw fw::Exception whose message ends in " in GraphicsFunc::ChangeBrightness".
void ChangeBrightness(HDC dc, const RECT& rect, int redPercent, int greenPercent, int bluePercent);
inline void ChangeBrightness(HDC dc, const RECT& rect, int percent) {
    ChangeBrightness(dc, rect, percent, percent, percent);
}

}  // namespace GraphicsFunc
