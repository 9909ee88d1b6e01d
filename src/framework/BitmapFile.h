// Reading a .bmp file the user named. The whole file is read and every field the picture depends on is
// checked before anything is built from it, so a damaged or hostile file ends in fw::Exception instead of
// a fault inside the platform's own loader (LoadImageW faults on truncated files).
//
// Accepted: uncompressed (BI_RGB) and BI_BITFIELDS pictures of 1, 4, 8, 16, 24 and 32 bits per pixel,
// with the 12-byte core header or a 40, 52, 56, 108 or 124-byte info header; bottom-up or top-down.
// Refused with a message that names the fault and the path: compressed pictures (RLE, JPEG, PNG),
// truncated files, pictures larger than 32768 pixels a side or 256 MiB of pixel data.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace fw {

class BitmapFile {
public:
    // Reads and checks the file; throws fw::Exception saying what is wrong, followed by the path.
    static BitmapFile Read(const std::wstring& path);

    // A BITMAPINFOHEADER (the height's sign as in the file) followed by the colour table or the three
    // colour masks: what CreateDIBSection takes with DIB_RGB_COLORS.
    const BITMAPINFO* Info() const noexcept { return reinterpret_cast<const BITMAPINFO*>(&info_); }
    int Width() const noexcept { return info_.header.biWidth; }
    int Height() const noexcept {
        return info_.header.biHeight < 0 ? -info_.header.biHeight : info_.header.biHeight;
    }
    // The pixel rows in the file's order and padding: exactly what a DIB section of Info() holds.
    const BYTE* Bits() const noexcept { return bytes_.data() + bitsOffset_; }
    std::size_t BitsSize() const noexcept { return bitsSize_; }

private:
    // Laid out as a BITMAPINFO with room for the largest colour table; masks take the first three slots.
    struct DibInfo {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    };

    BitmapFile() = default;
    void Parse(const std::wstring& path);

    std::vector<BYTE> bytes_;  // the whole file
    DibInfo info_{};
    std::size_t bitsOffset_ = 0;
    std::size_t bitsSize_ = 0;
};

}  // namespace fw
