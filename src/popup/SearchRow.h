// The search field of a menu window: the first row while a search is open, a field that stretches over
// the row's width after a short label. The row is never highlighted; the window filters its other rows by
// what the field holds (OnChange) and takes the keys the field does not use (OnKey).
#pragma once

#include "framework/ControlSlot.h"
#include "framework/Edit.h"
#include "popup/PopupButton.h"

#include <functional>
#include <string>

class TSearchRow : public TPopupButton {
public:
    static constexpr wchar_t kLabel[] = L"検索:";

    void Attach(TPopupButtonManager* container) override;
    void Measure() override;
    void Paint() override;
    bool Actionable() const override { return false; }
    // The row has no caption of its own; a screen reader hears the field's label.
    const std::wstring* CaptionText() const override { return nullptr; }
    std::wstring SpokenName() const override { return kLabel; }
    TPopupButtonBase& SetLeft(int v) override;
    TPopupButtonBase& SetTop(int v) override;
    TPopupButtonBase& SetWidth(int v) override;

    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void Focus();
    bool Focused() const;

    // The text changed.
    std::function<void(TSearchRow& sender)> OnChange;
    // A key the field passes on (Up, Down, Page keys, Enter, Escape); setting it to 0 marks it done.
    std::function<void(TSearchRow& sender, WORD& key, fw::ShiftState shift)> OnKey;

    fw::ControlSlot<fw::Edit> Field;  // owned by the container (as component owner); made on Attach

protected:
    void WillFreeLater() noexcept override;

private:
    void PlaceField();
    int labelWidth_ = 0;
};
