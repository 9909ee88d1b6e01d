#include "popup/PopupBase.h"

#include "popup/ColorScheme.h"
#include "popup/MenuAccessible.h"
#include "popup/DelayCaller.h"

namespace {

// Posted by a screen reader's request for an entry's default action; wParam is the entry's index.
constexpr UINT kDefaultAction = WM_APP + 0x120;
// The wheel moves three lines of the usual entry height (a small icon) per notch.
constexpr int kWheelStep = 3 * 16;

}  // namespace

TPopupMenuBase::TPopupMenuBase(fw::Component* owner, const fw::FormParams& params) : fw::Form(owner, params) {
    CommonSetup();
}

TPopupMenuBase::TPopupMenuBase(fw::Component* owner, fw::Component* adopter, const fw::FormParams& params)
    : fw::Form(owner, params) {
    Adopter = adopter;
    keyboard_ = true;
    CommonSetup();
}

void TPopupMenuBase::CommonSetup() {
    Ready = true;
    ButtonManager = new TPopupButtonManager(this);
    ButtonManager->SetParent(this);
    ButtonManager->OnHighlightChange = [this](TPopupButtonManager&) { TellHighlight(); };
    ChildMenu = nullptr;
    ParentMenu = dynamic_cast<TPopupMenuBase*>(Owner());
    OpensRight = true;
    SetAutoScroll(false);
    HorzScrollBar().SetTracking(true);
    VertScrollBar().SetTracking(true);
    VertScrollBar().SetWheelStep(kWheelStep);
    SetBorderIcons(fw::biSystemMenu);
    // The menus show in the user's scheme (light, dark, high contrast); light needs nothing of the window.
    // Read again for every new window: a change told while no window of the program was there to hear it
    // shows in the next one.
    TColorScheme& scheme = TColorScheme::Menus();
    scheme.Refresh();
    SetColorMap(&scheme);
    if (scheme.Kind() != TSchemeKind::Light) scheme.Dress(Handle());
    // An empty menu is only its frame; entries make it grow.
    SetClientWidth(0);
    SetClientHeight(0);
}

TPopupMenuBase::~TPopupMenuBase() {
    // A child or parent that outlives this window (it was running a handler) must not reach back.
    if (ChildMenu) ChildMenu->ParentMenu = nullptr;
    if (ParentMenu && ParentMenu->ChildMenu == this) ParentMenu->ChildMenu = nullptr;
    ChildMenu = nullptr;
    ChildEntry = nullptr;
    // What this window owns (the open child with the cascade below it, the container and its entries)
    // goes now, while the window is still whole for their calls back into it.
    BeginDestroy();
    DestroyComponents();
    ButtonManager = nullptr;
    // A screen reader may still hold the object: from now on it hears that the window is gone.
    if (accessible_) accessible_->Disconnect();
}

void TPopupMenuBase::WillFreeLater() noexcept {
    fw::Form::WillFreeLater();
    // The window is out of sight while a handler of it finishes; so is the cascade below it.
    if (TPopupMenuBase* child = ChildMenu) {
        child->ParentMenu = nullptr;
        ChildMenu = nullptr;
        ChildEntry = nullptr;
        child->Free();
    }
    if (ParentMenu && ParentMenu->ChildMenu == this) ParentMenu->ChildMenu = nullptr;
    ParentMenu = nullptr;
}

