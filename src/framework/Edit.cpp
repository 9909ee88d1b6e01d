#include "framework/Edit.h"

namespace fw {

Edit::Edit(Component* owner, Form& parent)
    : ChildControl(owner, parent, L"EDIT", WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                   WS_EX_CLIENTEDGE, SystemColor(COLOR_WINDOW)) {}

void Edit::SelectAll() {
    if (Handle()) ::SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

bool Edit::ReadOnly() const noexcept {
    return Handle() && (::GetWindowLongPtrW(Handle(), GWL_STYLE) & ES_READONLY) != 0;
}

void Edit::SetReadOnly(bool readOnly) {
    if (Handle()) ::SendMessageW(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void Edit::SetCtl3D(bool sunken) {
    ChangeStyle(true, sunken ? 0 : WS_EX_CLIENTEDGE, sunken ? WS_EX_CLIENTEDGE : 0);
    ChangeStyle(false, sunken ? WS_BORDER : 0, sunken ? 0 : WS_BORDER);
}

bool Edit::Command(WORD notifyCode) {
    if (notifyCode != EN_CHANGE) return false;
    if (OnChange) OnChange(*this);
    return true;
}

LRESULT Edit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_GETDLGCODE:
            // Enter, Escape and Tab belong to the control even inside a dialog.
            return DefaultHandler(msg, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            swallowChar_ = false;
            WORD key = LOWORD(wParam);
            if (OnKeyDown) OnKeyDown(*this, key, KeyboardShiftState());
            if (Marked()) return 0;
            if (key == 0) {
                // The character that TranslateMessage already queued for the key goes too; a
                // single-line edit would only beep at Enter and Escape.
                swallowChar_ = true;
                return 0;
            }
            return DefaultHandler(msg, key, lParam);
        }
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            WORD key = LOWORD(wParam);
            if (OnKeyUp) OnKeyUp(*this, key, KeyboardShiftState());
            if (Marked() || key == 0) return 0;
            return DefaultHandler(msg, key, lParam);
        }
        case WM_CHAR:
        case WM_SYSCHAR:
            if (swallowChar_) {
                swallowChar_ = false;
                return 0;
            }
            break;
        case WM_KILLFOCUS: {
            const LRESULT result = DefaultHandler(msg, wParam, lParam);
            if (OnExit) OnExit(*this);
            return result;
        }
        default:
            break;
    }
    return DefaultHandler(msg, wParam, lParam);
}

}  // namespace fw
