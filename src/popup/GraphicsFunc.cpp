#include "popup/GraphicsFunc.h"

#include "framework/Exception.h"
#include "framework/GdiScope.h"

#include <cstdint>
#include <limits>

namespace GraphicsFunc {

namespace {

constexpr int kMaxBitsWithColorTable = 15;

// 64 bits, so that INT_MIN has a magnitude too.
std::uint64_t Magnitude(int value) noexcept {
    const std::int64_t v = value;
    return static_cast<std::uint64_t>(v < 0 ? -v : v);
}

// Bytes in one row of a DIB: rows are padded to whole DWORDs.
std::uint64_t RowBytes(int bitCount, int width) noexcept {
    return (static_cast<std::uint64_t>(bitCount) * Magnitude(width) + 31) / 32 * 4;
}

BYTE Scale(BYTE value, int percent) noexcept {
    if (percent <= 0) return 0;
    // 64 bits, so that huge percentages saturate instead of overflowing.
    const std::int64_t scaled = static_cast<std::int64_t>(value) * percent / 100;
    return scaled > 255 ? BYTE{255} : static_cast<BYTE>(scaled);
}

void ScaleRect(HDC dc, const RECT& rect, int width, int height, int redPercent, int greenPercent,
               int bluePercent) {
    BitmapHeader header = MakeBitmapHeader(width, height, 24);
    GdiBitmap bitmap(::CreateDIBitmap(dc, &header.Header(), 0, nullptr, nullptr, DIB_RGB_COLORS));
    if (!bitmap) throw fw::Exception(L"Couldn't Create DIBitmap");
    MemoryDc memoryDc(::CreateCompatibleDC(nullptr));
    if (!memoryDc) throw fw::Exception(L"CreateCompatibleDC");
    {
        // GetDIBits wants the bitmap out of every DC, so the selection ends with the copy.
        fw::ScopedSelect selection(memoryDc.get(), bitmap.get());
        if (!selection.Selected() ||
            !::BitBlt(memoryDc.get(), 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY)) {
            throw fw::Exception(L"Cannot copy bitmap");
        }
    }

    ByteBuffer pixels(header.Header().biSizeImage);
    if (::GetDIBits(memoryDc.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.Data(), header.Info(),
                    DIB_RGB_COLORS) == 0) {
        throw fw::Exception(L"Failed at GetDIBits");
    }

    const std::size_t stride = static_cast<std::size_t>(RowBytes(24, width));
    for (int row = 0; row < height; ++row) {
        BYTE* p = pixels.Data() + stride * static_cast<std::size_t>(row);
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = Scale(p[0], bluePercent);
            p[1] = Scale(p[1], greenPercent);
            p[2] = Scale(p[2], redPercent);
        }
    }

    ::SetDIBitsToDevice(dc, rect.left, rect.top, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0,
                        0, static_cast<UINT>(height), pixels.Data(), header.Info(), DIB_RGB_COLORS);
}

}  // namespace

ByteBuffer::ByteBuffer(std::size_t size) : data_(new BYTE[size == 0 ? 1 : size]()), size_(size) {}

int HeaderBitCount(int requested) noexcept {
    if (requested == 1) return 1;
    if (requested <= 4) return 4;
    if (requested <= 8) return 8;
    if (requested <= 16) return 16;
    if (requested > 24) return 32;
    return 24;
}

BitmapHeader MakeBitmapHeader(int width, int height, int requestedBitCount) {
    const int bitCount = HeaderBitCount(requestedBitCount);
    const DWORD colors = bitCount <= kMaxBitsWithColorTable ? (DWORD{1} << bitCount) : 0;
    const std::uint64_t imageSize = RowBytes(bitCount, width) * Magnitude(height);
    if (imageSize > std::numeric_limits<DWORD>::max())
        throw fw::Exception(L"Bitmap too large", E_OUTOFMEMORY);

    BitmapHeader header(sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD));
    BITMAPINFOHEADER& h = header.Header();
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(imageSize);
    h.biClrUsed = colors;
    return header;
}

void ChangeBrightness(HDC dc, const RECT& rect, int redPercent, int greenPercent, int bluePercent) {
    // 64 bits: the difference of two far-apart coordinates does not fit in an int.
    const std::int64_t width = std::int64_t{rect.right} - rect.left;
    const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
    if (width <= 0 || height <= 0) return;
    try {
        if (width > std::numeric_limits<int>::max() || height > std::numeric_limits<int>::max()) {
            throw fw::Exception(L"Bitmap too large", E_OUTOFMEMORY);
        }
        ScaleRect(dc, rect, static_cast<int>(width), static_cast<int>(height), redPercent, greenPercent,
                  bluePercent);
    } catch (const fw::Exception& e) {
        throw fw::Exception(e.Message() + L" in GraphicsFunc::ChangeBrightness", e.Code());
    }
}

}  // namespace GraphicsFunc