LRESULT TPopupMenuBase::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if ((msg == WM_DRAWITEM || msg == WM_MEASUREITEM || msg == WM_INITMENUPOPUP) && MenuMessageHook) {
        MenuMessageHook(msg, wParam, lParam);
    }
    if (msg == WM_MOVE) {
        WMMove();
        return 0;
    }
    if (msg == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        if (IAccessible* object = Accessible())
            return ::LresultFromObject(__uuidof(IAccessible), wParam, object);
    }
    if (msg == kDefaultAction) {
        DoDefaultAction(static_cast<int>(wParam));
        return 0;
    }
    if (msg == WM_PARENTNOTIFY && LOWORD(wParam) == WM_CREATE) {
        // A field, check box or button of a row, or a rename box: in the scheme's look from the start.
        const TColorScheme& scheme = TColorScheme::Menus();
        if (scheme.Kind() != TSchemeKind::Light) scheme.DressControl(reinterpret_cast<HWND>(lParam));
    }
    if (TColorScheme::MayChange(msg, wParam, lParam)) {
        // The user switched between light and dark, or high contrast: an open menu switches at once. Every
        // top-level window is told; the first reads the new scheme, and each repaints itself.
        TColorScheme& scheme = TColorScheme::Menus();
        scheme.Refresh();
        scheme.Dress(Handle());
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    if (msg == WM_SETFOCUS) {
        // Back from a submenu, say: the highlight did not move, but the reader's focus did.
        const LRESULT result = fw::Form::WndProc(msg, wParam, lParam);
        TellHighlight();
        return result;
    }
    if (keyboard_) {
        switch (msg) {
            case WM_CHAR:
                // Characters come here only while the window itself has the focus, never while a field or
                // a rename box of it has.
                if (wParam >= L' ') {
                    TDelayCaller::StopPending();
                    ButtonManager->TypeAhead(static_cast<wchar_t>(wParam));
                    return 0;
                }
                break;
            case WM_SYSKEYDOWN:
                // F10 is a system key: with Shift it arrives here, not as WM_KEYDOWN.
                if (wParam == VK_F10 && (fw::KeyboardShiftState() & fw::ssShift)) {
                    ContextMenuKey(VK_F10);
                    return 0;
                }
                break;
            case WM_KEYUP:
            case WM_SYSKEYUP:
                // The system would answer the release with a context menu or the window menu of its own.
                if (contextKeyDown_ && (wParam == VK_APPS || wParam == VK_F10)) {
                    contextKeyDown_ = false;
                    return 0;
                }
                break;
            default:
                break;
        }
    }
    return fw::Form::WndProc(msg, wParam, lParam);
}

void TPopupMenuBase::TellHighlight() const noexcept {
    // Screen readers follow the highlight of the window that has the keyboard focus.
    if (!Handle() || ::GetFocus() != Handle() || !ButtonManager) return;
    const int index = ButtonManager->IndexOf(ButtonManager->HotEntry());
    if (index >= 0) ::NotifyWinEvent(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, index + 1);
}

IAccessible* TPopupMenuBase::Accessible() {
    if (!accessible_ && !Marked()) accessible_ = fw::MakeComObject<TMenuAccessible>(*this);
    return accessible_.get();
}

bool TPopupMenuBase::PostDefaultAction(int index) noexcept {
    return Handle() && ::PostMessageW(Handle(), kDefaultAction, static_cast<WPARAM>(index), 0);
}

void TPopupMenuBase::DoDefaultAction(int index) {
    TPopupButtonBase* entry = ButtonManager ? ButtonManager->Entries(index) : nullptr;
    if (!entry) return;
    TEntryScope hold(*entry);
    if (entry->HasSubmenu()) {
        entry->OpenSubmenu();
    } else {
        entry->Activate();
    }
}

template <class Step>
void TPopupMenuBase::WithHighlighted(Step step) {
    TPopupButtonBase* entry = ButtonManager->HotEntry();
    if (!entry) return;
    // As the mouse routing does: what the entry does may free it, its container or this window.
    TEntryScope scope(*entry);
    step(*entry);
}

void TPopupMenuBase::KeyDown(WORD& key, fw::ShiftState shift) {
    fw::Form::KeyDown(key, shift);
    if (key == 0 || !keyboard_ || Marked()) return;
    // The keyboard leads from now on: a hover the mouse started somewhere opens or closes nothing.
    if (MenuKey(key, shift)) {
        TDelayCaller::StopPending();
        key = 0;
    }
}

