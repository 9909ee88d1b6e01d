// Showing only some entries (a search typed into a window): the others stay the container's, out of the
// list, and come back in their order when the filter ends. Captions are compared folded (case, width and
// kana type do not count), each folded once while the filter lasts, so a key typed into the search costs
// a pass over the entries and a layout, not a fold of every caption.
#include "popup/PopupButtonManager.h"

#include "popup/TypeAheadIndex.h"

#include <algorithm>

bool TPopupButtonManager::Shows(const TPopupButtonBase* entry) const {
    if (!filtering_ || std::find(pinned_.begin(), pinned_.end(), entry) != pinned_.end()) return true;
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
    if (std::find(pinned_.begin(), pinned_.end(), pinned) == pinned_.end()) pinned_.push_back(pinned);
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
    pinned_.clear();
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

void TPopupButtonManager::Pin(const TPopupButtonBase* entry) {
    pinned_.push_back(entry);
}

void TPopupButtonManager::RemoveEntries(const std::vector<TPopupButtonBase*>& gone) {
    if (gone.empty()) return;
    const std::unordered_set<const TPopupButtonBase*> leaving(gone.begin(), gone.end());
    const auto goes = [&leaving](const TPopupButtonBase* e) { return leaving.count(e) != 0; };
    const TPopupButtonBase* before = hotEntry_;
    if (hotEntry_ && goes(hotEntry_)) hotEntry_ = nullptr;
    if (pressedEntry_ && goes(pressedEntry_)) pressedEntry_ = nullptr;
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), goes), entries_.end());
    all_.erase(std::remove_if(all_.begin(), all_.end(), goes), all_.end());
    pinned_.erase(std::remove_if(pinned_.begin(), pinned_.end(), goes), pinned_.end());
    for (size_t i = 0; i < entries_.size(); ++i) entries_[i]->index_ = static_cast<int>(i);
    // The last first: each leaves the end of the container's components.
    for (auto e = gone.rbegin(); e != gone.rend(); ++e) {
        if (held_.count(*e)) Retire(*e);
    }
    LayOutAgain();
    HighlightChanged(before);
}
