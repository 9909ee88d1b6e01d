#include "popup/PopupBase.h"

#include "framework/Screen.h"

namespace {

// Pixels at 96 DPI, scaled to the window's DPI.
constexpr int kOverlap = 5;
// The wheel moves three lines of the usual entry height (a small icon) per notch.
constexpr int kWheelStep = 3 * 16;

int ScrollPosition(TPopupMenuBase* window) {
    fw::FormScrollBar& bar = window->VertScrollBar();
    return bar.IsShowing() ? bar.Position() : 0;
}

}  // namespace

TPopupMenuBase::TPopupMenuBase(fw::Component* owner, const fw::FormParams& params) : fw::Form(owner, params) {
    CommonSetup();
}

TPopupMenuBase::TPopupMenuBase(fw::Component* owner, fw::Component* adopter, const fw::FormParams& params)
    : fw::Form(owner, params) {
    Adopter = adopter;
    OnKeyDown = [this](fw::Form&, WORD& key, fw::ShiftState) {
        if (key == VK_ESCAPE) Close();
    };
    CommonSetup();
}

void TPopupMenuBase::CommonSetup() {
    Ready = true;
    ButtonManager = new TPopupButtonManager(this);
    ButtonManager->SetParent(this);
    ChildMenu = nullptr;
    OnClose = [this](fw::Form&, fw::CloseAction& action) { CloseHandler(action); };
    ParentMenu = dynamic_cast<TPopupMenuBase*>(Owner());
    OpensRight = true;
    SetAutoScroll(false);
    HorzScrollBar().SetTracking(true);
    VertScrollBar().SetTracking(true);
    VertScrollBar().SetWheelStep(kWheelStep);
    SetBorderIcons(fw::biSystemMenu);
    // An empty menu is only its frame; entries make it grow.
    SetClientWidth(0);
    SetClientHeight(0);
}

TPopupMenuBase::~TPopupMenuBase() {
    // A child or parent that outlives this window (it was running a handler) must not reach back.
    if (ChildMenu) {
        ChildMenu->ParentMenu = nullptr;
        ChildMenu->Release();
    }
    if (ParentMenu && ParentMenu->ChildMenu == this) ParentMenu->ChildMenu = nullptr;
    ButtonManager->Free();
    ButtonManager = nullptr;
}

void TPopupMenuBase::WillFreeLater() noexcept {
    fw::Form::WillFreeLater();
    // The window is out of sight while a handler of it finishes; so is the cascade below it.
    if (ChildMenu) {
        ChildMenu->ParentMenu = nullptr;
        ChildMenu->Release();
        ChildMenu = nullptr;
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
    return fw::Form::WndProc(msg, wParam, lParam);
}

void TPopupMenuBase::WMMove() {
    if (!followingParent_) DetachFromParent();
}

void TPopupMenuBase::DpiChanged(int oldDpi, int newDpi) {
    fw::Form::DpiChanged(oldDpi, newDpi);
    const int position = ScrollPosition(this);
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

void TPopupMenuBase::CloseHandler(fw::CloseAction&) {
    if (ParentMenu) ParentMenu->ChildClosed(this);
    Release();
}

void TPopupMenuBase::ChildClosed(TPopupMenuBase* window) {
    if (!window || window != ChildMenu) return;
    window->OpensRight = true;
    ChildMenu = nullptr;
    if (Adopter) {
        RemoveComponent(window);
        Adopter->InsertComponent(window);
        // This window no longer owns the child and may be freed before it: the child must not call
        // back into it later.
        window->ParentMenu = nullptr;
    }
}

void TPopupMenuBase::CloseChild() {
    if (!ChildMenu) return;
    ChildMenu->Release();
    ChildMenu = nullptr;
}

TPopupMenuBase* TPopupMenuBase::NewChild() {
    CloseChild();
    auto* child = new TPopupMenuBase(this, Adopter);
    ChildMenu = child;
    return child;
}

TPopupMenuBase* TPopupMenuBase::OpenChildFor(TPopupButtonBase* entry, const FillProc& fill) {
    if (ChildMenu) ChildMenu->Release();
    ChildMenu = nullptr;
    auto* child = new TPopupMenuBase(this, Adopter);
    if (fill) fill(*child->ButtonManager);
    // The new window's entries get their final columns and widths before it is placed and shown.
    child->ButtonManager->FinishLayout();
    PlaceChild(this, child, entry);
    if (const std::wstring* text = entry ? entry->CaptionText() : nullptr) child->SetCaption(*text);
    child->Show();
    ChildMenu = child;
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

namespace {

fw::MonitorArea MonitorOfWindow(const TPopupMenuBase* window) {
    return fw::MonitorOf(RECT{window->Left(), window->Top(), window->Left() + window->Width(),
                              window->Top() + window->Height()});
}

// Heights count from the monitor's top edge, as they count from the screen's top on the primary monitor.
void FitHeightIn(TPopupMenuBase* window, const fw::MonitorArea& monitor) {
    const RECT& work = monitor.work;
    const int available = (work.bottom - work.top) - (window->Top() - monitor.monitor.top);
    if (available < window->Height()) window->SetHeight(available);
    fw::FormScrollBar& bar = window->VertScrollBar();
    if (window->ClientHeight() >= window->ButtonManager->Height()) {
        bar.SetVisible(false);
        return;
    }
    // The scroll bar widens the window instead of narrowing the entries.
    const int width = window->ClientWidth();
    bar.SetRange(window->ButtonManager->Height());
    bar.SetVisible(true);
    window->SetClientWidth(width);
}

}  // namespace

// A child stays on its parent's monitor: it never rises above that monitor's top and turns back at its
// left and right edges.
void PlaceChild(TPopupMenuBase* parent, TPopupMenuBase* child, TPopupButtonBase* entry) {
    const fw::MonitorArea monitor = MonitorOfWindow(parent);
    const RECT& work = monitor.work;
    if (entry) child->SetTop(entry->Top() + parent->Top() - ScrollPosition(parent));
    if (work.bottom < child->Top() + child->Height()) child->SetTop(work.bottom - child->Height());
    if (child->Top() < monitor.monitor.top) child->SetTop(monitor.monitor.top);
    FitHeightIn(child, monitor);
    const int overlap = parent->Scale(kOverlap);
    if (parent->OpensRight) {
        child->SetLeft(parent->Left() + parent->Width() - overlap);
        child->OpensRight = true;
    } else {
        child->SetLeft(parent->Left() - child->Width() + overlap);
        child->OpensRight = false;
    }
    if (child->Left() < monitor.monitor.left) {
        child->SetLeft(parent->Left() + parent->Width() - overlap);
        child->OpensRight = true;
    } else if (work.right < child->Left() + child->Width()) {
        child->SetLeft(parent->Left() - child->Width() + overlap);
        child->OpensRight = false;
    }
}

void FitHeightToWorkArea(TPopupMenuBase* window) {
    FitHeightIn(window, MonitorOfWindow(window));
}

// The monitor is the one under the window's top-left corner: the point a one-shot start was given.
void ClampToWorkArea(TPopupMenuBase* window) {
    const RECT work = fw::MonitorAt(POINT{window->Left(), window->Top()}).work;
    if (window->Left() < work.left) {
        window->SetLeft(work.left);
    } else if (work.right < window->Left() + window->Width()) {
        window->SetLeft(work.right - window->Width());
    }
    if (window->Top() < work.top) {
        window->SetTop(work.top);
    } else if (work.bottom < window->Top() + window->Height()) {
        window->SetTop(work.bottom - window->Height());
    }
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
