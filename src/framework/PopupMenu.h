// A shortcut menu as a component (a notification-area icon's menu, for one): items with captions and
// click events, separators, ticks and a default item, shown at a screen point.
//
// The component owns its menu handle. Popup runs the system's menu loop: the component is held for its
// length, so a Free() that arrives from the queue meanwhile only marks it (and closes the menu); the
// chosen item's OnClick runs after the menu has closed and may free the component.
#pragma once

#include "framework/Component.h"
#include "framework/UniqueAny.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace fw {

class PopupMenu : public Component {
public:
    using ClickHandler = std::function<void(PopupMenu& sender)>;

    explicit PopupMenu(Component* owner);

    // Appends an item; "&" marks the accelerator letter. Returns its index (separators count).
    int AddItem(const std::wstring& caption, ClickHandler onClick);
    int AddSeparator();
    int Count() const noexcept { return static_cast<int>(clicks_.size()); }
    // The item drawn bold (the one a double click on the owner's icon would run); -1 for none.
    void SetDefaultItem(int index);
    // A tick beside an item. The menu shows the state it holds when it pops up: set it before then from
    // what the item stands for.
    void SetChecked(int index, bool checked);
    bool Checked(int index) const;
    HMENU Handle() const noexcept { return menu_.get(); }

    // Shows the menu with its top-left corner at a screen point, owned by `owner` (a window of this
    // thread; the application window when null), and waits until it closes. True when an item was chosen;
    // its OnClick has run by then.
    bool Popup(int x, int y, HWND owner);

protected:
    void WillFreeLater() noexcept override;

private:
    unique_hmenu menu_;
    std::vector<ClickHandler> clicks_;  // by index; empty for separators
    bool tracking_ = false;
};

}  // namespace fw
