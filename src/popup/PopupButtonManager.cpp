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
    indexValid_ = false;
    entry->Attach(this);
    entry->Measure();
    PlaceNext(entry);
    // The window takes its size once the fill is done: sizing it for every entry of a big folder
    // would cost more than listing the folder.
    windowSizePending_ = ownerWindow_ != nullptr;
}

int TPopupButtonManager::PlaceNext(TPopupButtonBase* entry) {
    if (ClientHeight() <= runningY_) SetClientHeight(ClientHeight() + entry->Height());
    entry->SetLeft(columnLeft_).SetTop(runningY_);
    runningY_ += entry->Height();
    const int previousWidth = columnWidth_;
    columnWidth_ = std::max(columnWidth_, entry->Width());
    entry->SetWidth(columnWidth_);
    SetClientWidth(columnLeft_ + columnWidth_);
    columnWidths_.back() = columnWidth_;
    return previousWidth;
}

bool TPopupButtonManager::GrowOwnerWindow(TPopupButtonBase* entry, int previousWidth) {
    SetOwnerClientSize(ClientWidth(), ClientHeight());
    if (ownerWindow_->ClientHeight() > 0) return true;

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
    return false;
}

void TPopupButtonManager::FitOwnerWindow() {
    if (!ownerWindow_ || !windowSizePending_) return;
    windowSizePending_ = false;
    SetOwnerClientSize(ClientWidth(), ClientHeight());
    // Neither Windows nor Wine refuses a tall window today; should one, the entries break into columns
    // exactly where sizing entry by entry would have broken them.
    if (ClientHeight() > 0 && ownerWindow_->ClientHeight() <= 0) ReplayWithWindow();
}

void TPopupButtonManager::ReplayWithWindow() {
    SetClientWidth(0);
    SetClientHeight(0);
    ResetLayoutState();
    for (TPopupButtonBase* e : entries_) {
        const int previousWidth = PlaceNext(e);
        GrowOwnerWindow(e, previousWidth);
    }
}

void TPopupButtonManager::FinishLayout() {
    FitOwnerWindow();
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
    IndexEntries();
    Invalidate();
}

void TPopupButtonManager::Relayout() {
    indexValid_ = false;
    SetClientWidth(0);
    SetClientHeight(0);
    ResetLayoutState();
    for (TPopupButtonBase* e : entries_) {
        // As new: entries that do not measure their width (separators) take the column's afresh.
        e->SetWidth(0);
        e->Measure();
        PlaceNext(e);
    }
    windowSizePending_ = ownerWindow_ != nullptr;
    FinishLayout();
}

void TPopupButtonManager::IndexEntries() {
    index_.clear();
    index_.reserve(static_cast<size_t>(entries_.Count()));
    for (TPopupButtonBase* e : entries_) index_.push_back(e);
    indexValid_ = true;
}

void TPopupButtonManager::ClearEntries() {
    hotEntry_ = pressedEntry_ = nullptr;
    indexValid_ = false;
    index_.clear();
    windowSizePending_ = false;
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
    indexValid_ = false;
    Retire(entry);
    FinishLayout();
}

void TPopupButtonManager::RemoveEntry(TPopupButtonBase* entry) {
    if (!entry) return;
    const int h = entry->Height();
    if (!entries_.Remove(entry)) return;
    indexValid_ = false;
    Retire(entry);
    FinishLayout();
    if (ownerWindow_) ownerWindow_->SetClientHeight(ownerWindow_->ClientHeight() - h);
    SetClientHeight(ClientHeight() - h);
}

namespace {

bool Contains(const TPopupButtonBase* e, int x, int y) {
    // Strict on both sides: an entry's own left column and top row belong to no entry.
    return e->Left() < x && x < e->Left() + e->Width() && e->Top() < y && y < e->Top() + e->Height();
}

}  // namespace

TPopupButtonBase* TPopupButtonManager::EntryAt(int x, int y) const {
    if (!indexValid_) {
        for (TPopupButtonBase* e : entries_) {
            if (Contains(e, x, y)) return e;
        }
        return nullptr;
    }
    // The column is the last one starting left of x; in it, the last entry starting above y.
    const auto begin = index_.begin();
    const auto columnEnd =
        std::partition_point(begin, index_.end(), [x](const TPopupButtonBase* e) { return e->Left() < x; });
    if (columnEnd == begin) return nullptr;
    const int left = (*(columnEnd - 1))->Left();
    const auto columnBegin = std::partition_point(
        begin, columnEnd, [left](const TPopupButtonBase* e) { return e->Left() < left; });
    const auto below =
        std::partition_point(columnBegin, columnEnd, [y](const TPopupButtonBase* e) { return e->Top() < y; });
    if (below == columnBegin) return nullptr;
    TPopupButtonBase* e = *(below - 1);
    return Contains(e, x, y) ? e : nullptr;
}

void TPopupButtonManager::Paint(const RECT& clip) {
    auto paint = [&clip](TPopupButtonBase* e) {
        const RECT r = e->BoundsRect();
        RECT meet;
        if (::IntersectRect(&meet, &r, &clip)) e->Paint();
    };
    if (!indexValid_) {
        for (TPopupButtonBase* e : entries_) paint(e);
        return;
    }
    // Only the entries that meet the invalid area are looked at: a window of thousands of entries
    // repaints what was uncovered or changed, at the cost of what is seen.
    const auto end = index_.end();
    for (auto column = index_.begin(); column != end;) {
        const int left = (*column)->Left();
        if (left >= clip.right) break;
        const auto columnEnd = std::partition_point(
            column, end, [left](const TPopupButtonBase* e) { return e->Left() <= left; });
        if (left + (*column)->Width() > clip.left) {
            auto it = std::partition_point(column, columnEnd, [&clip](const TPopupButtonBase* e) {
                return e->Top() + e->Height() <= clip.top;
            });
            for (; it != columnEnd && (*it)->Top() < clip.bottom; ++it) paint(*it);
        }
        column = columnEnd;
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
