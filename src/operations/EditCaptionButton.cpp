#include "operations/EditCaptionButton.h"

#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"

#include <algorithm>

void TEditCaptionButton::WillFreeLater() noexcept {
    TPopupButton::WillFreeLater();
    // The entry has left its window: its edit box goes from sight now, and can no longer call back into it.
    EditBox.reset();
}

void TEditCaptionButton::BeginEdit(int x, int y, const std::wstring& text, bool focus) {
    TPopupButtonManager* container = Container();
    TPopupMenuBase* window = MenuWindow();
    if (!container || !window) return;
    fw::Edit* box = EditBox.reset(new fw::Edit(container, *window));
    editAt_ = POINT{x, y};
    const POINT at = WindowPoint(x, y);
    // To the row's right edge: a long name shows as much of itself as the caption did.
    box->SetBounds(at.x, at.y, std::max<int>(WindowPoint(Width(), y).x - at.x, 0), box->Height());
    box->OnKeyDown = [this](fw::Edit&, WORD& key, fw::ShiftState) { EditKeyDown(key); };
    box->SetText(text);
    box->SetCtl3D(false);
    if (focus) box->SetFocus();
}

std::optional<TEditCaptionButton::EditState> TEditCaptionButton::TakeEdit() const {
    if (!EditBox || !EditBox->Visible() || !EditBox->Handle()) return std::nullopt;
    EditState state{editAt_.x, editAt_.y, EditBox->Text()};
    ::SendMessageW(EditBox->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&state.selStart),
                   reinterpret_cast<LPARAM>(&state.selEnd));
    state.focused = EditBox->Focused();
    return state;
}

void TEditCaptionButton::ResumeEdit(const EditState& state) {
    BeginEdit(state.x, state.y, state.text, state.focused);
    if (EditBox && EditBox->Handle())
        ::SendMessageW(EditBox->Handle(), EM_SETSEL, state.selStart, state.selEnd);
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
