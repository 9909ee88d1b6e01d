#include "dialogs/SuperLabel.h"

#include "framework/GdiScope.h"

#include <algorithm>

namespace {

// Palette-relative colour: on a palette display the nearest colour of the selected palette instead of a
// dithered one, on a true-colour display the colour itself.
constexpr COLORREF kPaletteRelative = 0x02000000;

double ColorByte(fw::Color color, int index) noexcept {
    return static_cast<double>((color >> (8 * index)) & 0xFF);
}

// Written so that a value that is no number at all ends as 0 too.
void ClampChannel(double& value) noexcept {
    if (value > 255) value = 255;
    if (!(value >= 0)) value = 0;
}

int Escapement(TFontAngle angle) noexcept {
    switch (angle) {
        case faRightToLeft:
            return 1800;
        case faTopToBottom:
            return 2700;
        case faBottomToTop:
            return 900;
        case faLeftToRight:
        default:
            return 0;
    }
}

int Pick(THorizontalAlignment alignment, int centred, int left, int right) noexcept {
    if (alignment == taLeftJustify) return left;
    if (alignment == taRightJustify) return right;
    return centred;
}

int Pick(TVerticalAlignment alignment, int centred, int top, int bottom) noexcept {
    if (alignment == taTopJustify) return top;
    if (alignment == taBottomJustify) return bottom;
    return centred;
}

}  // namespace

TSuperLabel::TSuperLabel(fw::Component* owner) : fw::GraphicControl(owner) {
    SetBounds(0, 0, 60, 25);
}

void TSuperLabel::SetFontWeight(int weight) {
    fontWeight_ = std::clamp(weight, 0, 1000);
    Invalidate();
}

void TSuperLabel::SetFontHeight(int height) {
    fontHeight_ = height;
    Invalidate();
}

void TSuperLabel::SetFontWidth(int width) {
    fontWidth_ = width;
    Invalidate();
}

void TSuperLabel::SetHorizontalAlignment(THorizontalAlignment alignment) {
    horizontalAlignment_ = alignment;
    Invalidate();
}

void TSuperLabel::SetVerticalAlignment(TVerticalAlignment alignment) {
    verticalAlignment_ = alignment;
    Invalidate();
}

void TSuperLabel::SetDirGradation(TDirGradation direction) {
    dirGradation_ = direction;
    Invalidate();
}

void TSuperLabel::SetLeftTopColor(fw::Color color) {
    leftTopColor_ = color;
    Invalidate();
}

void TSuperLabel::SetRightBottomColor(fw::Color color) {
    rightBottomColor_ = color;
    Invalidate();
}

void TSuperLabel::SetCaption(const std::wstring& caption) {
    caption_ = caption;
    Invalidate();
}

void TSuperLabel::SetAngle(TFontAngle angle) {
    angle_ = angle;
    Invalidate();
}

void TSuperLabel::SetFont(const fw::Font& font) {
    font_.SetName(font.Name());
    font_.SetColor(font.GetColor());
    font_.SetStyle(font.Style());
    Invalidate();
}

void TSuperLabel::SetLeftRightMargin(int margin) {
    leftRightMargin_ = margin;
    Invalidate();
}

void TSuperLabel::SetTopBottomMargin(int margin) {
    topBottomMargin_ = margin;
    Invalidate();
}

void TSuperLabel::SetShadow(bool shadow) {
    shadow_ = shadow;
    Invalidate();
}

void TSuperLabel::SetShadowLeave(int leave) {
    shadowLeave_ = leave;
    Invalidate();
}

void TSuperLabel::SetShadowColor(fw::Color color) {
    shadowColor_ = color;
    Invalidate();
}

