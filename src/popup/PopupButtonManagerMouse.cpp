// The mouse routed to the entries: enter and leave, moves, presses and releases, clicks and the start of
// a drag. A highlight a key placed stays until the mouse really moves.
#include "popup/PopupButtonManager.h"

POINT TPopupButtonManager::MessageCursor() noexcept {
    const DWORD at = ::GetMessagePos();
    return POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
}

void TPopupButtonManager::MouseDown(fw::MouseButton button, fw::ShiftState shift, int x, int y) {
    pressX_ = x;
    pressY_ = y;
    pressedButton_ = button;
    pressedEntry_ = EntryAt(x, y);
    if (!pressedEntry_) return;
    TPopupButtonBase* e = pressedEntry_;
    fw::HandlerScope hold(e);
    e->MouseDown(button, shift, x - e->Left(), y - e->Top());
}

void TPopupButtonManager::MouseMove(fw::ShiftState shift, int x, int y) {
    TPopupButtonBase* e = EntryAt(x, y);
    if (keyboardHighlight_) {
        // The cursor has not moved since a key placed the highlight: a window appeared, went or scrolled
        // under it.
        const POINT cursor = MessageCursor();
        if (cursor.x == keyboardCursor_.x && cursor.y == keyboardCursor_.y) return;
        keyboardHighlight_ = false;
        // The mouse takes over on the highlighted entry itself: its hover starts now.
        if (e && e == hotEntry_) {
            fw::HandlerScope hold(e);
            e->MouseEnter();
            if (e->Marked()) return;
        }
    }
    const TPopupButtonBase* before = hotEntry_;
    {
        fw::HandlerScope hold(e);
        if (e && e == hotEntry_) {
            e->MouseMove(shift, x - e->Left(), y - e->Top());
        } else {
            if (TPopupButtonBase* old = hotEntry_) {
                hotEntry_ = nullptr;
                fw::HandlerScope holdOld(old);
                old->MouseLeave();
            }
            // The leave may have emptied the container: an entry freed meanwhile is not entered.
            if (e && !e->Marked()) {
                hotEntry_ = e;
                e->MouseEnter();
            }
        }
    }
    HighlightChanged(before);
    // Only the left button drags; presses of the others are still kept for the click rule.
    TPopupButtonBase* pressed = pressedEntry_;
    if (!pressed || pressedButton_ != fw::MouseButton::Left || !pressed->IsDraggable()) return;
    const int dx = pressX_ - x;
    const int dy = pressY_ - y;
    if (dy * dy + dx * dx <= 25) return;
    // The release that ends the drag goes to the drag loop, not to us: forget the press now so that
    // no later move starts a second drag.
    pressedEntry_ = nullptr;
    fw::HandlerScope hold(pressed);
    pressed->StartDrag();
}

void TPopupButtonManager::MouseUp(fw::MouseButton button, fw::ShiftState shift, int x, int y) {
    TPopupButtonBase* e = EntryAt(x, y);
    TPopupButtonBase* pressed = pressedEntry_;
    pressedEntry_ = nullptr;
    if (!e) return;
    fw::HandlerScope hold(e);
    e->MouseUp(button, shift, x - e->Left(), y - e->Top());
    // A handler that refilled the window took this entry out of it: it clicks no more.
    if (e->Marked()) return;
    if (e == pressed && button == fw::MouseButton::Left) e->Click();
}

void TPopupButtonManager::CMMouseLeave() {
    pressedEntry_ = nullptr;
    // A highlight that a key placed stays (a submenu the key opened may have appeared over the cursor).
    if (keyboardHighlight_) return;
    if (TPopupButtonBase* e = hotEntry_) {
        hotEntry_ = nullptr;
        {
            fw::HandlerScope hold(e);
            e->MouseLeave();
        }
        HighlightChanged(e);
    }
}