bool TPopupMenuBase::MenuKey(WORD key, fw::ShiftState shift) {
    if (shift & fw::ssAlt) return false;
    const auto move = [this](THighlightMove how) {
        ButtonManager->MoveHighlight(how);
        return true;
    };
    switch (key) {
        case VK_DOWN:
            return move(THighlightMove::Next);
        case VK_UP:
            return move(THighlightMove::Previous);
        case VK_HOME:
            return move(THighlightMove::First);
        case VK_END:
            return move(THighlightMove::Last);
        case VK_NEXT:
            return move(THighlightMove::PageDown);
        case VK_PRIOR:
            return move(THighlightMove::PageUp);
        case VK_RIGHT:
            OpenHighlighted();
            return true;
        case VK_RETURN:
            if (!OpenHighlighted()) WithHighlighted([](TPopupButtonBase& e) { e.Activate(); });
            return true;
        case VK_LEFT:
            ReturnToParent();
            return true;
        case VK_ESCAPE:
            if (!ReturnToParent()) Close();
            return true;
        case VK_APPS:
        case VK_F10:
            if (key == VK_F10 && !(shift & fw::ssShift)) return false;
            ContextMenuKey(key);
            return true;
        case VK_F2:
            WithHighlighted([](TPopupButtonBase& e) { e.BeginRename(); });
            return true;
        default:
            return false;
    }
}

void TPopupMenuBase::TakeFocus(bool highlightFirst) {
    SetFocus();
    if (highlightFirst && !Marked()) ButtonManager->MoveHighlight(THighlightMove::First);
}

bool TPopupMenuBase::OpenHighlighted() {
    TPopupButtonBase* entry = ButtonManager->HotEntry();
    if (!entry || !entry->HasSubmenu()) return false;
    // The mouse opened it already: the focus goes over.
    if (ChildMenu && ChildEntry == entry && ChildMenu->Visible()) {
        ChildMenu->TakeFocus(ChildMenu->ButtonManager->HotEntry() == nullptr);
        return true;
    }
    TPopupMenuBase* child = nullptr;
    {
        TEntryScope scope(*entry);
        // The entry stays lit while its submenu is open, whoever lit it.
        ButtonManager->SetHighlight(entry);
        child = entry->OpenSubmenu();
    }
    // The entry may be gone now; this window is held by the key's message.
    if (!Marked() && child && child == ChildMenu) child->TakeFocus(true);
    return true;
}

bool TPopupMenuBase::ReturnToParent() {
    TPopupMenuBase* parent = ParentMenu;
    if (!parent || parent->ChildMenu != this) return false;
    fw::HandlerScope hold(parent);
    // The parent takes the focus before this window goes, so the activation does not wander elsewhere.
    parent->TakeFocus(false);
    if (parent->ChildEntry) parent->ButtonManager->SetHighlight(parent->ChildEntry);
    Close();
    return true;
}

void TPopupMenuBase::ContextMenuKey(WORD key) {
    contextKeyDown_ = true;
    ContextMenuOfHighlight();
    // The menu's own loop may have taken the release.
    contextKeyDown_ = !Marked() && (::GetKeyState(key) & 0x8000) != 0;
}

void TPopupMenuBase::ContextMenuOfHighlight() {
    TPopupButtonBase* entry = ButtonManager->HotEntry();
    if (!entry) return;
    ButtonManager->ScrollIntoView(entry);
    // Under the entry, in by about an icon's width: the menu leaves the entry in sight.
    const POINT at =
        ButtonManager->ClientToScreen(POINT{entry->Left() + entry->Height(), entry->Top() + entry->Height()});
    WithHighlighted([at](TPopupButtonBase& e) { e.ShowContextMenu(at.x, at.y); });
}

void TPopupMenuBase::WMMove() {
    if (!followingParent_) DetachFromParent();
}

void TPopupMenuBase::DpiChanged(int oldDpi, int newDpi) {
    fw::Form::DpiChanged(oldDpi, newDpi);
    const int position = VertScrollPosition(this);
    // Laid out from the top without a scroll bar, as a fill is, then cut to the monitor again.
    VertScrollBar().SetVisible(false);
    ButtonManager->Relayout();
    FitHeightToWorkArea(this);
    VertScrollBar().SetPosition(::MulDiv(position, newDpi, oldDpi));
    if (TPopupMenuBase* child = ChildMenu) {
        // Beside this window's new edge, at the height it had; the move is no detaching drag.
        child->followingParent_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{child->followingParent_};
        PlaceChild(this, child, nullptr);
    }
}

