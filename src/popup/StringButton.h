// Entries with a caption: TStringButton measures itself as its caption's text; TLabel is a caption
// that is never highlighted (for lines such as "cannot access").
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

private:
    std::wstring caption_;
    fw::Font font_;
};

class TLabel : public virtual TStringButton {
public:
    void Paint() override;
};
