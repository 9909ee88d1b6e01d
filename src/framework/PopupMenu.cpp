#include "framework/PopupMenu.h"

#include "framework/Application.h"
#include "framework/Exception.h"

namespace fw {

PopupMenu::PopupMenu(Component* owner) : Component(owner), menu_(::CreatePopupMenu()) {
    if (!menu_) throw Exception(L"Cannot create a menu");
}

// Command identifiers are index + 1: TrackPopupMenu reports 0 for "nothing chosen".
int PopupMenu::AddItem(const std::wstring& caption, ClickHandler onClick) {
    const int index = Count();
    if (!::AppendMenuW(menu_.get(), MF_STRING, static_cast<UINT_PTR>(index) + 1, caption.c_str())) {
        throw Exception(L"Cannot add the menu item " + caption);
    }
    clicks_.push_back(std::move(onClick));
    return index;
}

int PopupMenu::AddSeparator() {
    const int index = Count();
    if (!::AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr)) throw Exception(L"Cannot add a separator");
    clicks_.emplace_back();
    return index;
}

void PopupMenu::SetDefaultItem(int index) {
    const UINT item = index >= 0 && index < Count() ? static_cast<UINT>(index) : static_cast<UINT>(-1);
    ::SetMenuDefaultItem(menu_.get(), item, TRUE);
}

void PopupMenu::SetChecked(int index, bool checked) {
    if (index < 0 || index >= Count()) return;
    ::CheckMenuItem(menu_.get(), static_cast<UINT>(index),
                    MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool PopupMenu::Checked(int index) const {
    if (index < 0 || index >= Count()) return false;
    const UINT state = ::GetMenuState(menu_.get(), static_cast<UINT>(index), MF_BYPOSITION);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
}

bool PopupMenu::Popup(int x, int y, HWND owner) {
    // The menu loop is one of this component's handlers: a Free() from the queue only marks it.
    HandlerScope scope(this);
    if (Marked()) return false;
    if (!owner && App()) owner = App()->Handle();
    if (!owner) return false;
    // The notification area's etiquette: with the owner in front the menu closes when the user clicks
    // elsewhere, and the message posted afterwards lets the next menu open at the first click.
    ::SetForegroundWindow(owner);
    tracking_ = true;
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenuEx(menu_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, owner, nullptr));
    tracking_ = false;
    ::PostMessageW(owner, WM_NULL, 0, 0);
    if (Marked() || command == 0 || command > clicks_.size()) return false;
    // A copy: the handler may change the items, or free the menu (which then waits for this scope).
    const ClickHandler onClick = clicks_[command - 1];
    if (onClick) onClick(*this);
    return true;
}

void PopupMenu::WillFreeLater() noexcept {
    Component::WillFreeLater();
    // Freed while the user is looking at it: the menu goes away at once.
    if (tracking_) ::EndMenu();
}

}  // namespace fw
