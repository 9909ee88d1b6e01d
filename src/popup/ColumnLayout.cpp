#include "popup/ColumnLayout.h"

#include <algorithm>

void TColumnLayout::Reset() {
    columnWidth_ = previousWidth_ = columnCount_ = columnLeft_ = runningY_ = 0;
    columnWidths_.assign(1, 0);
}

int TColumnLayout::ColumnWidth(int column) const noexcept {
    if (column < 0 || column >= static_cast<int>(columnWidths_.size())) return 0;
    return columnWidths_[static_cast<size_t>(column)];
}

TColumnLayout::Place TColumnLayout::Append(Size entry, Size& area) {
    // After a column break the running top stays 0: the entry goes over the one that broke, for now.
    if (area.height <= runningY_) area.height += entry.height;
    Place place{columnLeft_, runningY_, 0};
    runningY_ += entry.height;
    previousWidth_ = columnWidth_;
    columnWidth_ = std::max(columnWidth_, entry.width);
    place.width = columnWidth_;
    area.width = columnLeft_ + columnWidth_;
    columnWidths_.back() = columnWidth_;
    return place;
}

TColumnLayout::Place TColumnLayout::BreakColumn(Size entry, Size& area) {
    columnWidths_.back() = previousWidth_;
    columnLeft_ += previousWidth_;
    runningY_ = 0;
    columnWidth_ = entry.width;
    area.width = columnLeft_ + columnWidth_;
    area.height -= entry.height;
    columnCount_ += 1;
    columnWidths_.push_back(0);
    return Place{columnLeft_, 0, entry.width};
}

std::vector<TColumnLayout::Place> TColumnLayout::Finish(const std::vector<Size>& entries, int height) {
    // Column widths: each column is as wide as its widest entry.
    int width = 0;
    int i = 0;
    int y = 0;
    for (const Size& e : entries) {
        y += e.height;
        if (height < y && i < columnCount_) {
            columnWidths_[static_cast<size_t>(i)] = width;
            ++i;
            y = e.height;
            width = 0;
        }
        width = std::max(width, e.width);
    }
    if (i < static_cast<int>(columnWidths_.size())) columnWidths_[static_cast<size_t>(i)] = width;

    // Places: columns break at the area's height, never into more columns than were opened.
    std::vector<Place> places;
    places.reserve(entries.size());
    int x = 0;
    int j = 0;
    y = 0;
    for (const Size& e : entries) {
        if (y + e.height > height && j < columnCount_) {
            x += columnWidths_[static_cast<size_t>(j)];
            ++j;
            y = 0;
        }
        places.push_back(Place{x, y, columnWidths_[static_cast<size_t>(j)]});
        y += e.height;
    }
    return places;
}
