// A windowless caption drawn with a font of any size and weight, optionally rotated, over an optional
// colour gradient and with an optional drop shadow. Without a gradient the label paints only its text:
// whatever the form painted behind it shows through. The font's size, the margins and the shadow's
// distance are pixels at 96 DPI, drawn scaled to the form's DPI; the label's bounds are the form's.
#pragma once

#include "framework/GraphicControl.h"
#include "framework/Graphics.h"

#include <windows.h>

#include <string>

enum THorizontalAlignment { taLeftJustify, taRightJustify, taHCenter };
enum TVerticalAlignment { taTopJustify, taBottomJustify, taVCenter };
enum TDirGradation { taNoGradation, taHorizontalGradation, taVerticalGradation };
// The direction the text runs in.
enum TFontAngle { faLeftToRight, faRightToLeft, faTopToBottom, faBottomToTop };

class TSuperLabel : public fw::GraphicControl {
public:
    explicit TSuperLabel(fw::Component* owner);

    // Clamped to 0..1000.
    int FontWeight() const noexcept { return fontWeight_; }
    void SetFontWeight(int weight);
    // Cell height of the drawn font; also the text's height when the label places it.
    int FontHeight() const noexcept { return fontHeight_; }
    void SetFontHeight(int height);
    // 0 lets the font choose the width that suits its height.
    int FontWidth() const noexcept { return fontWidth_; }
    void SetFontWidth(int width);
    THorizontalAlignment HorizontalAlignment() const noexcept { return horizontalAlignment_; }
    void SetHorizontalAlignment(THorizontalAlignment alignment);
    TVerticalAlignment VerticalAlignment() const noexcept { return verticalAlignment_; }
    void SetVerticalAlignment(TVerticalAlignment alignment);
    TDirGradation DirGradation() const noexcept { return dirGradation_; }
    void SetDirGradation(TDirGradation direction);
    // The gradient's first and last colour, taken as plain 0x00BBGGRR values (a system colour's flag is
    // not resolved).
    fw::Color LeftTopColor() const noexcept { return leftTopColor_; }
    void SetLeftTopColor(fw::Color color);
    fw::Color RightBottomColor() const noexcept { return rightBottomColor_; }
    void SetRightBottomColor(fw::Color color);
    const std::wstring& Caption() const noexcept { return caption_; }
    void SetCaption(const std::wstring& caption);
    TFontAngle Angle() const noexcept { return angle_; }
    void SetAngle(TFontAngle angle);
    // Face, text colour and italic/underline/strike-out come from here; size and weight from the
    // properties above.
    const fw::Font& GetFont() const noexcept { return font_; }
    // Copies the face, colour and style.
    void SetFont(const fw::Font& font);
    int LeftRightMargin() const noexcept { return leftRightMargin_; }
    void SetLeftRightMargin(int margin);
    int TopBottomMargin() const noexcept { return topBottomMargin_; }
    void SetTopBottomMargin(int margin);
    bool Shadow() const noexcept { return shadow_; }
    void SetShadow(bool shadow);
    // How far right and down the shadow lies from the text.
    int ShadowLeave() const noexcept { return shadowLeave_; }
    void SetShadowLeave(int leave);
    fw::Color ShadowColor() const noexcept { return shadowColor_; }
    void SetShadowColor(fw::Color color);

    // Where the text's reference point goes (label coordinates) for a caption `textWidth` pixels long,
    // from the angle, the alignments and the margins.
    POINT TextOrigin(int textWidth) const;

    void Paint(const RECT& clip) override;

private:
    void PaintGradation(HDC dc);
    fw::unique_hfont MakeFont() const;

    int fontWeight_ = FW_NORMAL;
    int fontHeight_ = 12;
    int fontWidth_ = 0;
    THorizontalAlignment horizontalAlignment_ = taHCenter;
    TVerticalAlignment verticalAlignment_ = taVCenter;
    TDirGradation dirGradation_ = taNoGradation;
    fw::Color leftTopColor_ = 0;
    fw::Color rightBottomColor_ = 0;
    std::wstring caption_ = L"SuperLabel";
    TFontAngle angle_ = faLeftToRight;
    fw::Font font_;
    int leftRightMargin_ = 0;
    int topBottomMargin_ = 0;
    bool shadow_ = false;
    int shadowLeave_ = 2;
    fw::Color shadowColor_ = 0;
};
