// The sort of folder listings: in order on any input with O(n log n) comparisons (a listing that arrives
// already in order is the common case), and inside its array even when the comparison is no ordering.
#include "shell/MergeSort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace {

TEST(MergeSort, SortsOrderedReversedAndShuffledListingsWithFewComparisons) {
    const std::size_t n = 100000;
    std::vector<int> ordered(n);
    std::iota(ordered.begin(), ordered.end(), 0);
    std::vector<int> reversed(ordered.rbegin(), ordered.rend());
    std::vector<int> shuffled = ordered;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    const double bound = 1.0 * n * std::ceil(std::log2(static_cast<double>(n)));
    for (std::vector<int>* items : {&ordered, &reversed, &shuffled}) {
        std::uint64_t comparisons = 0;
        MergeSort(*items, [&](int a, int b) {
            ++comparisons;
            return a < b;
        });
        EXPECT_TRUE(std::is_sorted(items->begin(), items->end()));
        EXPECT_LE(static_cast<double>(comparisons), bound) << "quadratic on some input";
    }
}

TEST(MergeSort, AComparisonThatIsNoOrderingStillGivesBackEveryItemOnce) {
    std::vector<int> items(5000);
    std::iota(items.begin(), items.end(), 0);
    std::mt19937 coin(11);
    MergeSort(items, [&](int, int) { return (coin() & 1) != 0; });  // a folder that answers at random
    std::vector<int> seen = items;
    std::sort(seen.begin(), seen.end());
    std::vector<int> expected(5000);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(seen, expected);
}

}  // namespace