// A rotated font turns around the reference point (the top-left corner of the unrotated text), so
// each direction places that corner differently: centred means the rotated text's box is centred.
POINT TSuperLabel::TextOrigin(int textWidth) const {
    const int w = Width();
    const int h = Height();
    const int t = Scale(fontHeight_);
    const int l = textWidth;
    const int m = Scale(leftRightMargin_);
    const int n = Scale(topBottomMargin_);
    const THorizontalAlignment ha = horizontalAlignment_;
    const TVerticalAlignment va = verticalAlignment_;
    switch (angle_) {
        case faRightToLeft:
            return POINT{Pick(ha, (l + w) / 2, l + m, w - m), Pick(va, (h + t) / 2, t + n, h - n)};
        case faTopToBottom:
            return POINT{Pick(ha, (w + t) / 2, t + m, w - m), Pick(va, (h - l) / 2, n, h - l - n)};
        case faBottomToTop:
            return POINT{Pick(ha, (w - t) / 2, m, w - t - m), Pick(va, (l + h) / 2, l + n, h - n)};
        case faLeftToRight:
        default:
            return POINT{Pick(ha, (w - l) / 2, m, w - l - m), Pick(va, (h - t) / 2, n, h - t - n)};
    }
}

fw::unique_hfont TSuperLabel::MakeFont() const {
    const unsigned style = font_.Style();
    return fw::unique_hfont(::CreateFontW(
        Scale(fontHeight_), Scale(fontWidth_), Escapement(angle_), 0, fontWeight_,
        (style & fw::fsItalic) ? TRUE : FALSE, (style & fw::fsUnderline) ? TRUE : FALSE,
        (style & fw::fsStrikeOut) ? TRUE : FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, font_.Name().c_str()));
}

void TSuperLabel::Paint(const RECT&) {
    HDC dc = GetCanvas().Handle();
    if (!dc) return;
    fw::ScopedSaveDc saved(dc);
    PaintGradation(dc);
    if (caption_.empty()) return;

    fw::unique_hfont font = MakeFont();
    if (!font) return;
    fw::ScopedSelect selected(dc, font.get());
    const int length = static_cast<int>(caption_.size());
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, caption_.c_str(), length, &extent);
    const POINT at = TextOrigin(extent.cx);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ::SetBkMode(dc, TRANSPARENT);
    if (shadow_) {
        ::SetTextColor(dc, fw::ColorToRGB(shadowColor_));
        const int leave = Scale(shadowLeave_);
        ::TextOutW(dc, at.x + leave, at.y + leave, caption_.c_str(), length);
    }
    ::SetTextColor(dc, fw::ColorToRGB(font_.GetColor()));
    ::TextOutW(dc, at.x, at.y, caption_.c_str(), length);
}

// One line per column (or row), each a step nearer the end colour; the last line stops one step short
// of it.
void TSuperLabel::PaintGradation(HDC dc) {
    if (dirGradation_ == taNoGradation) return;
    const bool horizontal = dirGradation_ == taHorizontalGradation;
    // A label with nothing to divide gets one line.
    if (horizontal && Width() <= 0) SetClientWidth(1);
    if (!horizontal && Height() <= 0) SetClientHeight(1);
    const int lines = horizontal ? Width() : Height();

    double red = ColorByte(leftTopColor_, 0);
    double green = ColorByte(leftTopColor_, 1);
    double blue = ColorByte(leftTopColor_, 2);
    const double redStep = (ColorByte(rightBottomColor_, 0) - red) / lines;
    const double greenStep = (ColorByte(rightBottomColor_, 1) - green) / lines;
    const double blueStep = (ColorByte(rightBottomColor_, 2) - blue) / lines;

    ::SetROP2(dc, R2_COPYPEN);
    for (int i = 0; i < lines; ++i) {
        ClampChannel(red);
        ClampChannel(green);
        ClampChannel(blue);
        const COLORREF color = static_cast<COLORREF>(static_cast<BYTE>(red)) |
                               (static_cast<COLORREF>(static_cast<BYTE>(green)) << 8) |
                               (static_cast<COLORREF>(static_cast<BYTE>(blue)) << 16) | kPaletteRelative;
        fw::unique_hpen pen(::CreatePen(PS_SOLID, 1, color));
        fw::ScopedSelect selected(dc, pen.get());
        if (horizontal) {
            ::MoveToEx(dc, i, 0, nullptr);
            ::LineTo(dc, i, Height());
        } else {
            ::MoveToEx(dc, 0, i, nullptr);
            ::LineTo(dc, Width(), i);
        }
        red += redStep;
        green += greenStep;
        blue += blueStep;
    }
}
