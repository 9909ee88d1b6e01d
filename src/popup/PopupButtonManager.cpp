#include "popup/PopupButtonManager.h"

#include "popup/PopupBase.h"

#include <algorithm>

TPopupButtonManager::TPopupButtonManager(fw::Component* owner) : fw::GraphicControl(owner) {
    ownerWindow_ = dynamic_cast<TPopupMenuBase*>(owner);
    ResetLayoutState();
}

TPopupButtonManager::~TPopupButtonManager() {
    hotEntry_ = pressedEntry_ = nullptr;
    TChain<TPopupButtonBase> old(std::move(entries_));
    for (TPopupButtonBase* e = old.First(); e; e = old.Next()) Retire(e);
    // Entries that still run a handler outlive the container: they must not reach back into it.
    for (TPopupButtonBase* e : retired_) e->Detach();
    retired_.clear();
}

void TPopupButtonManager::Retire(TPopupButtonBase* entry) noexcept {
    if (hotEntry_ == entry) hotEntry_ = nullptr;
    if (pressedEntry_ == entry) pressedEntry_ = nullptr;
    if (entry->HandlerDepth() > 0) retired_.push_back(entry);
    entry->Free();
}

void TPopupButtonManager::EntryGone(TPopupButtonBase* entry) noexcept {
    if (retired_.empty()) return;
    retired_.erase(std::remove(retired_.begin(), retired_.end(), entry), retired_.end());
}

void TPopupButtonManager::ResetLayoutState() {
    columnWidth_ = columnCount_ = columnLeft_ = runningY_ = 0;
    columnWidths_.assign(1, 0);
}

int TPopupButtonManager::ColumnWidth(int column) const noexcept {
    if (column < 0 || column >= static_cast<int>(columnWidths_.size())) return 0;
    return columnWidths_[static_cast<size_t>(column)];
}

void TPopupButtonManager::SetOwnerClientSize(int width, int height) {
    if (!ownerWindow_) return;
    ownerWindow_->SetClientSize(width, height);
}

void TPopupButtonManager::AddEntry(TPopupButtonBase* entry) {
    if (!entry) return;
    entries_.Add(entry);
    entry->Attach(this);
    entry->Measure();
    if (ClientHeight() <= runningY_) SetClientHeight(ClientHeight() + entry->Height());
    entry->SetLeft(columnLeft_).SetTop(runningY_);
    runningY_ += entry->Height();
    const int previousWidth = columnWidth_;
    columnWidth_ = std::max(columnWidth_, entry->Width());
    entry->SetWidth(columnWidth_);
    SetClientWidth(columnLeft_ + columnWidth_);
    columnWidths_.back() = columnWidth_;
    if (!ownerWindow_) return;
    SetOwnerClientSize(ClientWidth(), ClientHeight());
    if (ownerWindow_->ClientHeight() > 0) return;

    // The window did not take the height: this entry starts a new column.
    columnWidths_.back() = previousWidth;
    columnLeft_ += previousWidth;
    runningY_ = 0;
    columnWidth_ = entry->Width();
    entry->SetLeft(columnLeft_).SetTop(0);
    SetClientWidth(columnLeft_ + columnWidth_);
    SetClientHeight(ClientHeight() - entry->Height());
    SetOwnerClientSize(ClientWidth(), ClientHeight());
    columnCount_ += 1;
    columnWidths_.push_back(0);
}

void TPopupButtonManager::FinishLayout() {
    const int height = ClientHeight();
    // Column widths: each column is as wide as its widest entry.
    int width = 0;
    int i = 0;
    int y = 0;
    for (TPopupButtonBase* e : entries_) {
        y += e->Height();
        if (height < y && i < columnCount_) {
            columnWidths_[static_cast<size_t>(i)] = width;
            ++i;
            y = e->Height();
            width = 0;
        }
        width = std::max(width, e->Width());
    }
    if (i < static_cast<int>(columnWidths_.size())) columnWidths_[static_cast<size_t>(i)] = width;

    // Positions: columns break at the container's height, never into more columns than were opened.
    int x = 0;
    int j = 0;
    y = 0;
    for (TPopupButtonBase* e : entries_) {
        if (y + e->Height() > height && j < columnCount_) {
            x += columnWidths_[static_cast<size_t>(j)];
            ++j;
            y = 0;
        }
        e->SetWidth(columnWidths_[static_cast<size_t>(j)]).SetLeft(x).SetTop(y);
        y += e->Height();
    }
    Invalidate();
}

void TPopupButtonManager::ClearEntries() {
    hotEntry_ = pressedEntry_ = nullptr;
    // The list is empty before the first entry goes: an entry's destruction sees a consistent container.
    TChain<TPopupButtonBase> old(std::move(entries_));
    for (TPopupButtonBase* e = old.First(); e; e = old.Next()) Retire(e);
    SetClientWidth(0);
    SetClientHeight(0);
    // A refill lays out from scratch, so a window refilled with fewer or narrower entries shrinks.
    ResetLayoutState();
    if (ownerWindow_) {
        ownerWindow_->SetWidth(0);
        ownerWindow_->SetHeight(0);
    }
}

void TPopupButtonManager::RemoveEntryAt(int index) {
    TPopupButtonBase* entry = entries_.RemoveAt(index);
    if (!entry) return;
    Retire(entry);
    FinishLayout();
}

void TPopupButtonManager::RemoveEntry(TPopupButtonBase* entry) {
    if (!entry) return;
    const int h = entry->Height();
    if (!entries_.Remove(entry)) return;
    Retire(entry);
    FinishLayout();
    if (ownerWindow_) ownerWindow_->SetClientHeight(ownerWindow_->ClientHeight() - h);
    SetClientHeight(ClientHeight() - h);
}

TPopupButtonBase* TPopupButtonManager::EntryAt(int x, int y) const {
    for (TPopupButtonBase* e : entries_) {
        if (e->Left() < x && x < e->Left() + e->Width() && e->Top() < y && y < e->Top() + e->Height())
            return e;
    }
    return nullptr;
}

void TPopupButtonManager::Paint(const RECT& clip) {
    // Only entries that meet the invalid area are drawn: a window of thousands of entries repaints
    // what was uncovered or changed, not everything.
    for (TPopupButtonBase* e : entries_) {
        const RECT r = e->BoundsRect();
        RECT meet;
        if (::IntersectRect(&meet, &r, &clip)) e->Paint();
    }
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
    if (TPopupButtonBase* e = hotEntry_) {
        hotEntry_ = nullptr;
        fw::HandlerScope hold(e);
        e->MouseLeave();
    }
}

TEntryScope::TEntryScope(TPopupButtonBase& entry) noexcept
    : window_(entry.Container() ? entry.Container()->Parent() : nullptr),
      container_(entry.Container()),
      entry_(entry) {}

TCloseRefusal::TCloseRefusal(TPopupButtonManager* container) noexcept
    : container_(container), hold_(container) {
    if (container_) container_->SetCloseAllowed(false);
}

TCloseRefusal::~TCloseRefusal() {
    if (container_) container_->SetCloseAllowed(true);
}
