// Sorting listings in a folder's own order. The order comes from the folder (IShellFolder::CompareIDs), and
// a third-party folder's comparison need not be a consistent ordering, nor do failures read as one: the
// sort must stay inside its array whatever `less` answers. A bottom-up merge sort does: O(n log n)
// comparisons on any input (a listing that is already in order included), no recursion, and every
// index it touches is bounded by the run limits, never by what the comparison said. Equal items keep
// no particular order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

template <class T, class Less>
void MergeSort(std::vector<T>& items, Less less) {
    const std::size_t n = items.size();
    if (n < 2) return;
    std::vector<T> buffer(n);
    std::vector<T>* from = &items;
    std::vector<T>* to = &buffer;
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n);
            const std::size_t hi = std::min(lo + 2 * width, n);
            std::size_t i = lo;
            std::size_t j = mid;
            std::size_t k = lo;
            while (i < mid && j < hi) {
                if (less((*from)[j], (*from)[i])) {
                    (*to)[k++] = std::move((*from)[j++]);
                } else {
                    (*to)[k++] = std::move((*from)[i++]);
                }
            }
            while (i < mid) (*to)[k++] = std::move((*from)[i++]);
            while (j < hi) (*to)[k++] = std::move((*from)[j++]);
        }
        std::swap(from, to);
    }
    if (from != &items) items.swap(buffer);
}
