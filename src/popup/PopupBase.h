// Menu windows and their manager.
//
// TPopupMenuBase is one window of the cascade: a framed window (caption and close box only) holding one
// button container. Each window has at most one open child (ChildMenu), placed beside it. A visible
// child that the user moves leaves the cascade and is handed to the Adopter (the menu manager), which
// then owns it; Escape or the close box closes a window and, through ownership, everything below it.
// Windows are freed through the deferred release only, never inside their own handlers.
//
// TPopupMenuManager owns the top menus and the windows that left a cascade.
#pragma once

#include "framework/Form.h"
#include "framework/LiveCount.h"
#include "popup/PopupButtonManager.h"

#include <functional>

class TPopupMenuBase : public fw::Form, public fw::LiveCount<TPopupMenuBase> {
public:
    using FillProc = std::function<void(TPopupButtonManager& manager)>;
    using MessageHook = std::function<void(UINT msg, WPARAM wParam, LPARAM lParam)>;

    static constexpr fw::FormParams kParams{L"TPopupMenuBase"};

    // Plain window: no adopter and no keyboard handling.
    explicit TPopupMenuBase(fw::Component* owner, const fw::FormParams& params = kParams);
    // Adopting window: children that leave the cascade go to `adopter`; Escape closes the window.
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

    MessageHook MenuMessageHook;
    fw::Component* Adopter = nullptr;
    TPopupButtonManager* ButtonManager = nullptr;
    TPopupMenuBase* ChildMenu = nullptr;
    TPopupMenuBase* ParentMenu = nullptr;
    bool Ready = true;
    bool OpensRight = true;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual void WMMove();
    void WillFreeLater() noexcept override;
    // The entries are measured and laid out again; the scroll bar and an open child follow.
    void DpiChanged(int oldDpi, int newDpi) override;

private:
    void CommonSetup();
    void CloseHandler(fw::CloseAction& action);

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

// Places `child` beside `parent`, level with `entry` when one is given, inside the work area of the
// parent's monitor.
void PlaceChild(TPopupMenuBase* parent, TPopupMenuBase* child, TPopupButtonBase* entry);
// Cuts a window to the height of its monitor's work area and gives it a scroll bar when its entries do
// not fit.
void FitHeightToWorkArea(TPopupMenuBase* window);
// Moves a window into the work area of the monitor under its top-left corner.
void ClampToWorkArea(TPopupMenuBase* window);
// Whether the window and the open windows below it may be closed automatically now.
bool MayCloseChain(TPopupMenuBase* window);

class TPopupMenuManager : public fw::Component {
public:
    explicit TPopupMenuManager(fw::Component* owner) : fw::Component(owner) {}

    TPopupMenuBase* FindRootMenu() const;
    int CountRootMenus() const;
    bool AllMenusMayClose() const;
};
