#include "operations/EditCaptionButton.h"

#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"

void TEditCaptionButton::WillFreeLater() noexcept {
    TPopupButton::WillFreeLater();
    // The entry has left its window: its edit box goes from sight now, and can no longer call back into it.
    EditBox.reset();
}

void TEditCaptionButton::BeginEdit(int x, int y, const std::wstring& text) {
    TPopupButtonManager* container = Container();
    TPopupMenuBase* window = MenuWindow();
    if (!container || !window) return;
    EditBox.reset();
    fw::Edit* box = EditBox.reset(new fw::Edit(container, *window));
    const POINT at = WindowPoint(x, y);
    box->SetBounds(at.x, at.y, box->Width(), box->Height());
    box->OnKeyDown = [this](fw::Edit&, WORD& key, fw::ShiftState) { EditKeyDown(key); };
    box->SetText(text);
    box->SetCtl3D(false);
    box->SetFocus();
}

void TEditCaptionButton::EditKeyDown(WORD& key) {
    if (key != VK_RETURN && key != VK_ESCAPE) return;
    const WORD pressed = key;
    // Swallowed: a single-line edit box beeps at both.
    key = 0;
    // Called from the edit box, outside the mouse routing: what the edit ends may refill the window.
    TEntryScope scope(*this);
    if (Marked()) return;
    if (pressed == VK_RETURN) {
        ApplyRename();
    } else {
        CancelRename();
    }
}

void TEditCaptionButton::CancelRename() {
    HideEditBox();
}

void TEditCaptionButton::HideEditBox() {
    if (!EditBox) return;
    const bool focused = EditBox->Focused();
    EditBox->SetVisible(false);
    // The keys go back to the menu window, where the entry is still highlighted.
    if (TPopupMenuBase* window = MenuWindow(); focused && window) window->SetFocus();
}
