// The highlight and the keys that move it: a key finds the highlighted entry by its index, steps over
// what cannot act, and type-ahead asks an index of the captions, so no key walks the whole list.
#include "popup/PopupButtonManager.h"

#include "popup/PopupBase.h"

#include <algorithm>

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
    // The leave may have emptied the container: an entry freed meanwhile is not lit.
    if (!Holds(entry) || entry->Marked()) return;
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
    const int count = EntryCount();
    const int current = IndexOf(hotEntry_);
    const bool none = current < 0;
    const auto acts = [this](int i) { return entries_[static_cast<size_t>(i)]->Actionable(); };
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
            travelled += entries_[static_cast<size_t>(i)]->Height();
            if (travelled > page && target >= 0) break;
            if (acts(i)) target = i;
        }
        if (target < 0) target = current;
    }
    if (target < 0) return false;
    SetHighlight(entries_[static_cast<size_t>(target)]);
    return true;
}

bool TPopupButtonManager::TypeAhead(wchar_t c) {
    const ULONGLONG now = ::GetTickCount64();
    if (now - typedAt_ > static_cast<ULONGLONG>(kTypeAheadPause)) typed_.clear();
    typedAt_ = now;
    typed_ += c;
    const int count = EntryCount();
    if (count == 0) return false;
    if (!typeAhead_.Built()) {
        // Made once after each change of the entries; only entries the highlight may rest on are found.
        std::vector<std::pair<std::wstring, int>> captions;
        for (int i = 0; i < count; ++i) {
            const TPopupButtonBase* e = entries_[static_cast<size_t>(i)];
            const std::wstring* caption = e->Actionable() ? e->CaptionText() : nullptr;
            if (caption) captions.emplace_back(TTypeAheadIndex::Fold(*caption), i);
        }
        typeAhead_.Build(std::move(captions));
    }
    const int here = IndexOf(hotEntry_);
    const auto find = [&](const std::wstring& prefix, int from) -> TPopupButtonBase* {
        const int at = typeAhead_.Next(TTypeAheadIndex::Fold(prefix), from % count);
        return at >= 0 ? entries_[static_cast<size_t>(at)] : nullptr;
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
