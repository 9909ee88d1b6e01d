// Where a menu's entries go, from their sizes alone (no window, no entry objects).
//
// A fill places its entries one below the other as they come (Append), in one column while the window
// takes the height; the window sizes itself from the area that grows to hold them. When a window refuses a
// height (the platform's limit on window sizes), the entry that did not fit starts the next column
// (BreakColumn) and the next entries are placed over it until the final layout (Finish) gives every entry
// its place: columns break where the area's height is reached, never into more columns than the fill
// opened, and every entry is as wide as the widest entry of its column.
#pragma once

#include <vector>

class TColumnLayout {
public:
    struct Size {
        int width = 0;
        int height = 0;
    };
    struct Place {
        int left = 0;
        int top = 0;
        int width = 0;
    };

    TColumnLayout() { Reset(); }

    // Starts afresh: one empty column.
    void Reset();
    // The next entry of a fill, placed below the last one in the current column; `area` grows to hold it.
    Place Append(Size entry, Size& area);
    // The window did not take `area` with the entry just appended (its size is `entry`, its width as
    // Append gave it): it starts a new column instead, and `area` loses its height again.
    Place BreakColumn(Size entry, Size& area);
    // The final places of entries of these sizes, in display order, in an area `height` high.
    std::vector<Place> Finish(const std::vector<Size>& entries, int height);

    // The column breaks made so far (0: one column), and each column's width.
    int ColumnCount() const noexcept { return columnCount_; }
    int ColumnWidth(int column) const noexcept;

private:
    int columnWidth_ = 0;
    int previousWidth_ = 0;  // the current column's width before the last entry came
    int columnCount_ = 0;
    int columnLeft_ = 0;
    int runningY_ = 0;
    std::vector<int> columnWidths_;
};
