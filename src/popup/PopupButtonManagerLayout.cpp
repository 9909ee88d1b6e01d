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

void TPopupButtonManager::PlaceNext(TPopupButtonBase* entry) {
    TColumnLayout::Size area{ClientWidth(), ClientHeight()};
    const TColumnLayout::Place place = layout_.Append(SizeOf(entry), area);
    entry->SetLeft(place.left).SetTop(place.top).SetWidth(place.width);
    SetBounds(Left(), Top(), area.width, area.height);
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
        PlaceNext(e);
        GrowOwnerWindow(e);
    }
}

void TPopupButtonManager::LayOutInPlace() {
    windowSizePending_ = false;
    FinishLayout();
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
    laidOut_ = true;
    Invalidate();
}

void TPopupButtonManager::Relayout() {
    laidOut_ = false;
    SetClientWidth(0);
    SetClientHeight(0);
    layout_.Reset();
    for (TPopupButtonBase* e : entries_) {
        // As new: entries that do not measure their width (separators) take the column's afresh.
        e->SetWidth(0);
        e->Measure();
        PlaceNext(e);
    }
    windowSizePending_ = ownerWindow_ != nullptr;
    FinishLayout();
}
