// Type-ahead's index of captions: it answers as a walk through the entries from the highlight on would.
#include "popup/TypeAheadIndex.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(TypeAheadIndex, FindsTheNextCaptionStartingWithATextAsAWalkRoundTheListWould) {
    // Captions of one to four letters of "ab" in no order; every seventh entry cannot be found.
    constexpr int kCount = 300;
    std::mt19937 random(14);
    std::vector<std::wstring> captions;
    std::vector<std::pair<std::wstring, int>> findable;
    for (int i = 0; i < kCount; ++i) {
        std::wstring caption;
        for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) caption += random() % 2 ? L'a' : L'b';
        captions.push_back(caption);
        if (i % 7 != 3) findable.emplace_back(caption, i);
    }
    TTypeAheadIndex index;
    index.Build(findable);
    for (const std::wstring prefix : {L"a", L"b", L"ab", L"ba", L"aab", L"bbbb", L"abab", L"c"}) {
        for (int from = 0; from < kCount; ++from) {
            int walked = -1;
            for (int n = 0; n < kCount && walked < 0; ++n) {
                const int p = (from + n) % kCount;
                if (p % 7 != 3 && captions[static_cast<size_t>(p)].starts_with(prefix)) walked = p;
            }
            ASSERT_EQ(index.Next(prefix, from), walked) << "from " << from;
        }
    }

    // Case, width and kana type do not count.
    EXPECT_EQ(TTypeAheadIndex::Fold(L"ＢＩＧ すいか"), TTypeAheadIndex::Fold(L"big ｽｲｶ"));
}

}  // namespace
