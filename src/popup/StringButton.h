// Entries with a caption: TStringButton measures itself as its caption's text; TLabel is a caption
// that is never highlighted (for lines such as "cannot access"). An entry given less room than its
// caption measured (a window cut to the screen's width) draws the caption cut with an ellipsis.
#pragma once

#include "popup/PopupButtonBase.h"

class TStringButton : public virtual TPopupButtonBase {
public:
    TStringButton() = default;

    void Measure() override;
    const std::wstring* CaptionText() const override { return &caption_; }
    void SetCaption(const std::wstring& text);
    const std::wstring& Caption() const noexcept { return caption_; }
    fw::Font& GetFont() noexcept { return font_; }

protected:
    // Draws the caption at (x, y), clipped to `rect`, cut with an ellipsis when `room` (its space in
    // pixels) is less than it measured; the canvas has the caption's font.
    void DrawCaption(fw::Canvas& canvas, const RECT& rect, int x, int y, int room);

private:
    std::wstring caption_;
    fw::Font font_;
    int captionWidth_ = 0;  // as last measured
};

class TLabel : public virtual TStringButton {
public:
    void Paint() override;
};
