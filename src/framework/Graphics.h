// Drawing objects: fonts, pens, brushes, bitmaps and the canvas that uses them.
//
// Font, Pen and Brush are property holders that make their GDI object when first needed and remake it
// after a change; each owns its object. A Canvas draws on a device context it does not own: the
// context is handed to it (SetHandle) or fetched on demand by a derived canvas (CreateHandle). While a
// context is attached the canvas keeps its font, pen and brush selected into it and puts the original
// objects back when the context is detached. A Bitmap owns its picture (read and checked by BitmapFile,
// never by the platform's loader), shared with its copies, and the stretched copies of it that StretchDraw
// reuses.
#pragma once

#include "framework/Dpi.h"
#include "framework/ScaledBitmapCache.h"
#include "framework/UniqueAny.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

namespace fw {

// Colours are 0x00BBGGRR; a value with 0x80000000 set names a system colour (its low byte is the
// GetSysColor index).
using Color = unsigned int;
constexpr Color kSystemColorFlag = 0x80000000u;
constexpr Color SystemColor(int index) {
    return kSystemColorFlag | static_cast<Color>(index);
}
constexpr Color clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr Color clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr Color clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr Color clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr Color clWhite = 0x00FFFFFF;
constexpr Color clNavy = 0x00800000;
COLORREF ColorToRGB(Color color) noexcept;

// Turns the colours a drawing names into the ones a colour scheme shows (a dark scheme, high contrast).
// A canvas or form without one shows the colours as named.
class ColorMap {
public:
    virtual COLORREF Resolve(Color color) const noexcept = 0;

protected:
    ~ColorMap() = default;
};
// `color` through `map`, or as named when there is none.
COLORREF Resolve(const ColorMap* map, Color color) noexcept;

enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font's size is given in pixels at 96 DPI; the font is made for the DPI of where it is drawn (its
// canvas's or control's), which copying a font's description does not change.
class Font {
public:
    // The framework's default font: the Japanese UI font at 12 pixels, window-text colour.
    Font();
    Font(const Font& other) { Assign(other); }
    Font& operator=(const Font& other) {
        Assign(other);
        return *this;
    }
    void Assign(const Font& other);

    const std::wstring& Name() const noexcept { return name_; }
    void SetName(const std::wstring& name);
    // Character height in pixels at 96 DPI (LOGFONT convention).
    int Height() const noexcept { return height_; }
    void SetHeight(int height);
    unsigned Style() const noexcept { return style_; }
    void SetStyle(unsigned style);
    BYTE Charset() const noexcept { return charset_; }
    void SetCharset(BYTE charset);
    Color GetColor() const noexcept { return color_; }
    void SetColor(Color color) noexcept { color_ = color; }
    // The DPI the font is made for; 96 unless its user says otherwise.
    int Dpi() const noexcept { return dpi_; }
    void SetDpi(int dpi);

    HFONT Handle() const;
    bool SameAs(const Font& other) const noexcept;

private:
    void Changed() noexcept { handle_.reset(); }
    std::wstring name_;
    int height_;
    unsigned style_ = 0;
    BYTE charset_;
    Color color_;
    int dpi_ = kBaseDpi;
    mutable unique_hfont handle_;
};

class Pen {
public:
    Color GetColor() const noexcept { return color_; }
    void SetColor(Color color);
    HPEN Handle(const ColorMap* map = nullptr) const;

private:
    Color color_ = 0;
    mutable COLORREF shown_ = 0;  // what the handle draws with
    mutable unique_hpen handle_;
};

enum class BrushStyle { Solid, Clear };

class Brush {
public:
    Color GetColor() const noexcept { return color_; }
    void SetColor(Color color);  // also makes the style solid
    BrushStyle Style() const noexcept { return style_; }
    void SetStyle(BrushStyle style) noexcept { style_ = style; }
    HBRUSH Handle(const ColorMap* map = nullptr) const;

private:
    Color color_ = clWhite;
    mutable COLORREF shown_ = 0;  // what the handle paints with
    BrushStyle style_ = BrushStyle::Solid;
    mutable unique_hbrush handle_;
};

class Bitmap {
public:
    Bitmap() = default;
    // A copy shows the same picture without copying its pixels (a picture is replaced, never changed);
    // its stretched copies are its own.
    Bitmap(const Bitmap& other) noexcept : picture_(other.picture_) {}
    Bitmap& operator=(const Bitmap& other) noexcept;

