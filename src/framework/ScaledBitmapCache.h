// Stretched copies of one picture, one per destination size. A picture drawn stretched behind many
// rectangles of a few sizes (the entries of a menu) then costs one stretch per size and a plain copy per
// rectangle, instead of a stretch of the whole picture per rectangle.
//
// The copies are made with StretchWhole, the same stretch a direct draw uses, into 32-bit DIB sections
// that hold every colour a picture can have, so a copy blitted to a device gives the pixels a direct
// stretch to it would. The cache owns its copies; the least recently used goes when there are too many or
// they take too much memory, and the owner clears the cache whenever its picture changes.
#pragma once

#include "framework/UniqueAny.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fw {

// Stretches the whole of `picture` (pictureWidth x pictureHeight) onto `rect` of `target`, COLORONCOLOR;
// false when GDI refused.
bool StretchWhole(HDC target, const RECT& rect, HBITMAP picture, int pictureWidth, int pictureHeight);

class ScaledBitmapCache {
public:
    // `picture` stretched to width x height, made on first use. Null when that size is not kept (empty or
    // too large) or GDI refuses; the caller then stretches directly. Borrowed: a later Get may free it.
    HBITMAP Get(HBITMAP picture, int pictureWidth, int pictureHeight, int width, int height);
    void Clear() noexcept { entries_.clear(); }
    std::size_t Count() const noexcept { return entries_.size(); }

private:
    struct Entry {
        int width;
        int height;
        unique_hbitmap bitmap;
        std::uint64_t lastUse;
    };
    void MakeRoomFor(std::uint64_t pixels);

    std::vector<Entry> entries_;
    std::uint64_t clock_ = 0;
};

}  // namespace fw
