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
    const TPopupButtonBase* before = hotEntry_;
    hotEntry_ = pressedEntry_ = nullptr;
    keyboardHighlight_ = false;
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
    HighlightChanged(before);
}

void TPopupButtonManager::RemoveEntryAt(int index) {
    TPopupButtonBase* entry = entries_.RemoveAt(index);
    if (!entry) return;
    const TPopupButtonBase* before = hotEntry_;
    indexValid_ = false;
    Retire(entry);
    FinishLayout();
    HighlightChanged(before);
}

void TPopupButtonManager::RemoveEntry(TPopupButtonBase* entry) {
    if (!entry) return;
    const int h = entry->Height();
    if (!entries_.Remove(entry)) return;
    const TPopupButtonBase* before = hotEntry_;
    indexValid_ = false;
    Retire(entry);
    FinishLayout();
    if (ownerWindow_) ownerWindow_->SetClientHeight(ownerWindow_->ClientHeight() - h);
    SetClientHeight(ClientHeight() - h);
    HighlightChanged(before);
}

namespace {

// Where the cursor was when the message being handled was made: a mouse that moved while the program was
// busy with a key is told apart from one that rests.
POINT MessageCursor() noexcept {
    const DWORD at = ::GetMessagePos();
    return POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
}

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

bool TPopupButtonManager::Holds(const TPopupButtonBase* entry) const noexcept {
    if (!entry) return false;
    for (const TPopupButtonBase* e : entries_) {
        if (e == entry) return true;
    }
    return false;
}

std::vector<TPopupButtonBase*> TPopupButtonManager::Ordered() const {
    if (indexValid_) return index_;
    std::vector<TPopupButtonBase*> order;
    order.reserve(static_cast<size_t>(entries_.Count()));
    for (TPopupButtonBase* e : entries_) order.push_back(e);
    return order;
}

void TPopupButtonManager::HighlightChanged(const TPopupButtonBase* before) {
    if (hotEntry_ != before && OnHighlightChange) OnHighlightChange(*this);
}

void TPopupButtonManager::MoveHotTo(TPopupButtonBase* entry) {
    TPopupButtonBase* old = hotEntry_;
    const bool mouseHot = !keyboardHighlight_;
    keyboardHighlight_ = entry != nullptr;
    keyboardCursor_ = MessageCursor();
    if (old && old != entry) {
        hotEntry_ = nullptr;
        fw::HandlerScope hold(old);
        // An entry the mouse entered hears that it was left (its hover stops); one a key lit only goes dark.
        if (mouseHot) {
            old->MouseLeave();
        } else {
            old->SetHighlight(false);
        }
    }
    if (!entry || entry->Marked() || !Holds(entry)) return;
    hotEntry_ = entry;
    // A hover the mouse started on the entry would open or close a submenu behind the key's back.
    entry->tracker_.Stop();
    fw::HandlerScope hold(entry);
    entry->SetHighlight(true);
}

void TPopupButtonManager::SetHighlight(TPopupButtonBase* entry) {
    // Letters typed before the highlight went elsewhere are no start of a caption any more.
    typed_.clear();
    Highlight(entry);
}

void TPopupButtonManager::Highlight(TPopupButtonBase* entry) {
    if (entry && entry->Container() != this) return;
    const TPopupButtonBase* before = hotEntry_;
    MoveHotTo(entry);
    if (hotEntry_) ScrollIntoView(hotEntry_);
    HighlightChanged(before);
}

void TPopupButtonManager::ScrollIntoView(const TPopupButtonBase* entry) {
    if (!ownerWindow_ || !entry) return;
    const auto fit = [](fw::FormScrollBar& bar, int start, int size, int view) {
        if (!bar.IsShowing()) return;
        if (start < bar.Position()) {
            bar.SetPosition(start);
        } else if (start + size > bar.Position() + view) {
            bar.SetPosition(std::min(start, start + size - view));
        }
    };
    fit(ownerWindow_->VertScrollBar(), entry->Top(), entry->Height(), ownerWindow_->ClientHeight());
    fit(ownerWindow_->HorzScrollBar(), entry->Left(), entry->Width(), ownerWindow_->ClientWidth());
}

bool TPopupButtonManager::MoveHighlight(THighlightMove move) {
    const std::vector<TPopupButtonBase*> order = Ordered();
    const int count = static_cast<int>(order.size());
    const auto current = static_cast<int>(std::find(order.begin(), order.end(), hotEntry_) - order.begin());
    const bool none = !hotEntry_ || current == count;
    const auto acts = [&order](int i) { return order[static_cast<size_t>(i)]->Actionable(); };
    // The first actionable entry from `from` on in steps of `step`, wrapping around when asked; -1 if none.
    const auto seek = [&](int from, int step, bool wrap) {
        for (int n = 0, i = from; n < count; ++n, i += step) {
            if (wrap) i = (i + count) % count;
            if (i < 0 || i >= count) break;
            if (acts(i)) return i;
        }
        return -1;
    };
    int target = -1;
    const bool down =
        move == THighlightMove::Next || move == THighlightMove::First || move == THighlightMove::PageDown;
    if (move == THighlightMove::First || (none && down)) {
        target = seek(0, 1, false);
    } else if (move == THighlightMove::Last || none) {
        target = seek(count - 1, -1, false);
    } else if (move == THighlightMove::Next || move == THighlightMove::Previous) {
        target = seek(current + (down ? 1 : -1), down ? 1 : -1, true);
    } else {
        // A page is what the window shows; the highlight goes to the last actionable entry within it, and
        // at least to the next one.
        const int step = down ? 1 : -1;
        const int page = ownerWindow_ ? ownerWindow_->ClientHeight() : Height();
        int travelled = 0;
        for (int i = current + step; i >= 0 && i < count; i += step) {
            travelled += order[static_cast<size_t>(i)]->Height();
            if (travelled > page && target >= 0) break;
            if (acts(i)) target = i;
        }
        if (target < 0) target = current;
    }
    if (target < 0) return false;
    SetHighlight(order[static_cast<size_t>(target)]);
    return true;
}

namespace {

bool CaptionStartsWith(const TPopupButtonBase* e, const std::wstring& prefix) {
    const std::wstring* caption = e->CaptionText();
    if (!caption || caption->size() < prefix.size()) return false;
    const int n = static_cast<int>(prefix.size());
    // Half- and full-width letters and hiragana and katakana count as the same: captions mix them.
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE | NORM_IGNOREWIDTH | NORM_IGNOREKANATYPE,
                            caption->c_str(), n, prefix.c_str(), n) == CSTR_EQUAL;
}

}  // namespace

