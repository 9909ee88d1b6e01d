#include "popup/GraphicsFunc.h"

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/UniqueAny.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <ostream>
#include <utility>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// A memory DC drawing into a top-down DIB section whose pixels the test reads and writes directly.
class DibCanvas {
public:
    DibCanvas(int width, int height, int bitCount) : width_(width), height_(height), bitCount_(bitCount) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        dc_.reset(::CreateCompatibleDC(nullptr));
        bits_ = static_cast<BYTE*>(bits);
        if (bitmap_ && dc_) previous_ = ::SelectObject(dc_.get(), bitmap_.get());
    }
    ~DibCanvas() {
        if (previous_) ::SelectObject(dc_.get(), previous_);
    }
    bool Ok() const { return bits_ && previous_; }
    HDC Dc() const { return dc_.get(); }

    void Set(int x, int y, Rgb c) {
        BYTE* p = Pixel(x, y);
        p[0] = static_cast<BYTE>(c.b);
        p[1] = static_cast<BYTE>(c.g);
        p[2] = static_cast<BYTE>(c.r);
    }
    Rgb Get(int x, int y) {
        ::GdiFlush();
        const BYTE* p = Pixel(x, y);
        return {p[2], p[1], p[0]};
    }
    void Fill(const std::function<Rgb(int x, int y)>& color) {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) Set(x, y, color(x, y));
    }

private:
    BYTE* Pixel(int x, int y) {
        const int stride = (width_ * bitCount_ + 31) / 32 * 4;
        return bits_ + y * stride + x * (bitCount_ / 8);
    }
    int width_, height_, bitCount_;
    fw::unique_hbitmap bitmap_;
    fw::unique_hdc dc_;
    BYTE* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// Every pixel different, so that a flipped row order, a wrong stride or a shifted origin shows.
Rgb Pattern(int x, int y) {
    return {(x * 37 + y * 11) % 256, (x * 5 + y * 53) % 256, (x * 19 + y * 7 + 100) % 256};
}

int ScaleChannel(int value, int percent) {
    if (percent <= 0) return 0;
    const int scaled = value * percent / 100;
    return scaled > 255 ? 255 : scaled;
}

std::wstring FailureOf(HDC dc, const RECT& rect) {
    try {
        GraphicsFunc::ChangeBrightness(dc, rect, 50);
    } catch (const fw::Exception& e) {
        return e.Message();
    }
    return L"(no exception)";
}

class ChangeBrightnessOnDib : public testing::TestWithParam<int> {};

TEST_P(ChangeBrightnessOnDib, ScalesTheRectangleOnlyChannelByChannel) {
    // Odd widths: 24-bit rows of the work bitmap and of the canvas are padded.
    constexpr int kWidth = 13, kHeight = 9;
    DibCanvas canvas(kWidth, kHeight, GetParam());
    ASSERT_TRUE(canvas.Ok());
    canvas.Fill(Pattern);
    const RECT rect{3, 2, 8, 7};
    GraphicsFunc::ChangeBrightness(canvas.Dc(), rect, 30, 120, -5);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb before = Pattern(x, y);
            const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
            const Rgb expected =
                inside ? Rgb{ScaleChannel(before.r, 30), ScaleChannel(before.g, 120), 0} : before;
            ASSERT_EQ(canvas.Get(x, y), expected) << "at " << x << "," << y;
        }
    }
}

