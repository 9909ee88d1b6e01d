#include "popup/TypeAheadIndex.h"

#include "framework/TextConv.h"

#include <windows.h>

#include <algorithm>

std::wstring TTypeAheadIndex::Fold(const std::wstring& text) {
    return fw::FoldForSearch(text);
}

void TTypeAheadIndex::Clear() noexcept {
    built_ = false;
    captions_.clear();
    levels_.clear();
}

void TTypeAheadIndex::Build(std::vector<std::pair<std::wstring, int>> captions) {
    Clear();
    std::sort(captions.begin(), captions.end());
    const size_t count = captions.size();
    captions_.reserve(count);
    levels_.emplace_back();
    levels_[0].reserve(count);
    for (auto& [caption, position] : captions) {
        captions_.push_back(std::move(caption));
        levels_[0].push_back(position);
    }
    for (size_t block = 1; block < count; block *= 2) {
        const std::vector<int>& below = levels_.back();
        std::vector<int> level(count);
        for (size_t start = 0; start < count; start += 2 * block) {
            const auto first = below.begin() + static_cast<std::ptrdiff_t>(start);
            const auto middle = below.begin() + static_cast<std::ptrdiff_t>(std::min(start + block, count));
            const auto last = below.begin() + static_cast<std::ptrdiff_t>(std::min(start + 2 * block, count));
            std::merge(first, middle, middle, last, level.begin() + static_cast<std::ptrdiff_t>(start));
        }
        levels_.push_back(std::move(level));
    }
    built_ = true;
}

int TTypeAheadIndex::LeastAtLeast(int lo, int hi, int from) const {
    int best = -1;
    // Whole blocks of each level, bottom up, as a segment tree is walked.
    const auto take = [&](size_t level, int block) {
        const std::vector<int>& values = levels_[level];
        const auto first = values.begin() + (static_cast<std::ptrdiff_t>(block) << level);
        const auto last = first + (std::ptrdiff_t{1} << level);
        const auto found = std::lower_bound(first, last, from);
        if (found != last && (best < 0 || *found < best)) best = *found;
    };
    for (size_t level = 0; lo < hi; ++level, lo >>= 1, hi >>= 1) {
        if (lo & 1) take(level, lo++);
        if (hi & 1) take(level, --hi);
    }
    return best;
}

int TTypeAheadIndex::Next(const std::wstring& prefix, int from) const {
    const auto begin = captions_.begin();
    const auto first = std::lower_bound(begin, captions_.end(), prefix);
    const auto last = std::partition_point(first, captions_.end(), [&prefix](const std::wstring& caption) {
        return caption.compare(0, prefix.size(), prefix) == 0;
    });
    if (first == last) return -1;
    const int lo = static_cast<int>(first - begin);
    const int hi = static_cast<int>(last - begin);
    const int found = LeastAtLeast(lo, hi, from);
    return found >= 0 ? found : LeastAtLeast(lo, hi, 0);
}
