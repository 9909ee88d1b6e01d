// Writing .bmp files byte by byte for the bitmap tests, so that a test can make any header (also a broken
// one), and reading back what a canvas drew into a DIB section.
#pragma once

#include "framework/GdiScope.h"
#include "framework/UniqueAny.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bmptest {

using Bytes = std::vector<BYTE>;

inline void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<BYTE>(v >> (8 * i));
}

// An info header of `size` bytes (40 or more; the fields past 40 are zero but for `masks`, which a V2 or
// later header holds at 40).
inline Bytes InfoHeader(int width, int height, int bits, DWORD compression = BI_RGB, DWORD colorsUsed = 0,
                        DWORD size = 40, std::vector<std::uint32_t> masks = {}) {
    Bytes b;
    Put32(b, size);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, bits);
    Put32(b, compression);
    for (int i = 0; i < 3; ++i) Put32(b, 0);  // image size, resolution
    Put32(b, colorsUsed);
    Put32(b, 0);
    for (std::uint32_t m : masks) Put32(b, m);
    b.resize(size, 0);
    return b;
}

inline Bytes CoreHeader(int width, int height, int bits) {
    Bytes b;
    Put32(b, 12);
    Put16(b, width);
    Put16(b, height);
    Put16(b, 1);
    Put16(b, bits);
    return b;
}

// Rows as stored: `pixel(x, row)` is the value (colour index, or packed 16/24/32-bit colour) of stored row
// `row`; each row is padded to four bytes.
inline Bytes Rows(int width, int rows, int bits, const std::function<std::uint32_t(int, int)>& pixel) {
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    Bytes b(stride * rows, 0);
    for (int y = 0; y < rows; ++y) {
        BYTE* row = b.data() + stride * y;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixel(x, y);
            if (bits < 8) {
                const int perByte = 8 / bits;
                const int shift = 8 - bits * (x % perByte + 1);
                row[x / perByte] |= static_cast<BYTE>(v << shift);
            } else {
                for (int i = 0; i < bits / 8; ++i) row[x * bits / 8 + i] = static_cast<BYTE>(v >> (8 * i));
            }
        }
    }
    return b;
}

// File header + header + colour table or masks + pixels; the pixel offset points right after the table.
inline Bytes File(const Bytes& header, const Bytes& table, const Bytes& pixels) {
    Bytes b{'B', 'M'};
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + header.size() + table.size());
    Put32(b, static_cast<std::uint32_t>(offset + pixels.size()));
    Put32(b, 0);
    Put32(b, offset);
    b.insert(b.end(), header.begin(), header.end());
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// A file in a folder of its own under the temp folder.
inline std::wstring TempPath(const std::wstring& name) {
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, buffer);
    const std::wstring folder = std::wstring(buffer, n) + L"quillbrook-bitmap-tests";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\" + name;
}

inline bool Write(const std::wstring& path, const Bytes& bytes) {
    fw::unique_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A memory DC drawing into a top-down DIB section of `bits` per pixel, filled with one colour.
class Target {
public:
    Target(int width, int height, int bits = 32, COLORREF fill = RGB(1, 2, 3))
        : width_(width),
          size_((static_cast<std::size_t>(width) * bits + 31) / 32 * 4 * height),
          bitmap_(MakeDib(width, height, bits, &data_)),
          dc_(::CreateCompatibleDC(nullptr)),
          select_(dc_.get(), bitmap_.get()) {
        fw::unique_hbrush brush(::CreateSolidBrush(fill));
        RECT all{0, 0, width, height};
        ::FillRect(dc_.get(), &all, brush.get());
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    bool Ok() const { return data_ && select_.Selected(); }
    HDC Dc() const { return dc_.get(); }
    // 0x00RRGGBB of a 32-bit target.
    std::uint32_t At(int x, int y) const {
        ::GdiFlush();
        const BYTE* p = Bits() + (static_cast<std::size_t>(y) * width_ + x) * 4;
        return (p[2] << 16) | (p[1] << 8) | p[0];
    }
    // The first byte where two targets of one format differ, or -1.
    std::ptrdiff_t FirstDifference(const Target& other) const {
        ::GdiFlush();
        for (std::size_t i = 0; i < size_ && i < other.size_; ++i) {
            if (Bits()[i] != other.Bits()[i]) return static_cast<std::ptrdiff_t>(i);
        }
        return size_ == other.size_ ? -1 : static_cast<std::ptrdiff_t>(size_);
    }

private:
    static HBITMAP MakeDib(int width, int height, int bits, void** data) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bits);
        return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, data, nullptr, 0);
    }
    const BYTE* Bits() const { return static_cast<const BYTE*>(data_); }

    int width_;
    std::size_t size_;
    void* data_ = nullptr;
    fw::unique_hbitmap bitmap_;
    fw::unique_hdc dc_;
    fw::ScopedSelect select_;
};

}  // namespace bmptest
