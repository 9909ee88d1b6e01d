#include "framework/Graphics.h"

#include "framework/BitmapFile.h"
#include "framework/Exception.h"
#include "framework/GdiScope.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace fw {

COLORREF ColorToRGB(Color color) noexcept {
    if (color & kSystemColorFlag) return ::GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0x00FFFFFF);
}

Font::Font() : name_(L"ＭＳ Ｐゴシック"), height_(12), charset_(SHIFTJIS_CHARSET), color_(clWindowText) {}

void Font::Assign(const Font& other) {
    if (this == &other) return;
    if (!SameAs(other)) Changed();
    name_ = other.name_;
    height_ = other.height_;
    style_ = other.style_;
    charset_ = other.charset_;
    color_ = other.color_;
}

bool Font::SameAs(const Font& other) const noexcept {
    return name_ == other.name_ && height_ == other.height_ && style_ == other.style_ &&
           charset_ == other.charset_;
}

void Font::SetName(const std::wstring& name) {
    if (name == name_) return;
    name_ = name;
    Changed();
}
void Font::SetHeight(int height) {
    if (height == height_) return;
    height_ = height;
    Changed();
}
void Font::SetStyle(unsigned style) {
    if (style == style_) return;
    style_ = style;
    Changed();
}
void Font::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    Changed();
}
void Font::SetCharset(BYTE charset) {
    if (charset == charset_) return;
    charset_ = charset;
    Changed();
}

HFONT Font::Handle() const {
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = -ScaleForDpi(height_, dpi_);
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
        lf.lfCharSet = charset_;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_.reset(::CreateFontIndirectW(&lf));
    }
    return handle_.get();
}

void Pen::SetColor(Color color) {
    if (color == color_ && handle_) return;
    color_ = color;
    handle_.reset();
}

HPEN Pen::Handle() const {
    if (!handle_) handle_.reset(::CreatePen(PS_SOLID, 1, ColorToRGB(color_)));
    return handle_.get();
}

void Brush::SetColor(Color color) {
    style_ = BrushStyle::Solid;
    if (color == color_ && handle_) return;
    color_ = color;
    handle_.reset();
}

HBRUSH Brush::Handle() const {
    if (style_ == BrushStyle::Clear) return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    if (!handle_) handle_.reset(::CreateSolidBrush(ColorToRGB(color_)));
    return handle_.get();
}

Bitmap& Bitmap::operator=(const Bitmap& other) noexcept {
    if (picture_ != other.picture_) {
        picture_ = other.picture_;
        scaled_.Clear();
    }
    return *this;
}

void Bitmap::Take(unique_hbitmap handle, int width, int height) {
    picture_ = std::make_shared<const Picture>(Picture{std::move(handle), width, height});
    scaled_.Clear();
}

namespace {
[[noreturn]] void NoMemoryFor(int width, int height, const std::wstring& path) {
    throw Exception(L"There is not enough memory for the bitmap (" + std::to_wstring(width) + L" x " +
                    std::to_wstring(height) + L" pixels): " + path);
}
}  // namespace

void Bitmap::LoadFromFile(const std::wstring& path) {
    LoadFromFile(path, SIZE{LONG_MAX, LONG_MAX});
}

