// Loading the face bitmap from files on disk: every kind of file a user may pick, good or damaged, at its
// own size or shrunk.
#include "support/BmpFiles.h"

#include "framework/Exception.h"
#include "framework/GdiScope.h"
#include "framework/Graphics.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

using bmptest::Bytes;

constexpr int kW = 7;  // odd, so 24-bit rows carry padding
constexpr int kH = 3;

// 0x00RRGGBB of the true-colour test picture, y counted from the top.
std::uint32_t Colour(int x, int y) {
    return static_cast<std::uint32_t>((30 * x + 10) << 16 | (80 * y + 20) << 8 | (250 - 20 * x));
}

Bytes Quads(std::initializer_list<std::uint32_t> rgbs) {
    Bytes b;
    for (std::uint32_t c : rgbs) bmptest::Put32(b, c);  // 0x00RRGGBB is B, G, R, 0 in the file
    return b;
}

Bytes Valid24() {
    return bmptest::File(bmptest::InfoHeader(kW, kH, 24), {},
                         bmptest::Rows(kW, kH, 24, [](int x, int row) { return Colour(x, kH - 1 - row); }));
}

// What LoadFromFile threw, or empty.
std::wstring LoadError(fw::Bitmap& bitmap, const std::wstring& path) {
    try {
        bitmap.LoadFromFile(path);
    } catch (const fw::Exception& e) {
        return e.Message();
    }
    return {};
}

// The bitmap copied 1:1 into a 32-bit DIB section.
void ExpectPixels(const fw::Bitmap& bitmap, const std::function<std::uint32_t(int, int)>& expected) {
    bmptest::Target target(bitmap.Width(), bitmap.Height());
    fw::Canvas canvas;
    canvas.SetHandle(target.Dc());
    canvas.StretchDraw(RECT{0, 0, bitmap.Width(), bitmap.Height()}, bitmap);
    canvas.SetHandle(nullptr);
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            EXPECT_EQ(target.At(x, y), expected(x, y)) << "pixel " << x << "," << y;
        }
    }
}

TEST(BitmapFile, EveryKindOfUncompressedBitmapLoadsWithItsSizeAndColours) {
    const auto two = [](int x, int y) { return (x + y) % 2; };
    const auto three = [](int x, int y) { return (x * 2 + y) % 3; };
    const std::uint32_t pure[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000};
    const std::uint32_t pure565[] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0};
    const std::uint32_t kTable3[] = {0x102030, 0x405060, 0x708090};
    Bytes triples{0x30, 0x20, 0x10, 0x60, 0x50, 0x40, 0x90, 0x80, 0x70};  // the core header's B, G, R
    triples.resize(16 * 3);
    struct Case {
        const wchar_t* name;
        Bytes file;
        std::function<std::uint32_t(int, int)> expected;
    } cases[] = {
        {L"顔 24-bit bottom-up.bmp", Valid24(), Colour},
        {L"24-bit top-down.bmp",
         bmptest::File(bmptest::InfoHeader(kW, -kH, 24), {}, bmptest::Rows(kW, kH, 24, Colour)), Colour},
        {L"1-bit.bmp",
         bmptest::File(bmptest::InfoHeader(kW, kH, 1), Quads({0xC00000, 0x0000B4}),
                       bmptest::Rows(kW, kH, 1, [&](int x, int row) { return two(x, kH - 1 - row); })),
         [&](int x, int y) { return two(x, y) ? 0x0000B4u : 0xC00000u; }},
        {L"8-bit with 3 colours.bmp",
         bmptest::File(bmptest::InfoHeader(kW, kH, 8, BI_RGB, 3), Quads({kTable3[0], kTable3[1], kTable3[2]}),
                       bmptest::Rows(kW, kH, 8, [&](int x, int row) { return three(x, kH - 1 - row); })),
         [&](int x, int y) { return kTable3[three(x, y)]; }},
        {L"32-bit with masks after the header.bmp",  // blue and red swapped
         bmptest::File(bmptest::InfoHeader(kW, -kH, 32, BI_BITFIELDS), Quads({0x0000FF, 0x00FF00, 0xFF0000}),
                       bmptest::Rows(kW, kH, 32,
                                     [](int x, int y) {
                                         const std::uint32_t c = Colour(x, y);
                                         return (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16;
                                     })),
         Colour},
        {L"16-bit 565 with a V5 header.bmp",
         bmptest::File(bmptest::InfoHeader(kW, -kH, 16, BI_BITFIELDS, 0, 124, {0xF800, 0x07E0, 0x001F}), {},
                       bmptest::Rows(kW, kH, 16, [&](int x, int y) { return pure565[(x + y) % 5]; })),
         [&](int x, int y) { return pure[(x + y) % 5]; }},
        {L"4-bit core header.bmp",
         bmptest::File(bmptest::CoreHeader(kW, kH, 4), triples,
                       bmptest::Rows(kW, kH, 4, [&](int x, int row) { return three(x, kH - 1 - row); })),
         [&](int x, int y) { return kTable3[three(x, y)]; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.name));
        const std::wstring path = bmptest::TempPath(c.name);
        ASSERT_TRUE(bmptest::Write(path, c.file));
        fw::Bitmap bitmap;
        ASSERT_EQ(LoadError(bitmap, path), L"");
        ASSERT_FALSE(bitmap.Empty());
        EXPECT_EQ(bitmap.Width(), kW);
        EXPECT_EQ(bitmap.Height(), kH);
        ExpectPixels(bitmap, c.expected);
        // Shrunk across, each column is the file's nearest one, in the file's own colours.
        fw::Bitmap narrow;
        narrow.LoadFromFile(path, SIZE{4, kH});
        ASSERT_EQ(narrow.Width(), 4);
        ExpectPixels(narrow, [&](int x, int y) { return c.expected(x * kW / 4, y); });
    }
}