bool TPopupButtonManager::TypeAhead(wchar_t c) {
    const ULONGLONG now = ::GetTickCount64();
    if (now - typedAt_ > static_cast<ULONGLONG>(kTypeAheadPause)) typed_.clear();
    typedAt_ = now;
    typed_ += c;
    const std::vector<TPopupButtonBase*> order = Ordered();
    const int count = static_cast<int>(order.size());
    if (count == 0) return false;
    const auto current = static_cast<int>(std::find(order.begin(), order.end(), hotEntry_) - order.begin());
    const int here = current == count ? -1 : current;
    const auto find = [&](const std::wstring& prefix, int from) -> TPopupButtonBase* {
        for (int n = 0; n < count; ++n) {
            TPopupButtonBase* e = order[static_cast<size_t>((from + n + count) % count)];
            if (e->Actionable() && CaptionStartsWith(e, prefix)) return e;
        }
        return nullptr;
    };
    // A longer text may still fit the highlighted entry; a first letter looks from the next one on.
    TPopupButtonBase* found = find(typed_, typed_.size() > 1 ? std::max(here, 0) : here + 1);
    if (!found && typed_.find_first_not_of(typed_[0]) == std::wstring::npos) {
        found = find(typed_.substr(0, 1), here + 1);
    }
    if (!found) return false;
    Highlight(found);
    return true;
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
