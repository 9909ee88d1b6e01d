// Owning the entries: adding, removing and refilling them, and the close refusals.
#include "popup/PopupButtonManager.h"

#include "popup/PopupBase.h"

#include <algorithm>

TPopupButtonManager::TPopupButtonManager(fw::Component* owner) : fw::GraphicControl(owner) {
    ownerWindow_ = dynamic_cast<TPopupMenuBase*>(owner);
}

TPopupButtonManager::~TPopupButtonManager() {
    hotEntry_ = pressedEntry_ = nullptr;
    std::vector<TPopupButtonBase*> old;
    old.swap(filtering_ ? all_ : entries_);
    entries_.clear();
    // The last first: each leaves the end of the container's components.
    for (auto e = old.rbegin(); e != old.rend(); ++e) Retire(*e);
}

void TPopupButtonManager::Retire(TPopupButtonBase* entry) noexcept {
    if (hotEntry_ == entry) hotEntry_ = nullptr;
    if (pressedEntry_ == entry) pressedEntry_ = nullptr;
    held_.erase(entry);
    entry->index_ = -1;
    // One whose handler still runs leaves the container's components now and goes when the handler
    // returns; should the container go first, it is told (fw::Component::OwnerGone).
    entry->Free();
}

TPopupButtonBase* TPopupButtonManager::Entries(int index) const noexcept {
    if (index < 0 || index >= EntryCount()) return nullptr;
    return entries_[static_cast<size_t>(index)];
}

int TPopupButtonManager::IndexOf(const TPopupButtonBase* entry) const noexcept {
    if (!entry || entry->container_ != this) return -1;
    const int index = entry->index_;
    return index >= 0 && index < EntryCount() && entries_[static_cast<size_t>(index)] == entry ? index : -1;
}

void TPopupButtonManager::AddEntry(TPopupButtonBase* entry) {
    if (!entry) return;
    TColumnLayout::Size area{ClientWidth(), ClientHeight()};
    Adopt(entry, area);
    SetBounds(Left(), Top(), area.width, area.height);
}

void TPopupButtonManager::AddEntries(const std::vector<TPopupButtonBase*>& entries) {
    // The container takes its new size once: a visible window is not asked to repaint for every row.
    TColumnLayout::Size area{ClientWidth(), ClientHeight()};
    for (TPopupButtonBase* entry : entries) {
        if (entry) Adopt(entry, area);
    }
    SetBounds(Left(), Top(), area.width, area.height);
}

void TPopupButtonManager::Adopt(TPopupButtonBase* entry, TColumnLayout::Size& area) {
    if (filtering_) all_.push_back(entry);
    held_.insert(entry);
    InsertComponent(entry);
    entry->Attach(this);
    entry->Measure();
    // A row the filter hides stays the container's, out of the list.
    if (filtering_ && !Shows(entry)) return;
    entries_.push_back(entry);
    entry->index_ = EntryCount() - 1;
    laidOut_ = false;
    typeAhead_.Clear();
    PlaceNext(entry, area);
    // The window takes its size once the fill is done: sizing it for every entry of a big folder
    // would cost more than listing the folder.
    windowSizePending_ = ownerWindow_ != nullptr;
}

void TPopupButtonManager::ClearEntries() {
    const TPopupButtonBase* before = hotEntry_;
    hotEntry_ = pressedEntry_ = nullptr;
    keyboardHighlight_ = false;
    laidOut_ = false;
    laidOutCount_ = 0;
    windowSizePending_ = false;
    typeAhead_.Clear();
    // The list is empty before the first entry goes: an entry's destruction sees a consistent container.
    std::vector<TPopupButtonBase*> old;
    old.swap(filtering_ ? all_ : entries_);
    entries_.clear();
    filtering_ = false;
    pinned_.clear();
    held_.clear();
    for (auto e = old.rbegin(); e != old.rend(); ++e) Retire(*e);
    SetClientWidth(0);
    SetClientHeight(0);
    // A refill lays out from scratch, so a window refilled with fewer or narrower entries shrinks.
    layout_.Reset();
    if (ownerWindow_) {
        ownerWindow_->SetWidth(0);
        ownerWindow_->SetHeight(0);
    }
    HighlightChanged(before);
}

void TPopupButtonManager::InsertFirst(TPopupButtonBase* entry) {
    if (!entry) return;
    if (filtering_) all_.insert(all_.begin(), entry);
    entries_.insert(entries_.begin(), entry);
    held_.insert(entry);
    InsertComponent(entry);
    for (size_t i = 0; i < entries_.size(); ++i) entries_[i]->index_ = static_cast<int>(i);
    entry->Attach(this);
    entry->Measure();
    LayOutAgain();
}

void TPopupButtonManager::RemoveEntryAt(int index) {
    TPopupButtonBase* entry = Entries(index);
    if (!entry) return;
    if (filtering_) all_.erase(std::find(all_.begin(), all_.end(), entry));
    entries_.erase(entries_.begin() + index);
    for (size_t i = static_cast<size_t>(index); i < entries_.size(); ++i)
        entries_[i]->index_ = static_cast<int>(i);
    const TPopupButtonBase* before = hotEntry_;
    laidOut_ = false;
    typeAhead_.Clear();
    Retire(entry);
    FinishLayout();
    HighlightChanged(before);
}

void TPopupButtonManager::RemoveEntry(TPopupButtonBase* entry) {
    const int index = IndexOf(entry);
    if (index < 0) return;
    const int h = entry->Height();
    RemoveEntryAt(index);
    if (ownerWindow_) ownerWindow_->SetClientHeight(ownerWindow_->ClientHeight() - h);
    SetClientHeight(ClientHeight() - h);
}

void TPopupButtonManager::SetCloseAllowed(bool allowed) noexcept {
    if (!allowed) {
        ++closeRefusals_;
    } else if (closeRefusals_ > 0) {
        --closeRefusals_;
    }
    closeAllowed_ = closeRefusals_ == 0;
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
