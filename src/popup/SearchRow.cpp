#include "popup/SearchRow.h"

#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"

#include <algorithm>

namespace {

constexpr int kGap = 4;
constexpr int kLeastFieldWidth = 120;

bool PassedOn(WORD key) {
    switch (key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_RETURN:
        case VK_ESCAPE:
            return true;
        default:
            return false;
    }
}

}  // namespace

void TSearchRow::Attach(TPopupButtonManager* container) {
    TPopupButton::Attach(container);
    TPopupMenuBase* window = MenuWindow();
    if (!container || !window || Field) return;
    fw::Edit* field = Field.reset(new fw::Edit(container, *window));
    field->SetCtl3D(false);
    field->OnChange = [this](fw::Edit&) {
        TEntryScope scope(*this);
        if (!Marked() && OnChange) OnChange(*this);
    };
    field->OnKeyDown = [this](fw::Edit&, WORD& key, fw::ShiftState shift) {
        if (!PassedOn(key) || !OnKey) return;
        TEntryScope scope(*this);
        if (!Marked()) OnKey(*this, key, shift);
    };
}

void TSearchRow::Measure() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas || !Field) return;
    canvas->GetFont().Assign(GetFont());
    labelWidth_ = canvas->TextWidth(kLabel) + Scale(kGap);
    if (!Field->GetFont().SameAs(GetFont())) Field->SetFont(GetFont());
    SetWidth(labelWidth_ + Scale(kLeastFieldWidth));
    SetHeight(std::max(canvas->TextHeight(kLabel), Field->Height()));
    PlaceField();
}

void TSearchRow::Paint() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas) return;
    const RECT r = BoundsRect();
    canvas->GetBrush().SetColor(ContainerColor());
    canvas->GetPen().SetColor(ContainerColor());
    canvas->FillRect(r);
    canvas->GetFont().Assign(GetFont());
    canvas->GetBrush().SetStyle(fw::BrushStyle::Clear);
    canvas->TextRect(r, r.left, r.top + (Height() - canvas->TextHeight(kLabel)) / 2, kLabel);
    canvas->GetBrush().SetColor(ContainerColor());
    if (Field) Field->SetColor(fw::SystemColor(COLOR_WINDOW));
}

TPopupButtonBase& TSearchRow::SetLeft(int v) {
    TPopupButton::SetLeft(v);
    PlaceField();
    return *this;
}

TPopupButtonBase& TSearchRow::SetTop(int v) {
    TPopupButton::SetTop(v);
    PlaceField();
    return *this;
}

TPopupButtonBase& TSearchRow::SetWidth(int v) {
    TPopupButton::SetWidth(v);
    PlaceField();
    return *this;
}

void TSearchRow::PlaceField() {
    if (!Field || !MenuWindow()) return;
    const POINT at = WindowPoint(labelWidth_, 0);
    Field->SetBounds(at.x, at.y, std::max(Width() - labelWidth_, 0), Field->Height());
}

std::wstring TSearchRow::Text() const {
    return Field ? Field->Text() : std::wstring();
}

void TSearchRow::SetText(const std::wstring& text) {
    if (!Field) return;
    Field->SetText(text);
    ::SendMessageW(Field->Handle(), EM_SETSEL, text.size(), text.size());
}

void TSearchRow::Focus() {
    if (Field) Field->SetFocus();
}

bool TSearchRow::Focused() const {
    return Field && Field->Focused();
}

void TSearchRow::WillFreeLater() noexcept {
    TPopupButton::WillFreeLater();
    Field.reset();
}