TEST_P(ChangeBrightnessOnDib, KnownValuesDarkenBrightenAndSaturate) {
    DibCanvas canvas(4, 3, GetParam());
    ASSERT_TRUE(canvas.Ok());
    const RECT all{0, 0, 4, 3};

    canvas.Fill([](int, int) { return Rgb{200, 200, 200}; });
    GraphicsFunc::ChangeBrightness(canvas.Dc(), all, 30, 30, 70);
    EXPECT_EQ(canvas.Get(0, 0), (Rgb{60, 60, 140}));
    EXPECT_EQ(canvas.Get(3, 2), (Rgb{60, 60, 140}));

    canvas.Fill([](int, int) { return Rgb{200, 100, 0}; });
    GraphicsFunc::ChangeBrightness(canvas.Dc(), all, 150);
    EXPECT_EQ(canvas.Get(1, 1), (Rgb{255, 150, 0}));

    // Integer division truncates; a huge percentage saturates rather than wrapping.
    canvas.Fill([](int, int) { return Rgb{199, 1, 255}; });
    GraphicsFunc::ChangeBrightness(canvas.Dc(), all, 50, INT_MAX, 100);
    EXPECT_EQ(canvas.Get(2, 0), (Rgb{99, 255, 255}));
}

INSTANTIATE_TEST_SUITE_P(BitsPerPixel, ChangeBrightnessOnDib, testing::Values(24, 32));

TEST(ChangeBrightness, EmptyOrInvertedRectanglesChangeNothing) {
    DibCanvas canvas(6, 6, 24);
    ASSERT_TRUE(canvas.Ok());
    canvas.Fill(Pattern);
    for (const RECT& r : {RECT{2, 2, 2, 5}, RECT{2, 2, 5, 2}, RECT{4, 4, 1, 1}, RECT{5, 1, 1, 5}}) {
        EXPECT_NO_THROW(GraphicsFunc::ChangeBrightness(canvas.Dc(), r, 0));
    }
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(canvas.Get(x, y), Pattern(x, y));
    // Not even the device is looked at.
    EXPECT_NO_THROW(GraphicsFunc::ChangeBrightness(nullptr, RECT{3, 3, 3, 3}, 0));
}