void TPopupMenuBase::DetachFromParent() {
    if (ParentMenu && Visible()) ParentMenu->ChildClosed(this);
}

void TPopupMenuBase::DoClose(fw::CloseAction& action) {
    fw::Form::DoClose(action);
    if (action == fw::CloseAction::None) return;
    if (ParentMenu) ParentMenu->ChildClosed(this);
    // Closed from one of its own handlers (a key, the close box): the window goes when that returns.
    action = fw::CloseAction::Free;
}

void TPopupMenuBase::ChildClosed(TPopupMenuBase* window) {
    if (!window || window != ChildMenu) return;
    window->OpensRight = true;
    ChildMenu = nullptr;
    ChildEntry = nullptr;
    if (Adopter) {
        RemoveComponent(window);
        Adopter->InsertComponent(window);
        // This window no longer owns the child and may be freed before it: the child must not call
        // back into it later.
        window->ParentMenu = nullptr;
    }
}

void TPopupMenuBase::CloseChild() {
    ChildEntry = nullptr;
    TPopupMenuBase* child = ChildMenu;
    if (!child) return;
    ChildMenu = nullptr;
    child->Free();
}

void TPopupMenuBase::EntryLeaving(const TPopupButtonBase* entry) noexcept {
    if (entry && entry == ChildEntry) ChildEntry = nullptr;
}

TPopupMenuBase* TPopupMenuBase::NewChild() {
    CloseChild();
    auto* child = new TPopupMenuBase(this, Adopter);
    ChildMenu = child;
    return child;
}

TPopupMenuBase* TPopupMenuBase::OpenChildFor(TPopupButtonBase* entry, const FillProc& fill) {
    CloseChild();
    auto* child = new TPopupMenuBase(this, Adopter);
    if (fill) fill(*child->ButtonManager);
    // The new window's entries get their final columns and widths before it is placed and shown.
    child->ButtonManager->FinishLayout();
    PlaceChild(this, child, entry);
    if (const std::wstring* text = entry ? entry->CaptionText() : nullptr) child->SetCaption(*text);
    child->Show();
    ChildMenu = child;
    ChildEntry = entry;
    return child;
}

TPopupMenuBase* TPopupMenuBase::OpenSubFolder(TPopupButtonBase*) {
    return nullptr;
}

TScopedMenuMessageHook::TScopedMenuMessageHook(TPopupMenuBase* window, TPopupMenuBase::MessageHook hook)
    : window_(window), hold_(window) {
    if (window_) window_->MenuMessageHook = std::move(hook);
}

TScopedMenuMessageHook::~TScopedMenuMessageHook() {
    if (window_) window_->MenuMessageHook = nullptr;
}

bool MayCloseChain(TPopupMenuBase* window) {
    if (!window->Ready) return false;
    if (window->ChildMenu && window->ButtonManager->CloseAllowed) return MayCloseChain(window->ChildMenu);
    return window->ButtonManager->CloseAllowed;
}

TPopupMenuBase* TPopupMenuManager::FindRootMenu() const {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* menu = dynamic_cast<TPopupMenuBase*>(Components(i));
        if (menu && menu->IsRootMenu()) return menu;
    }
    return nullptr;
}

int TPopupMenuManager::CountRootMenus() const {
    int count = 0;
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* menu = dynamic_cast<TPopupMenuBase*>(Components(i));
        if (menu && menu->IsRootMenu()) ++count;
    }
    return count;
}

bool TPopupMenuManager::AllMenusMayClose() const {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* menu = dynamic_cast<TPopupMenuBase*>(Components(i));
        if (menu && !MayCloseChain(menu)) return false;
    }
    return true;
}