void Bitmap::LoadFromFile(const std::wstring& path, SIZE most) {
    const BitmapFile file = BitmapFile::Read(path);
    const int width = std::min(file.Width(), std::max(1, static_cast<int>(most.cx)));
    const int height = std::min(file.Height(), std::max(1, static_cast<int>(most.cy)));
    if (width == file.Width() && height == file.Height()) {
        // The file's own bit depth and colour table: a one-bit picture stays one bit per pixel in memory.
        void* bits = nullptr;
        unique_hbitmap dib(::CreateDIBSection(nullptr, file.Info(), DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dib || !bits) NoMemoryFor(width, height, path);
        std::memcpy(bits, file.Bits(), file.BitsSize());
        Take(std::move(dib), width, height);
        return;
    }
    // Straight from the file's pixels into a 32-bit picture of the smaller size, which holds any colour
    // of any depth: the whole picture is never made.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    unique_hbitmap dib(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    unique_hdc dc(::CreateCompatibleDC(nullptr));
    if (!dib || !bits || !dc) NoMemoryFor(width, height, path);
    {
        ScopedSelect select(dc.get(), dib.get());
        ::SetStretchBltMode(dc.get(), COLORONCOLOR);
        // The rows drawn; none (or GDI_ERROR, -1) when GDI refused.
        if (!select.Selected() ||
            ::StretchDIBits(dc.get(), 0, 0, width, height, 0, 0, file.Width(), file.Height(), file.Bits(),
                            file.Info(), DIB_RGB_COLORS, SRCCOPY) <= 0) {
            throw Exception(L"The bitmap could not be scaled down to " + std::to_wstring(width) + L" x " +
                            std::to_wstring(height) + L" pixels: " + path);
        }
    }
    Take(std::move(dib), width, height);
}

void Bitmap::Clear() noexcept {
    scaled_.Clear();
    picture_.reset();
}

HBITMAP Bitmap::Scaled(int width, int height) const {
    if (Empty()) return nullptr;
    return scaled_.Get(picture_->handle.get(), picture_->width, picture_->height, width, height);
}

Canvas::~Canvas() {
    SetHandle(nullptr);
}

HDC Canvas::Handle() {
    if (!dc_) CreateHandle();
    if (dc_) SelectObjects();
    return dc_;
}

void Canvas::SetHandle(HDC dc) {
    if (dc == dc_) return;
    if (dc_) DeselectObjects();
    dc_ = dc;
}

void Canvas::SelectObjects() {
    // Reselected on every use: the font, pen or brush may have been remade since the last one.
    HGDIOBJ f = ::SelectObject(dc_, font_.Handle());
    HGDIOBJ p = ::SelectObject(dc_, pen_.Handle());
    HGDIOBJ b = ::SelectObject(dc_, brush_.Handle());
    if (!oldFont_) oldFont_ = f;
    if (!oldPen_) oldPen_ = p;
    if (!oldBrush_) oldBrush_ = b;
    ::SetTextColor(dc_, ColorToRGB(font_.GetColor()));
    if (brush_.Style() == BrushStyle::Clear) {
        ::SetBkMode(dc_, TRANSPARENT);
    } else {
        ::SetBkMode(dc_, OPAQUE);
        ::SetBkColor(dc_, ColorToRGB(brush_.GetColor()));
    }
}

void Canvas::DeselectObjects() {
    if (oldFont_) ::SelectObject(dc_, oldFont_);
    if (oldPen_) ::SelectObject(dc_, oldPen_);
    if (oldBrush_) ::SelectObject(dc_, oldBrush_);
    oldFont_ = oldPen_ = oldBrush_ = nullptr;
}

void Canvas::FillRect(const RECT& rect) {
    HDC dc = Handle();
    if (!dc || brush_.Style() == BrushStyle::Clear) return;
    ::FillRect(dc, &rect, brush_.Handle());
}

void Canvas::MoveTo(int x, int y) {
    if (HDC dc = Handle()) ::MoveToEx(dc, x, y, nullptr);
    penPos_ = POINT{x, y};
}

void Canvas::LineTo(int x, int y) {
    if (HDC dc = Handle()) ::LineTo(dc, x, y);
    penPos_ = POINT{x, y};
}

void Canvas::TextRect(const RECT& rect, int x, int y, const std::wstring& text) {
    HDC dc = Handle();
    if (!dc) return;
    UINT options = ETO_CLIPPED;
    if (brush_.Style() != BrushStyle::Clear) options |= ETO_OPAQUE;
    ::ExtTextOutW(dc, x, y, options, &rect, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

void Canvas::TextOut(int x, int y, const std::wstring& text) {
    if (HDC dc = Handle())
        ::ExtTextOutW(dc, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

SIZE Canvas::TextExtent(const std::wstring& text) {
    SIZE size{};
    HDC dc = Handle();
    if (!dc) return size;
    if (text.empty()) {
        // The height of an empty caption is still one line of text.
        ::GetTextExtentPoint32W(dc, L" ", 1, &size);
        size.cx = 0;
        return size;
    }
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void Canvas::StretchDraw(const RECT& rect, const Bitmap& bitmap) {
    HDC dc = Handle();
    if (!dc || bitmap.Empty()) return;
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (HBITMAP scaled = bitmap.Scaled(w, h)) {
        unique_hdc memory(::CreateCompatibleDC(dc));
        if (!memory) return;
        ScopedSelect select(memory.get(), scaled);
        if (select.Selected()) ::BitBlt(dc, rect.left, rect.top, w, h, memory.get(), 0, 0, SRCCOPY);
        return;
    }
    // A size not worth keeping: the same stretch, straight onto the canvas.
    StretchWhole(dc, rect, bitmap.Handle(), bitmap.Width(), bitmap.Height());
}

void Canvas::DrawImage(HIMAGELIST list, int index, int x, int y, int size) {
    HDC dc = Handle();
    if (!dc || !list) return;
    int cx = 0;
    int cy = 0;
    if (::ImageList_GetIconSize(list, &cx, &cy) && cx == size && cy == size) {
        ::ImageList_Draw(list, index, dc, x, y, ILD_TRANSPARENT);
        return;
    }
    // DrawIconEx scales with the icon's mask and alpha, which a stretch of the list's bitmap would lose.
    const unique_hicon icon(::ImageList_GetIcon(list, index, ILD_TRANSPARENT));
    if (!icon) return;
    ::DrawIconEx(dc, x, y, icon.get(), size, size, 0, nullptr, DI_NORMAL);
}

}  // namespace fw
