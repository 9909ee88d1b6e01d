// The column layout of a menu's entries, from their sizes alone: no window is needed.
#include "popup/ColumnLayout.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Size = TColumnLayout::Size;
using Places = std::vector<std::tuple<int, int, int>>;  // left, top, width

Places AsTuples(const std::vector<TColumnLayout::Place>& places) {
    Places out;
    for (const auto& p : places) out.emplace_back(p.left, p.top, p.width);
    return out;
}

TEST(ColumnLayout, AFillStacksEntriesInOneColumnAsWideAsItsWidestEntry) {
    TColumnLayout layout;
    Size area;
    const std::vector<Size> sizes{{40, 10}, {90, 12}, {60, 10}};
    std::vector<int> tops;
    for (const Size& s : sizes) tops.push_back(layout.Append(s, area).top);
    EXPECT_EQ(tops, (std::vector<int>{0, 10, 22}));
    EXPECT_EQ(area.width, 90);
    EXPECT_EQ(area.height, 32);
    EXPECT_EQ(AsTuples(layout.Finish(sizes, area.height)), (Places{{0, 0, 90}, {0, 10, 90}, {0, 22, 90}}));
    EXPECT_EQ(layout.ColumnCount(), 0);
    EXPECT_EQ(layout.ColumnWidth(0), 90);
    EXPECT_EQ(layout.ColumnWidth(1), 0);
}

TEST(ColumnLayout, AWindowThatRefusesAHeightBreaksTheEntriesIntoNoMoreColumnsThanItOpened) {
    // The window takes no more than 25 pixels: the third entry starts a second column, the fifth does
    // not fit it either but no third column was opened.
    TColumnLayout layout;
    Size area;
    const std::vector<Size> sizes{{40, 10}, {50, 10}, {30, 10}, {70, 10}, {20, 10}};
    for (const Size& s : sizes) {
        const TColumnLayout::Place p = layout.Append(s, area);
        if (area.height > 25) layout.BreakColumn(Size{p.width, s.height}, area);
    }
    EXPECT_EQ(layout.ColumnCount(), 1);
    EXPECT_EQ(area.height, 20);
    EXPECT_EQ(AsTuples(layout.Finish(sizes, area.height)),
              (Places{{0, 0, 50}, {0, 10, 50}, {50, 0, 70}, {50, 10, 70}, {50, 20, 70}}));
    EXPECT_EQ(layout.ColumnWidth(0), 50);
    EXPECT_EQ(layout.ColumnWidth(1), 70);

    // A fill that starts afresh has one empty column again.
    layout.Reset();
    EXPECT_EQ(layout.ColumnCount(), 0);
    EXPECT_EQ(layout.ColumnWidth(0), 0);
}

}  // namespace
