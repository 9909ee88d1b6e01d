#include "popup/PopupButtonManager.h"

#include "popup/PopupBase.h"

#include <algorithm>

TPopupButtonManager::TPopupButtonManager(fw::Component* owner) : fw::GraphicControl(owner) {
    ownerWindow_ = dynamic_cast<TPopupMenuBase*>(owner);
    ResetLayoutState();
}

TPopupButtonManager::~TPopupButtonManager() {
    *alive_ = false;
    hotEntry_ = pressedEntry_ = nullptr;
    entries_.Clear();
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
    ++generation_;
    hotEntry_ = pressedEntry_ = nullptr;
    entries_.Clear();
    SetClientWidth(0);
    SetClientHeight(0);
    // A refill lays out from scratch, so a window refilled with fewer or narrower entries shrinks.
    ResetLayoutState();
    if (ownerWindow_) {
        ownerWindow_->SetWidth(0);
        ownerWindow_->SetHeight(0);
    }
}

void TPopupButtonManager::ForgetEntry(TPopupButtonBase* entry) noexcept {
    ++generation_;
    if (hotEntry_ == entry) hotEntry_ = nullptr;
    if (pressedEntry_ == entry) pressedEntry_ = nullptr;
}

void TPopupButtonManager::RemoveEntryAt(int index) {
    TPopupButtonBase* entry = entries_.Items(index);
    if (!entry) return;
    entries_.RemoveAt(index);
    ForgetEntry(entry);
    delete entry;
    FinishLayout();
}

void TPopupButtonManager::RemoveEntry(TPopupButtonBase* entry) {
    if (!entry) return;
    const int h = entry->Height();
    if (!entries_.Remove(entry)) return;
    ForgetEntry(entry);
    delete entry;
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
    pressedEntry_ = EntryAt(x, y);
    if (!pressedEntry_) return;
    pressedEntry_->MouseDown(button, shift, x - pressedEntry_->Left(), y - pressedEntry_->Top());
}

void TPopupButtonManager::MouseMove(fw::ShiftState shift, int x, int y) {
    TPopupButtonBase* e = EntryAt(x, y);
    if (e && e == hotEntry_) {
        e->MouseMove(shift, x - e->Left(), y - e->Top());
    } else {
        if (hotEntry_) hotEntry_->MouseLeave();
        if (e) e->MouseEnter();
        hotEntry_ = e;
    }
    if (pressedEntry_ && IsDraggable && IsDraggable(*pressedEntry_)) {
        const int dx = pressX_ - x;
        const int dy = pressY_ - y;
        if (dy * dy + dx * dx > 25) {
            TPopupButtonBase* dragged = pressedEntry_;
            // The release that ends the drag goes to the drag loop, not to us: forget the press now so
            // that no later move starts a second drag.
            pressedEntry_ = nullptr;
            if (StartDrag) StartDrag(*dragged);
        }
    }
}

void TPopupButtonManager::MouseUp(fw::MouseButton button, fw::ShiftState shift, int x, int y) {
    TPopupButtonBase* e = EntryAt(x, y);
    if (!e) {
        pressedEntry_ = nullptr;
        return;
    }
    TPopupButtonBase* pressed = pressedEntry_;
    pressedEntry_ = nullptr;
    const std::shared_ptr<bool> alive = alive_;
    const unsigned generation = generation_;
    e->MouseUp(button, shift, x - e->Left(), y - e->Top());
    if (!*alive || generation != generation_) return;  // the entry is gone
    if (e == pressed && button == fw::MouseButton::Left) e->Click();
}

void TPopupButtonManager::CMMouseLeave() {
    if (hotEntry_) {
        TPopupButtonBase* e = hotEntry_;
        hotEntry_ = nullptr;
        e->MouseLeave();
    }
    pressedEntry_ = nullptr;
}
