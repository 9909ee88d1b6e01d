// Menu windows and their manager.
//
// TPopupMenuBase is one window of the cascade: a framed window (caption and close box only) holding one
// button container. Each window has at most one open child (ChildMenu), placed beside it. A visible
// child that the user moves leaves the cascade and is handed to the Adopter (the menu manager), which
// then owns it; Escape or the close box closes a window and, through ownership, everything below it.
// Windows are freed with Free(), as every component is: closing a window, closing a child, an owner's end
// and the manager closing everything all free it, and one freed while one of its handlers runs (a key, a
// context menu's loop) only hides and leaves the cascade, and goes when that handler returns.
// Where windows are placed on the screen and how they are cut to it: popup/Placement.h (included here, as
// every user of the windows places them).
//
// The keyboard (adopting windows): in the window with the focus, Up, Down, Home, End, Page Up and Page
// Down move the highlight, letters find an entry by its caption, Right or Enter opens the highlighted
// entry's submenu (which takes the focus with its first entry highlighted), Enter clicks any other entry,
// Left or Escape closes a submenu and goes back to its entry in the parent, Escape closes a window that is
// not in a cascade, the Apps key or Shift+F10 shows the entry's context menu at the entry and F2 renames it.
// Keys that a child control has the focus for (a settings field, a rename box) stay with the control.
//
// TPopupMenuManager owns the top menus and the windows that left a cascade.
#pragma once

#include "framework/ComPtr.h"
#include "framework/Form.h"
#include "framework/LiveCount.h"
#include "popup/Placement.h"
#include "popup/PopupButtonManager.h"

#include <functional>

class TMenuAccessible;
struct IAccessible;

class TPopupMenuBase : public fw::Form, public fw::LiveCount<TPopupMenuBase> {
public:
    using FillProc = std::function<void(TPopupButtonManager& manager)>;
    using MessageHook = std::function<void(UINT msg, WPARAM wParam, LPARAM lParam)>;

    static constexpr fw::FormParams kParams{L"TPopupMenuBase"};

    // Plain window: no adopter and no keyboard handling.
    explicit TPopupMenuBase(fw::Component* owner, const fw::FormParams& params = kParams);
    // Adopting window: children that leave the cascade go to `adopter`; the keys work in it.
    TPopupMenuBase(fw::Component* owner, fw::Component* adopter, const fw::FormParams& params = kParams);
    ~TPopupMenuBase() override;

    virtual void ChildClosed(TPopupMenuBase* window);
    virtual TPopupMenuBase* NewChild();
    virtual TPopupMenuBase* OpenChildFor(TPopupButtonBase* entry, const FillProc& fill);
    virtual void CloseChild();
    // Opens the subfolder of a folder entry of this window as the child window; the window, or null
    // when none was made. Plain menu windows show no folders.
    virtual TPopupMenuBase* OpenSubFolder(TPopupButtonBase* entry);
    void DetachFromParent();
    // Whether this window is a root menu (the desktop's folders); the manager's queries look for them.
    virtual bool IsRootMenu() const noexcept { return false; }

    // What the window hands to screen readers (made on first use, owned by the window).
    IAccessible* Accessible();
    TMenuAccessible* AccessibleObject() const noexcept { return accessible_.get(); }
    // Carries out the default action of the entry at `index` from the window's queue, as a screen reader
    // asks: an entry with a submenu opens it, any other is clicked. False when it cannot be posted.
    bool PostDefaultAction(int index) noexcept;
    // Takes the keyboard focus (and the foreground); with `highlightFirst`, the first actionable entry is
    // highlighted at once.
    void TakeFocus(bool highlightFirst);
    // An entry of this window is leaving it (removed, refilled or freed): a submenu opened from it is no
    // longer its (another entry may later be made at the same address).
    void EntryLeaving(const TPopupButtonBase* entry) noexcept;
    // Opens the highlighted entry's submenu and gives it the focus; false when the entry has none.
    bool OpenHighlighted();
    // Closes this submenu and gives the focus back to its parent, highlighting the entry it was opened
    // from; false for a window that is in no cascade.
    bool ReturnToParent();
    // The highlighted entry's context menu, placed at the entry.
    void ContextMenuOfHighlight();

    MessageHook MenuMessageHook;
    fw::Component* Adopter = nullptr;
    TPopupButtonManager* ButtonManager = nullptr;
    TPopupMenuBase* ChildMenu = nullptr;
    // The entry ChildMenu was opened from, while it is in this window (null once it has left).
    TPopupButtonBase* ChildEntry = nullptr;
    TPopupMenuBase* ParentMenu = nullptr;
    bool Ready = true;
    bool OpensRight = true;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Leaves the cascade (the parent forgets this child) and frees the window once the close is done.
    void DoClose(fw::CloseAction& action) override;
    // The OnKeyDown event first (a key it sets to 0 is done), then the menu keys.
    void KeyDown(WORD& key, fw::ShiftState shift) override;
    virtual void WMMove();
    void WillFreeLater() noexcept override;
    // The entries are measured and laid out again; the scroll bar and an open child follow.
    void DpiChanged(int oldDpi, int newDpi) override;

private:
    void CommonSetup();
    void DoDefaultAction(int index);
    // Raises the focus event for the highlighted entry, as screen readers expect.
    void TellHighlight() const noexcept;

    fw::ComPtr<TMenuAccessible> accessible_;
    bool MenuKey(WORD key, fw::ShiftState shift);
    // The Apps key or Shift+F10: the context menu, and the key's release kept from the system.
    void ContextMenuKey(WORD key);
    // Runs `step` on the highlighted entry, with the entry, its container and this window held.
    template <class Step>
    void WithHighlighted(Step step);

    bool keyboard_ = false;
    bool contextKeyDown_ = false;  // its release must not reach the system's handling

    bool followingParent_ = false;  // moved by the parent to stay beside it, not by the user
};

// Forwards the owner-drawing messages of a menu tracked with the window as owner to `hook` for as long
// as it lives, and clears the hook however the tracking ends.
class TScopedMenuMessageHook {
public:
    TScopedMenuMessageHook(TPopupMenuBase* window, TPopupMenuBase::MessageHook hook);
    ~TScopedMenuMessageHook();
    TScopedMenuMessageHook(const TScopedMenuMessageHook&) = delete;
    TScopedMenuMessageHook& operator=(const TScopedMenuMessageHook&) = delete;

private:
    TPopupMenuBase* window_;
    fw::HandlerScope hold_;
};

// Whether the window and the open windows below it may be closed automatically now.
bool MayCloseChain(TPopupMenuBase* window);

class TPopupMenuManager : public fw::Component {
public:
    explicit TPopupMenuManager(fw::Component* owner) : fw::Component(owner) {}

    TPopupMenuBase* FindRootMenu() const;
    int CountRootMenus() const;
    bool AllMenusMayClose() const;
};
