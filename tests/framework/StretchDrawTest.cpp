// Drawing a picture stretched from its kept scaled copies must put the same pixels on the screen as a
// direct stretch of the whole picture, and never show a picture that has been replaced.
#include "support/BmpFiles.h"

#include "framework/GdiScope.h"
#include "framework/Graphics.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// Every pixel different, so that a shifted or flipped copy shows.
std::wstring WritePattern() {
    const std::wstring path = bmptest::TempPath(L"pattern.bmp");
    bmptest::Write(
        path, bmptest::File(bmptest::InfoHeader(37, 23, 24), {}, bmptest::Rows(37, 23, 24, [](int x, int y) {
                                return static_cast<std::uint32_t>(x * 7 << 16 | y * 11 << 8 | (x * y) % 256);
                            })));
    return path;
}

std::wstring WriteTwoColours() {
    const std::wstring path = bmptest::TempPath(L"two colours.bmp");
    bmptest::Bytes table;
    bmptest::Put32(table, 0xE01010);
    bmptest::Put32(table, 0x1010E0);
    bmptest::Write(
        path, bmptest::File(bmptest::InfoHeader(29, 17, 1), table, bmptest::Rows(29, 17, 1, [](int x, int y) {
                                return static_cast<std::uint32_t>((x * y + x) % 3 == 0);
                            })));
    return path;
}

// Clipped and shifted the way a form paints one entry of a window.
template <class Draw>
void AsAnEntry(HDC dc, const RECT& rect, Draw draw) {
    fw::ScopedSaveDc saved(dc);
    ::SetViewportOrgEx(dc, 4, 3, nullptr);
    ::IntersectClipRect(dc, rect.left + 2, rect.top, rect.right - 3, rect.bottom - 1);
    draw();
}

void DrawDirect(HDC dc, const RECT& rect, const fw::Bitmap& bitmap) {
    fw::unique_hdc source(::CreateCompatibleDC(dc));
    fw::ScopedSelect select(source.get(), bitmap.Handle());
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source.get(), 0, 0,
                 bitmap.Width(), bitmap.Height(), SRCCOPY);
}

void DrawWithCanvas(HDC dc, const RECT& rect, const fw::Bitmap& bitmap) {
    fw::Canvas canvas;
    canvas.SetHandle(dc);
    canvas.StretchDraw(rect, bitmap);
    canvas.SetHandle(nullptr);
}

// Draws `bitmap` at `size` both ways into two targets of `bits` per pixel and expects the same bytes.
void ExpectSameAsDirect(const fw::Bitmap& bitmap, SIZE size, int bits) {
    SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy << " at " << bits << " bits");
    const RECT rect{5, 2, 5 + size.cx, 2 + size.cy};
    bmptest::Target cached(size.cx + 12, size.cy + 8, bits);
    bmptest::Target direct(size.cx + 12, size.cy + 8, bits);
    ASSERT_TRUE(cached.Ok() && direct.Ok());
    for (int round = 0; round < 2; ++round) {  // the first draw makes the copy, the second reuses it
        AsAnEntry(cached.Dc(), rect, [&] { DrawWithCanvas(cached.Dc(), rect, bitmap); });
    }
    AsAnEntry(direct.Dc(), rect, [&] { DrawDirect(direct.Dc(), rect, bitmap); });
    EXPECT_EQ(cached.FirstDifference(direct), -1);
}

TEST(StretchDraw, KeptScaledCopiesGiveExactlyThePixelsOfADirectStretch) {
    const SIZE sizes[] = {{120, 18}, {13, 61}, {37, 23}, {300, 5}, {2100, 2100}};
    for (const std::wstring& path : {WritePattern(), WriteTwoColours()}) {
        fw::Bitmap bitmap;
        bitmap.LoadFromFile(path);
        for (SIZE size : sizes) {
            for (int bits : {32, 16}) ExpectSameAsDirect(bitmap, size, bits);
        }
        // Sizes drawn again reuse their copy; one too large to keep is stretched each time instead.
        EXPECT_NE(bitmap.Scaled(120, 18), nullptr);
        EXPECT_EQ(bitmap.Scaled(120, 18), bitmap.Scaled(120, 18));
        EXPECT_EQ(bitmap.Scaled(2100, 2100), nullptr);
    }
}

TEST(StretchDraw, ANewPictureIsDrawnAfterReloadingAndNothingAfterClearing) {
    fw::Bitmap bitmap;
    bitmap.LoadFromFile(WritePattern());
    ExpectSameAsDirect(bitmap, SIZE{120, 18}, 32);
    // A copy of the old picture left behind would differ from the direct stretch of the new one.
    bitmap.LoadFromFile(WriteTwoColours());
    ExpectSameAsDirect(bitmap, SIZE{120, 18}, 32);

    bitmap.Clear();
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Scaled(120, 18), nullptr);
    bmptest::Target drawn(10, 10), untouched(10, 10);
    DrawWithCanvas(drawn.Dc(), RECT{0, 0, 10, 10}, bitmap);
    EXPECT_EQ(drawn.FirstDifference(untouched), -1);
}

}  // namespace