TEST(ChangeBrightness, WorksOnAWindowOnTheDisplay) {
    fw::Form form(nullptr);
    form.SetBounds(40, 60, 220, 160);
    form.Show();
    ::SetWindowPos(form.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    qbtest::WaitUntil([&] { return ::IsWindowVisible(form.Handle()) != FALSE; });
    qbtest::PumpFor(std::chrono::milliseconds(100));  // let the first paint pass before drawing over it

    HWND hwnd = form.Handle();
    HDC dc = ::GetDC(hwnd);
    ASSERT_NE(dc, nullptr);
    fw::unique_hbrush brush(::CreateSolidBrush(RGB(200, 100, 40)));
    const RECT client{0, 0, 100, 60};
    ::FillRect(dc, &client, brush.get());
    GraphicsFunc::ChangeBrightness(dc, RECT{10, 20, 50, 40}, 50, 150, 200);
    ::GdiFlush();
    const COLORREF inside = ::GetPixel(dc, 30, 30);
    const COLORREF edge = ::GetPixel(dc, 49, 39);
    const COLORREF outside = ::GetPixel(dc, 50, 40);
    const COLORREF left = ::GetPixel(dc, 9, 30);
    ::ReleaseDC(hwnd, dc);

    EXPECT_EQ(inside, RGB(100, 150, 80));
    EXPECT_EQ(edge, RGB(100, 150, 80));
    EXPECT_EQ(outside, RGB(200, 100, 40));
    EXPECT_EQ(left, RGB(200, 100, 40));
}

TEST(ChangeBrightness, FailuresNameTheStepAndTheFunction) {
    const RECT rect{0, 0, 8, 8};

    // No bitmap can be made for a DC that is gone.
    HDC gone = ::CreateCompatibleDC(nullptr);
    ::DeleteDC(gone);
    EXPECT_EQ(FailureOf(gone, rect), L"Couldn't Create DIBitmap in GraphicsFunc::ChangeBrightness");

    // A metafile DC records drawing but has no pixels to copy from.
    HDC metafile = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(metafile, nullptr);
    EXPECT_EQ(FailureOf(metafile, rect), L"Cannot copy bitmap in GraphicsFunc::ChangeBrightness");
    ::DeleteEnhMetaFile(::CloseEnhMetaFile(metafile));

    // Coordinates too far apart for one bitmap.
    EXPECT_EQ(FailureOf(nullptr, RECT{INT_MIN + 1, 0, INT_MAX, 1}),
              L"Bitmap too large in GraphicsFunc::ChangeBrightness");

    // CreateCompatibleDC(nullptr) and GetDIBits on the function's own, freshly made bitmap could not be made
    // to fail under Wine (not even with a bitmap of tens of thousands of pixels a side, where
    // CreateDIBitmap gives up first), so "CreateCompatibleDC" and "Failed at GetDIBits" are not provoked.
}

TEST(MakeBitmapHeader, MapsRequestedBitCounts) {
    const std::pair<int, int> cases[] = {{1, 1},   {0, 4},   {2, 4},   {4, 4},   {5, 8},   {8, 8},  {9, 16},
                                         {16, 16}, {17, 24}, {24, 24}, {25, 32}, {32, 32}, {64, 32}};
    for (const auto& [requested, expected] : cases) {
        EXPECT_EQ(GraphicsFunc::HeaderBitCount(requested), expected) << "requested " << requested;
        EXPECT_EQ(GraphicsFunc::MakeBitmapHeader(2, 2, requested).Header().biBitCount, expected);
    }
}

TEST(MakeBitmapHeader, ColourTableOnlyUpToEightBits) {
    struct Case {
        int bits;
        std::size_t size;
        DWORD clrUsed;
    };
    for (const Case& c : {Case{1, 48, 2}, Case{4, 104, 16}, Case{8, 1064, 256}, Case{16, 40, 0},
                          Case{24, 40, 0}, Case{32, 40, 0}}) {
        GraphicsFunc::BitmapHeader header = GraphicsFunc::MakeBitmapHeader(5, 7, c.bits);
        EXPECT_EQ(header.Size(), c.size) << c.bits << " bits";
        EXPECT_EQ(header.Header().biClrUsed, c.clrUsed) << c.bits << " bits";
        EXPECT_EQ(header.ColorCount(), c.clrUsed);
        for (std::size_t i = 0; i < header.ColorCount(); ++i) {
            const RGBQUAD q = header.Colors()[i];
            ASSERT_EQ(q.rgbRed | q.rgbGreen | q.rgbBlue | q.rgbReserved, 0);
        }
    }
}

TEST(MakeBitmapHeader, FieldsAndPaddedImageSize) {
    GraphicsFunc::BitmapHeader header = GraphicsFunc::MakeBitmapHeader(3, 5, 24);
    const BITMAPINFOHEADER& h = header.Header();
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 5);  // bottom-up
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(h.biSizeImage, 5u * 12u);  // 9 bytes of pixels padded to 12
    EXPECT_EQ(h.biXPelsPerMeter, 0);
    EXPECT_EQ(h.biYPelsPerMeter, 0);
    EXPECT_EQ(h.biClrImportant, 0u);

    EXPECT_EQ(GraphicsFunc::MakeBitmapHeader(33, 2, 1).Header().biSizeImage, 2u * 8u);
    EXPECT_EQ(GraphicsFunc::MakeBitmapHeader(3, 2, 16).Header().biSizeImage, 2u * 8u);
    EXPECT_EQ(GraphicsFunc::MakeBitmapHeader(3, 2, 32).Header().biSizeImage, 2u * 12u);
    // An image size past 32 bits is refused instead of wrapping to a small buffer.
    EXPECT_THROW(GraphicsFunc::MakeBitmapHeader(70000, 70000, 32), fw::Exception);

    // GDI accepts the record as it is: an 8-bit section with the 256-entry table.
    GraphicsFunc::BitmapHeader eight = GraphicsFunc::MakeBitmapHeader(10, 4, 8);
    void* bits = nullptr;
    fw::unique_hbitmap section(::CreateDIBSection(nullptr, eight.Info(), DIB_RGB_COLORS, &bits, nullptr, 0));
    EXPECT_TRUE(section);
}

}  // namespace
