#include "framework/BitmapFile.h"

#include "framework/Exception.h"
#include "framework/UniqueAny.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fw {

namespace {

constexpr std::int64_t kMaxSide = 32768;
constexpr std::uint64_t kMaxPixelBytes = 256ull << 20;
// Room for the headers, the largest colour table and whatever a writer leaves after the pixels (a colour
// profile, for one).
constexpr std::uint64_t kMaxFileBytes = kMaxPixelBytes + (1ull << 20);

constexpr std::size_t kFileHeaderSize = 14;  // BITMAPFILEHEADER as stored, without padding
constexpr DWORD kCoreHeaderSize = 12;
constexpr DWORD kInfoHeaderSize = 40;
// Right after the 40-byte header's fields: inside a V2 or later header, or following a 40-byte one.
constexpr std::size_t kMasksAt = kFileHeaderSize + kInfoHeaderSize;

// A problem with the file's content carries no error code; a failed system call passes its own.
[[noreturn]] void Fail(const std::wstring& what, const std::wstring& path, HRESULT code = S_OK) {
    throw Exception(what + L": " + path, code);
}

// The file's bytes, all of them, or fw::Exception.
std::vector<BYTE> ReadAll(const std::wstring& path) {
    HANDLE raw =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        Fail(L"The bitmap file cannot be opened", path, Exception::LastErrorCode());
    }
    unique_handle file(raw);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        Fail(L"The size of the bitmap file cannot be read", path, Exception::LastErrorCode());
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > kMaxFileBytes) {
        Fail(L"The bitmap file is too large (" + std::to_wstring(size.QuadPart) + L" bytes)", path);
    }
    std::vector<BYTE> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr)) {
            Fail(L"The bitmap file cannot be read", path, Exception::LastErrorCode());
        }
        if (read == 0) break;  // the file shrank while we read it
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

// Little-endian fields at byte offsets the caller has checked to lie inside the file.
WORD U16(const std::vector<BYTE>& b, std::size_t at) noexcept {
    return static_cast<WORD>(b[at] | (b[at + 1] << 8));
}
DWORD U32(const std::vector<BYTE>& b, std::size_t at) noexcept {
    return static_cast<DWORD>(b[at]) | (static_cast<DWORD>(b[at + 1]) << 8) |
           (static_cast<DWORD>(b[at + 2]) << 16) | (static_cast<DWORD>(b[at + 3]) << 24);
}

bool KnownHeaderSize(DWORD size) noexcept {
    return size == kCoreHeaderSize || size == kInfoHeaderSize || size == 52 || size == 56 ||
           size == sizeof(BITMAPV4HEADER) || size == sizeof(BITMAPV5HEADER);
}

// One unbroken run of bits that fits in a pixel; GDI's handling of anything else is undefined.
bool UsableMask(DWORD mask, int bitCount) noexcept {
    if (mask == 0) return false;
    if (bitCount == 16 && mask > 0xFFFF) return false;
    while (!(mask & 1)) mask >>= 1;
    return (mask & (mask + 1)) == 0;
}

std::wstring CompressionProblem(DWORD compression) {
    switch (compression) {
        case BI_RLE8:
        case BI_RLE4:
            return L"The bitmap file is RLE-compressed, which is not supported";
        case BI_JPEG:
            return L"The bitmap file holds a JPEG picture, which is not supported";
        case BI_PNG:
            return L"The bitmap file holds a PNG picture, which is not supported";
        default:
            return L"The bitmap file uses an unknown compression (" + std::to_wstring(compression) + L")";
    }
}

}  // namespace

BitmapFile BitmapFile::Read(const std::wstring& path) {
    if (path.empty()) throw Exception(L"No bitmap file name was given");
    BitmapFile file;
    file.bytes_ = ReadAll(path);
    file.Parse(path);
    return file;
}

