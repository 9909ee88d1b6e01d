// Columns and the window's size: where the entries go comes from TColumnLayout; here the container and
// its window take the sizes, and a window that refuses a height makes the entries break into columns.
#include "popup/PopupButtonManager.h"

#include "popup/PopupBase.h"

namespace {

TColumnLayout::Size SizeOf(const TPopupButtonBase* entry) {
    return TColumnLayout::Size{entry->Width(), entry->Height()};
}

}  // namespace

void TPopupButtonManager::SetOwnerClientSize(int width, int height) {
    if (!ownerWindow_) return;
    ownerWindow_->SetClientSize(width, height);
}

void TPopupButtonManager::PlaceNext(TPopupButtonBase* entry, TColumnLayout::Size& area) {
    const TColumnLayout::Place place = layout_.Append(SizeOf(entry), area);
    entry->SetLeft(place.left).SetTop(place.top).SetWidth(place.width);
}

bool TPopupButtonManager::GrowOwnerWindow(TPopupButtonBase* entry) {
    SetOwnerClientSize(ClientWidth(), ClientHeight());
    if (ownerWindow_->ClientHeight() > 0) return true;

    // The window did not take the height: this entry starts a new column.
    TColumnLayout::Size area{ClientWidth(), ClientHeight()};
    const TColumnLayout::Place place = layout_.BreakColumn(SizeOf(entry), area);
    entry->SetLeft(place.left).SetTop(place.top);
    SetBounds(Left(), Top(), area.width, area.height);
    SetOwnerClientSize(ClientWidth(), ClientHeight());
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
    layout_.Reset();
    for (TPopupButtonBase* e : entries_) {
        TColumnLayout::Size area{ClientWidth(), ClientHeight()};
        PlaceNext(e, area);
        SetBounds(Left(), Top(), area.width, area.height);
        GrowOwnerWindow(e);
    }
}

void TPopupButtonManager::LayOutInPlace() {
    windowSizePending_ = false;
    const size_t placed = laidOutCount_;
    const auto follows = [this](size_t i) {
        return i >= entries_.size() ||
               entries_[i]->Top() == entries_[i - 1]->Top() + entries_[i - 1]->Height();
    };
    if (layout_.ColumnCount() > 0 || placed == 0 || placed > entries_.size() || !follows(placed)) {
        FinishLayout();
        return;
    }
    // One column, as a window that scrolls has: the fill placed the new entries below the others already,
    // so only their width is set, and the earlier entries' only when a wider entry came. A growing window
    // of a hundred thousand rows lays out what came, not what it holds.
    const int width = layout_.ColumnWidth(0);
    const size_t from = width == laidOutWidth_ ? placed : 0;
    for (size_t i = from; i < entries_.size(); ++i) entries_[i]->SetWidth(width);
    laidOutCount_ = entries_.size();
    laidOutWidth_ = width;
    laidOut_ = true;
    Invalidate();
}

void TPopupButtonManager::FinishLayout() {
    FitOwnerWindow();
    std::vector<TColumnLayout::Size> sizes;
    sizes.reserve(entries_.size());
    for (const TPopupButtonBase* e : entries_) sizes.push_back(SizeOf(e));
    const std::vector<TColumnLayout::Place> places = layout_.Finish(sizes, ClientHeight());
    for (size_t i = 0; i < entries_.size(); ++i) {
        entries_[i]->SetWidth(places[i].width).SetLeft(places[i].left).SetTop(places[i].top);
    }
    laidOutCount_ = entries_.size();
    laidOutWidth_ = layout_.ColumnCount() == 0 ? layout_.ColumnWidth(0) : -1;
    laidOut_ = true;
    Invalidate();
}

void TPopupButtonManager::Relayout() {
    laidOut_ = false;
    SetClientWidth(0);
    SetClientHeight(0);
    layout_.Reset();
    TColumnLayout::Size area{0, 0};
    for (TPopupButtonBase* e : entries_) {
        // As new: entries that do not measure their width (separators) take the column's afresh.
        e->SetWidth(0);
        e->Measure();
        PlaceNext(e, area);
    }
    SetBounds(Left(), Top(), area.width, area.height);
    windowSizePending_ = ownerWindow_ != nullptr;
    FinishLayout();
}
