#include "dialogs/CheckBoxButton.h"

#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"

#include <utility>

TCheckBoxButton::TCheckBoxButton(std::wstring caption, bool checked)
    : Checked(checked), Caption(std::move(caption)) {}

void TCheckBoxButton::WillFreeLater() noexcept {
    TPopupButton::WillFreeLater();
    // The row has left its window; the container may go before the row does, taking the box with it.
    CheckBox.reset();
}

void TCheckBoxButton::Attach(TPopupButtonManager* container) {
    TPopupButton::Attach(container);
    TPopupMenuBase* window = MenuWindow();
    if (!container || !window || CheckBox) return;
    fw::CheckBox* box = CheckBox.reset(new fw::CheckBox(container, *window));
    box->SetFont(GetFont());
    box->SetText(Caption);
    // Set before the handler, so the starting tick is not reported as a change.
    box->SetChecked(Checked);
    box->OnClick = [this](fw::CheckBox& sender) { Toggled(sender.Checked()); };
}

void TCheckBoxButton::Measure() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas || !CheckBox) return;
    canvas->GetFont().Assign(GetFont());
    CheckBox->SetWidth(canvas->TextWidth(Caption) + Scale(ExtraWidth));
    SetWidth(CheckBox->Width());
    SetHeight(CheckBox->Height());
    PlaceBox();
}

void TCheckBoxButton::Paint() {
    TPopupButton::Paint();
    fw::Canvas* canvas = GetCanvas();
    if (!canvas || !CheckBox) return;
    // The box covers the row, so it shows the row's highlight: navy with white text.
    const fw::Font& font = canvas->GetFont();
    if (!CheckBox->GetFont().SameAs(font) || CheckBox->GetFont().GetColor() != font.GetColor())
        CheckBox->SetFont(font);
    CheckBox->SetColor(canvas->GetBrush().GetColor());
}

void TCheckBoxButton::Activate() {
    if (!CheckBox) return;
    CheckBox->SetChecked(!CheckBox->Checked());
    Toggled(CheckBox->Checked());
}

TPopupButtonBase& TCheckBoxButton::SetLeft(int v) {
    TPopupButton::SetLeft(v);
    PlaceBox();
    return *this;
}

TPopupButtonBase& TCheckBoxButton::SetTop(int v) {
    TPopupButton::SetTop(v);
    PlaceBox();
    return *this;
}

void TCheckBoxButton::PlaceBox() {
    if (!CheckBox || !MenuWindow()) return;
    const POINT at = WindowPoint(0, 0);
    CheckBox->SetBounds(at.x, at.y, CheckBox->Width(), CheckBox->Height());
}

void TCheckBoxButton::Toggled(bool checked) {
    // Called from the box, outside the mouse routing: the listener may free the row or its window.
    TEntryScope scope(*this);
    if (Marked()) return;
    Checked = checked;
    if (OnValueChange) OnValueChange(*this);
}
