// Showing only some entries (a search typed into a window): the others stay the container's, out of the
// list, and come back in their order when the filter ends. Captions are compared folded (case, width and
// kana type do not count), each folded once while the filter lasts, so a key typed into the search costs
// a pass over the entries and a layout, not a fold of every caption.
#include "popup/PopupButtonManager.h"

#include "popup/TypeAheadIndex.h"

#include <algorithm>

bool TPopupButtonManager::Shows(const TPopupButtonBase* entry) const {
    if (!filtering_ || entry == pinned_) return true;
    const std::wstring* caption = entry->CaptionText();
    if (!caption || !entry->Actionable()) return false;
    if (entry->foldedStale_) {
        entry->folded_ = TTypeAheadIndex::Fold(*caption);
        entry->foldedStale_ = false;
    }
    return entry->folded_.find(filter_) != std::wstring::npos;
}

void TPopupButtonManager::SetFilter(const std::wstring& text, const TPopupButtonBase* pinned) {
    if (!filtering_) all_ = entries_;
    filtering_ = true;
    pinned_ = pinned;
    filter_ = TTypeAheadIndex::Fold(text);
    const TPopupButtonBase* before = hotEntry_;
    entries_.clear();
    for (TPopupButtonBase* e : all_) {
        e->index_ = -1;
        if (Shows(e)) {
            e->index_ = static_cast<int>(entries_.size());
            entries_.push_back(e);
        }
    }
    if (hotEntry_ && hotEntry_->index_ < 0) {
        hotEntry_->SetHighlight(false);
        hotEntry_ = nullptr;
    }
    LayOutAgain();
    HighlightChanged(before);
}

void TPopupButtonManager::ClearFilter() {
    if (!filtering_) return;
    filtering_ = false;
    pinned_ = nullptr;
    filter_.clear();
    entries_.swap(all_);
    all_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) entries_[i]->index_ = static_cast<int>(i);
    LayOutAgain();
}

void TPopupButtonManager::LayOutAgain() {
    typeAhead_.Clear();
    laidOut_ = false;
    layout_.Reset();
    TColumnLayout::Size area{0, 0};
    for (TPopupButtonBase* e : entries_) PlaceNext(e, area);
    SetBounds(Left(), Top(), area.width, area.height);
    FinishLayout();
}
