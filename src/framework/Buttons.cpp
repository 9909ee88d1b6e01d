#include "framework/Buttons.h"

#include "framework/Form.h"

namespace fw {

Button::Button(Component* owner, Form& parent)
    : ChildControl(owner, parent, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, clBtnFace) {
    SetBounds(0, 0, Scale(75), Scale(25));
}

void Button::Click() {
    if (Handle()) ::SendMessageW(Handle(), BM_CLICK, 0, 0);
}

bool Button::Command(WORD notifyCode) {
    if (notifyCode != BN_CLICKED) return false;
    if (OnClick) OnClick(*this);
    if (ModalResult != 0 && !Marked() && Parent()) Parent()->SetModalResult(ModalResult);
    return true;
}

CheckBox::CheckBox(Component* owner, Form& parent)
    : ChildControl(owner, parent, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, clBtnFace) {
    SetBounds(0, 0, Scale(97), Scale(17));
}

bool CheckBox::Checked() const noexcept {
    return Handle() && ::SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) {
    if (Handle()) ::SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckBox::Command(WORD notifyCode) {
    if (notifyCode != BN_CLICKED) return false;
    if (OnClick) OnClick(*this);
    return true;
}

}  // namespace fw
