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

COLORREF Resolve(const ColorMap* map, Color color) noexcept {
    return map ? map->Resolve(color) : ColorToRGB(color);
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

HPEN Pen::Handle(const ColorMap* map) const {
    const COLORREF shown = Resolve(map, color_);
    if (!handle_ || shown != shown_) {
        handle_.reset(::CreatePen(PS_SOLID, 1, shown));
        shown_ = shown;
    }
    return handle_.get();
}

void Brush::SetColor(Color color) {
    style_ = BrushStyle::Solid;
    if (color == color_ && handle_) return;
    color_ = color;
    handle_.reset();
}

HBRUSH Brush::Handle(const ColorMap* map) const {
    if (style_ == BrushStyle::Clear) return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    const COLORREF shown = Resolve(map, color_);
    if (!handle_ || shown != shown_) {
        handle_.reset(::CreateSolidBrush(shown));
        shown_ = shown;
    }
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
                        std::to_wstring(height) + L" pixels): " + path,
                    E_OUTOFMEMORY);
}

std::size_t Stride(int width, int bits) noexcept {
    return (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
}

// Copies pixel `from` of a row of `bits` bits per pixel to pixel `to` of another.
void CopyPixel(const BYTE* source, std::size_t from, BYTE* target, std::size_t to, int bits) noexcept {
    if (bits >= 8) {
        std::memcpy(target + to * (bits / 8), source + from * (bits / 8), bits / 8);
        return;
    }
    const std::size_t perByte = 8 / bits;
    const int fromShift = 8 - bits * static_cast<int>(from % perByte + 1);
    const int toShift = 8 - bits * static_cast<int>(to % perByte + 1);
    const int mask = (1 << bits) - 1;
    BYTE& out = target[to / perByte];
    out = static_cast<BYTE>((out & ~(mask << toShift)) |
                            (((source[from / perByte] >> fromShift) & mask) << toShift));
}

// The file's picture at width x height (smaller), each pixel the nearest of the file's, in the file's own
// format and colours: nothing is converted, and no picture of the whole size is ever made.
unique_hbitmap Shrink(const BitmapFile& file, int width, int height) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    const BITMAPINFO* whole = file.Info();
    info.header = whole->bmiHeader;
    const int bits = info.header.biBitCount;
    const DWORD colors = info.header.biCompression == BI_BITFIELDS ? 3 : info.header.biClrUsed;
    std::memcpy(info.colors, whole->bmiColors, colors * sizeof(RGBQUAD));
    info.header.biWidth = width;
    info.header.biHeight = whole->bmiHeader.biHeight < 0 ? -height : height;
    info.header.biSizeImage = static_cast<DWORD>(Stride(width, bits) * height);
    void* pixels = nullptr;
    unique_hbitmap dib(::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                          &pixels, nullptr, 0));
    if (!dib || !pixels) return {};
    const std::size_t fromStride = Stride(file.Width(), bits);
    const std::size_t toStride = Stride(width, bits);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        const BYTE* from = file.Bits() + fromStride * (y * file.Height() / height);
        BYTE* to = static_cast<BYTE*>(pixels) + toStride * y;
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x)
            CopyPixel(from, x * file.Width() / width, to, x, bits);
    }
    return dib;
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
    unique_hbitmap shrunk = Shrink(file, width, height);
    if (!shrunk) NoMemoryFor(width, height, path);
    Take(std::move(shrunk), width, height);
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
    HGDIOBJ p = ::SelectObject(dc_, pen_.Handle(map_));
    HGDIOBJ b = ::SelectObject(dc_, brush_.Handle(map_));
    if (!oldFont_) oldFont_ = f;
    if (!oldPen_) oldPen_ = p;
    if (!oldBrush_) oldBrush_ = b;
    ::SetTextColor(dc_, Shown(font_.GetColor()));
    if (brush_.Style() == BrushStyle::Clear) {
        ::SetBkMode(dc_, TRANSPARENT);
    } else {
        ::SetBkMode(dc_, OPAQUE);
        ::SetBkColor(dc_, Shown(brush_.GetColor()));
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
    ::FillRect(dc, &rect, brush_.Handle(map_));
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

std::wstring Canvas::FitText(const std::wstring& text, int width) {
    HDC dc = Handle();
    if (!dc || text.empty()) return text;
    const int length = static_cast<int>(text.size());
    SIZE whole{};
    if (!::GetTextExtentPoint32W(dc, text.c_str(), length, &whole) || whole.cx <= width) return text;
    static constexpr wchar_t kEllipsis[] = L"\u2026";
    SIZE ellipsis{};
    ::GetTextExtentPoint32W(dc, kEllipsis, 1, &ellipsis);
    int fit = 0;
    if (width > ellipsis.cx &&
        !::GetTextExtentExPointW(dc, text.c_str(), length, width - ellipsis.cx, &fit, nullptr, &whole)) {
        fit = 0;
    }
    fit = std::clamp(fit, 0, length);
    // Never half of a character that takes two units.
    if (fit > 0 && IS_HIGH_SURROGATE(text[static_cast<size_t>(fit - 1)])) --fit;
    return text.substr(0, static_cast<size_t>(fit)) + kEllipsis;
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