TEST(BitmapFile, AHugeOneBitPictureLoadsAtOneBitPerPixel) {
    constexpr int kSide = 20000;
    Bytes pixels(static_cast<std::size_t>(kSide + 31) / 32 * 4 * kSide, 0);
    pixels[0] = 0xA0;  // top row, top-down: pixels 0 and 2 take the second colour
    const std::wstring path = bmptest::TempPath(L"huge.bmp");
    ASSERT_TRUE(bmptest::Write(
        path, bmptest::File(bmptest::InfoHeader(kSide, -kSide, 1), Quads({0xFFFFFF, 0x008000}), pixels)));
    fw::Bitmap bitmap;
    ASSERT_EQ(LoadError(bitmap, path), L"");
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(bitmap.Width(), kSide);
    EXPECT_EQ(bitmap.Height(), kSide);
    BITMAP info{};
    ::GetObjectW(bitmap.Handle(), sizeof(info), &info);
    EXPECT_EQ(info.bmBitsPixel, 1);

    bmptest::Target target(4, 1);
    fw::unique_hdc source(::CreateCompatibleDC(target.Dc()));
    fw::ScopedSelect select(source.get(), bitmap.Handle());
    ::BitBlt(target.Dc(), 0, 0, 4, 1, source.get(), 0, 0, SRCCOPY);
    EXPECT_EQ(target.At(0, 0), 0x008000u);
    EXPECT_EQ(target.At(1, 0), 0xFFFFFFu);
    EXPECT_EQ(target.At(2, 0), 0x008000u);
}