void BitmapFile::Parse(const std::wstring& path) {
    const std::vector<BYTE>& b = bytes_;
    const std::uint64_t fileSize = b.size();
    if (b.empty()) Fail(L"The bitmap file is empty", path);
    if (b.size() < 2 || b[0] != 'B' || b[1] != 'M')
        Fail(L"The file is not a bitmap (no \"BM\" at its start)", path);
    if (fileSize < kFileHeaderSize + 4)
        Fail(L"The bitmap file is truncated (its header is incomplete)", path);
    const DWORD pixelOffset = U32(b, 10);
    const DWORD headerSize = U32(b, kFileHeaderSize);
    if (!KnownHeaderSize(headerSize)) {
        Fail(L"The bitmap file has an unknown kind of header (" + std::to_wstring(headerSize) + L" bytes)",
             path);
    }
    if (fileSize < kFileHeaderSize + headerSize) {
        Fail(L"The bitmap file is truncated (its header is incomplete)", path);
    }

    const bool core = headerSize == kCoreHeaderSize;
    std::int64_t width, height;
    int planes, bitCount;
    DWORD compression = BI_RGB;
    DWORD colorsUsed = 0;
    if (core) {
        width = U16(b, 18);
        height = U16(b, 20);
        planes = U16(b, 22);
        bitCount = U16(b, 24);
    } else {
        width = static_cast<LONG>(U32(b, 18));
        height = static_cast<LONG>(U32(b, 22));
        planes = U16(b, 26);
        bitCount = U16(b, 28);
        compression = U32(b, 30);
        colorsUsed = U32(b, 46);
    }

    if (planes != 1) {
        Fail(L"The bitmap file has " + std::to_wstring(planes) + L" colour planes instead of 1", path);
    }
    const bool bitfields = compression == BI_BITFIELDS;
    if (compression != BI_RGB && !bitfields) Fail(CompressionProblem(compression), path);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32) {
        Fail(L"The bitmap file has an unsupported number of bits per pixel (" + std::to_wstring(bitCount) +
                 L")",
             path);
    }
    if (bitfields && bitCount != 16 && bitCount != 32) {
        Fail(L"The bitmap file has colour masks but " + std::to_wstring(bitCount) + L" bits per pixel", path);
    }

    const std::wstring size = std::to_wstring(width) + L" x " + std::to_wstring(height);
    if (width <= 0 || height == 0) Fail(L"The bitmap file has an invalid picture size (" + size + L")", path);
    const std::int64_t rows = height < 0 ? -height : height;
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    if (width > kMaxSide || rows > kMaxSide || stride * rows > kMaxPixelBytes) {
        Fail(L"The bitmap file's picture is too large (" + size + L" pixels)", path);
    }
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(rows);

    // The colour table follows the header, and the masks of a 40-byte header.
    std::uint64_t tableStart = kFileHeaderSize + headerSize;
    DWORD masks[3]{};
    if (bitfields) {
        if (headerSize == kInfoHeaderSize) {
            tableStart += sizeof(masks);
            if (tableStart > fileSize)
                Fail(L"The bitmap file is truncated (its colour masks are missing)", path);
        }
        for (int i = 0; i < 3; ++i) masks[i] = U32(b, kMasksAt + 4 * i);
        const bool overlap = (masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2]);
        if (overlap || !UsableMask(masks[0], bitCount) || !UsableMask(masks[1], bitCount) ||
            !UsableMask(masks[2], bitCount)) {
            Fail(L"The bitmap file has unusable colour masks", path);
        }
    }
    std::uint64_t colors = 0;
    if (bitCount <= 8) {
        const std::uint64_t most = 1ull << bitCount;
        if (colorsUsed > most) {
            Fail(L"The bitmap file's colour table is too large (" + std::to_wstring(colorsUsed) +
                     L" colours for " + std::to_wstring(bitCount) + L" bits per pixel)",
                 path);
        }
        colors = (core || colorsUsed == 0) ? most : colorsUsed;
    }
    const std::uint64_t entrySize = core ? 3 : 4;  // RGBTRIPLE or RGBQUAD
    if (tableStart + colors * entrySize > fileSize) {
        Fail(L"The bitmap file is truncated (its colour table is incomplete)", path);
    }

    if (pixelOffset < kFileHeaderSize + headerSize) {
        Fail(
            L"The bitmap file's pixel data offset (" + std::to_wstring(pixelOffset) + L") lies in its header",
            path);
    }
    if (pixelOffset >= fileSize) {
        Fail(L"The bitmap file is truncated (its pixel data would start at byte " +
                 std::to_wstring(pixelOffset) + L", but the file holds only " + std::to_wstring(fileSize) +
                 L" bytes)",
             path);
    }
    if (pixelOffset + pixelBytes > fileSize) {
        Fail(L"The bitmap file is truncated (it holds " + std::to_wstring(fileSize - pixelOffset) +
                 L" of the " + std::to_wstring(pixelBytes) + L" bytes of pixel data its header promises)",
             path);
    }

    info_ = DibInfo{};
    BITMAPINFOHEADER& h = info_.header;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = static_cast<LONG>(width);
    h.biHeight = static_cast<LONG>(height);
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bitCount);
    h.biCompression = compression;
    h.biSizeImage = static_cast<DWORD>(pixelBytes);
    h.biClrUsed = static_cast<DWORD>(colors);
    for (std::uint64_t i = 0; i < colors; ++i) {
        const std::size_t at = static_cast<std::size_t>(tableStart + i * entrySize);
        info_.colors[i] = RGBQUAD{b[at], b[at + 1], b[at + 2], 0};
    }
    if (bitfields) std::memcpy(info_.colors, masks, sizeof(masks));
    bitsOffset_ = pixelOffset;
    bitsSize_ = static_cast<std::size_t>(pixelBytes);
}

}  // namespace fw
