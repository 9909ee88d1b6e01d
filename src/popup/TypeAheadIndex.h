// Finds an entry by the start of its caption in time that does not grow with the number of entries.
//
// Captions are compared folded: lower case, full width and hiragana, so that case, width and kana type do
// not count. The index keeps the folded captions sorted with their entries' positions: the captions that
// start with a text are one run of it, found by binary search, and the first position at or after a given
// one within that run comes from a merge-sort tree over the run's positions (log² of the count).
#pragma once

#include <string>
#include <utility>
#include <vector>

class TTypeAheadIndex {
public:
    // The text as captions are compared.
    static std::wstring Fold(const std::wstring& text);

    // Made from (folded caption, position) pairs of the entries that can be found.
    void Build(std::vector<std::pair<std::wstring, int>> captions);
    void Clear() noexcept;
    bool Built() const noexcept { return built_; }

    // The position of the first entry, from position `from` on and round from 0 again, whose folded caption
    // starts with `prefix` (folded); -1 when there is none.
    int Next(const std::wstring& prefix, int from) const;

private:
    // The least position at least `from` among the sorted captions lo..hi-1, or -1.
    int LeastAtLeast(int lo, int hi, int from) const;

    bool built_ = false;
    std::vector<std::wstring> captions_;
    // levels_[0]: the positions in caption order; levels_[k]: the same, sorted within blocks of 2^k.
    std::vector<std::vector<int>> levels_;
};