    // Throws fw::Exception naming the fault and the path when the file is no usable bitmap; the old
    // picture then stays.
    void LoadFromFile(const std::wstring& path);
    // The same, shrunk to at most `most` on each side where the picture is larger (stretched as it is
    // drawn): a picture drawn stretched needs no more pixels than the largest place it is drawn on.
    void LoadFromFile(const std::wstring& path, SIZE most);
    bool Empty() const noexcept { return !picture_; }
    int Width() const noexcept { return picture_ ? picture_->width : 0; }
    int Height() const noexcept { return picture_ ? picture_->height : 0; }
    HBITMAP Handle() const noexcept { return picture_ ? picture_->handle.get() : nullptr; }
    // Whether both show the very picture that one of them loaded.
    bool SamePicture(const Bitmap& other) const noexcept { return picture_ == other.picture_; }
    void Clear() noexcept;
    // The whole picture stretched to width x height (COLORONCOLOR), kept for the next draw of that size.
    // Null when none is kept; borrowed, valid until the next call or a change of picture.
    HBITMAP Scaled(int width, int height) const;

private:
    struct Picture {
        unique_hbitmap handle;
        int width;
        int height;
    };
    void Take(unique_hbitmap handle, int width, int height);

    std::shared_ptr<const Picture> picture_;
    mutable ScaledBitmapCache scaled_;
};

class Canvas {
public:
    Canvas() = default;
    virtual ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Font& GetFont() noexcept { return font_; }
    Pen& GetPen() noexcept { return pen_; }
    // The DPI the canvas draws text for (its font's); set by whoever attaches the context.
    int Dpi() const noexcept { return font_.Dpi(); }
    void SetDpi(int dpi) { font_.SetDpi(dpi); }
    Brush& GetBrush() noexcept { return brush_; }
    // The colour scheme the canvas draws in (borrowed; null: colours as named).
    void SetColorMap(const ColorMap* map) noexcept { map_ = map; }
    const ColorMap* GetColorMap() const noexcept { return map_; }
    // What a colour named in a drawing shows as on this canvas.
    COLORREF Shown(Color color) const noexcept { return Resolve(map_, color); }

    // The device context with this canvas's font, pen and brush selected; null when none can be had.
    HDC Handle();
    // Attaches a borrowed device context (null detaches and restores the original objects).
    void SetHandle(HDC dc);
    bool HandleAllocated() const noexcept { return dc_ != nullptr; }

    void FillRect(const RECT& rect);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);  // draws up to, not including, the end point
    POINT PenPos() const noexcept { return penPos_; }
    // Draws `text` at (x, y), clipped to `rect`. A clear brush leaves the background as it is; a solid
    // one fills the rectangle behind the text.
    void TextRect(const RECT& rect, int x, int y, const std::wstring& text);
    void TextOut(int x, int y, const std::wstring& text);
    SIZE TextExtent(const std::wstring& text);
    int TextWidth(const std::wstring& text) { return TextExtent(text).cx; }
    int TextHeight(const std::wstring& text) { return TextExtent(text).cy; }
    // `text` as it fits into `width` pixels in the canvas's font: whole when it fits, else as much of its
    // start as leaves room for an ellipsis ("…"), followed by the ellipsis.
    std::wstring FitText(const std::wstring& text, int width);
    // The whole bitmap stretched onto `rect`; a size drawn before is copied from the bitmap's scaled copy.
    void StretchDraw(const RECT& rect, const Bitmap& bitmap);
    // Image `index` of an image list as a `size` x `size` icon at (x, y): straight from the list when
    // its images have that size, else shrunk (or stretched) to it.
    void DrawImage(HIMAGELIST list, int index, int x, int y, int size);

protected:
    // Derived canvases fetch a device context here when Handle() is asked for one.
    virtual void CreateHandle() {}

private:
    void SelectObjects();
    void DeselectObjects();

    HDC dc_ = nullptr;
    const ColorMap* map_ = nullptr;
    Font font_;
    Pen pen_;
    Brush brush_;
    POINT penPos_{};
    HGDIOBJ oldFont_ = nullptr;
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldBrush_ = nullptr;
};

}  // namespace fw
