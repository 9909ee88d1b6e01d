// Which entry is at a point, and painting: after the layout both find the entries by position, so their
// cost follows what is visible, not the number of entries.
#include "popup/PopupButtonManager.h"

#include <algorithm>

namespace {

bool Contains(const TPopupButtonBase* e, int x, int y) {
    // Strict on both sides: an entry's own left column and top row belong to no entry.
    return e->Left() < x && x < e->Left() + e->Width() && e->Top() < y && y < e->Top() + e->Height();
}

}  // namespace

TPopupButtonBase* TPopupButtonManager::EntryAt(int x, int y) const {
    if (!laidOut_) {
        for (TPopupButtonBase* e : entries_) {
            if (Contains(e, x, y)) return e;
        }
        return nullptr;
    }
    // The column is the last one starting left of x; in it, the last entry starting above y.
    const auto begin = entries_.begin();
    const auto columnEnd =
        std::partition_point(begin, entries_.end(), [x](const TPopupButtonBase* e) { return e->Left() < x; });
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
    if (!laidOut_) {
        for (TPopupButtonBase* e : entries_) paint(e);
        return;
    }
    // Only the entries that meet the invalid area are looked at: a window of thousands of entries
    // repaints what was uncovered or changed, at the cost of what is seen.
    const auto end = entries_.end();
    for (auto column = entries_.begin(); column != end;) {
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