TEST(BitmapFile, ABadFileThrowsWhatIsWrongAndThePathAndKeepsThePreviousPicture) {
    const std::wstring good = bmptest::TempPath(L"good.bmp");
    ASSERT_TRUE(bmptest::Write(good, Valid24()));
    fw::Bitmap bitmap;
    ASSERT_EQ(LoadError(bitmap, good), L"");
    const HBITMAP picture = bitmap.Handle();

    const Bytes valid = Valid24();
    const Bytes table256(256 * 4, 0x40);
    auto patched = [&](std::size_t at, std::uint32_t value) {
        Bytes b = valid;
        bmptest::Set32(b, at, value);
        return b;
    };
    Bytes twoPlanes = valid;
    twoPlanes[26] = 2;
    struct Case {
        const wchar_t* name;
        Bytes file;
        const wchar_t* says;
    } cases[] = {
        {L"short pixels", Bytes(valid.begin(), valid.end() - 10), L"truncated"},
        {L"header only", bmptest::File(bmptest::InfoHeader(20000, 20000, 1), Quads({0, 0xFFFFFF}), {}),
         L"truncated"},
        {L"offset past end", patched(10, static_cast<std::uint32_t>(valid.size() + 100)), L"holds only"},
        {L"offset in header", patched(10, 20), L"lies in its header"},
        {L"zero width", bmptest::File(bmptest::InfoHeader(0, kH, 24), {}, Bytes(64)),
         L"invalid picture size"},
        {L"negative width", bmptest::File(bmptest::InfoHeader(-kW, kH, 24), {}, Bytes(64)),
         L"invalid picture size"},
        {L"zero height", bmptest::File(bmptest::InfoHeader(kW, 0, 24), {}, Bytes(64)),
         L"invalid picture size"},
        {L"wide", bmptest::File(bmptest::InfoHeader(100000, 1, 1), Quads({0, 0}), Bytes(64)), L"too large"},
        {L"deep", bmptest::File(bmptest::InfoHeader(30000, 30000, 32), {}, Bytes(64)), L"too large"},
        {L"min height", bmptest::File(bmptest::InfoHeader(1, INT_MIN, 1), Quads({0, 0}), Bytes(64)),
         L"too large"},
        {L"text", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         L"not a bitmap"},
        {L"empty", Bytes{}, L"empty"},
        {L"rle", bmptest::File(bmptest::InfoHeader(kW, kH, 8, BI_RLE8), table256, Bytes{0, 1}), L"RLE"},
        {L"png", bmptest::File(bmptest::InfoHeader(kW, kH, 0, BI_PNG), {}, Bytes(64)), L"PNG"},
        {L"short table", bmptest::File(bmptest::InfoHeader(kW, kH, 8), Bytes(100), {}), L"colour table"},
        {L"big table", bmptest::File(bmptest::InfoHeader(kW, kH, 8, BI_RGB, 300), table256, Bytes(64)),
         L"colour table is too large"},
        {L"two planes", twoPlanes, L"colour planes"},
        {L"7 bits", bmptest::File(bmptest::InfoHeader(kW, kH, 7), {}, Bytes(64)), L"bits per pixel"},
        {L"64-byte header", bmptest::File(bmptest::InfoHeader(kW, kH, 24, BI_RGB, 0, 64), {}, Bytes(64)),
         L"unknown kind of header"},
        {L"zero masks", bmptest::File(bmptest::InfoHeader(kW, kH, 32, BI_BITFIELDS), Bytes(12), Bytes(96)),
         L"colour masks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.name));
        const std::wstring path = bmptest::TempPath(std::wstring(c.name) + L".bmp");
        ASSERT_TRUE(bmptest::Write(path, c.file));
        const std::wstring message = LoadError(bitmap, path);
        EXPECT_NE(message.find(c.says), std::wstring::npos) << message;
        EXPECT_TRUE(message.size() > path.size() && message.ends_with(L": " + path)) << message;
        EXPECT_EQ(bitmap.Handle(), picture);
    }
    const std::wstring missing = bmptest::TempPath(L"missing.bmp");
    ::DeleteFileW(missing.c_str());
    EXPECT_NE(LoadError(bitmap, missing).find(L"cannot be opened"), std::wstring::npos);

    EXPECT_EQ(bitmap.Handle(), picture);
    EXPECT_EQ(bitmap.Width(), kW);
    EXPECT_EQ(bitmap.Height(), kH);
    ExpectPixels(bitmap, Colour);
}

}  // namespace
