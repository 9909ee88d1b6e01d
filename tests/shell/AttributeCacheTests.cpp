// The attribute cache (TListOfITEMIDLIST) keyed by absolute lists of real folders.
#include "ShellTestUtil.h"

#include "shell/IdList.h"
#include "shell/ListOfItemIdList.h"
#include "support/MallocSpy.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr std::uint32_t kRemovableDrive = SFGAO_REMOVABLE | SFGAO_FILESYSANCESTOR | SFGAO_FOLDER;

class AttributeCacheTest : public testing::Test {
protected:
    void SetUp() override {
        first_ = scratch_.MakeFolders(L"ドライブ１");
        second_ = scratch_.MakeFolders(L"ドライブ２");  // same length: keys of equal size
        qbtest::WarmUpShell(first_);
        spy_.emplace();
    }

    qbtest::ScratchFolder scratch_;
    std::wstring first_, second_;
    std::optional<qbtest::MallocSpyScope> spy_;
};

TEST_F(AttributeCacheTest, FindsByteEqualKeys) {
    {
        TListOfITEMIDLIST cache;
        const unique_idlist first = ParseDisplayPath(first_);
        const unique_idlist second = ParseDisplayPath(second_);
        ASSERT_TRUE(first && second);
        EXPECT_EQ(cache.Find(first.get()), 0u) << "an empty cache knows nothing";

        cache.Add(first.get(), kRemovableDrive);
        // Any list with the same bytes finds it: a fresh parse of the same path, a copy.
        EXPECT_EQ(cache.Find(ParseDisplayPath(first_).get()), kRemovableDrive);
        EXPECT_EQ(cache.Find(CopyIdList(first.get()).get()), kRemovableDrive);
        EXPECT_EQ(cache.Find(second.get()), 0u);
        EXPECT_EQ(cache.Find(ParentIdList(first.get()).get()), 0u);

        cache.Add(second.get(), SFGAO_FOLDER);
        EXPECT_EQ(cache.Find(second.get()), static_cast<std::uint32_t>(SFGAO_FOLDER));
        EXPECT_EQ(cache.Find(first.get()), kRemovableDrive) << "values stay with their keys";

        // Add does not replace: the first key wins.
        cache.Add(first.get(), 1);
        EXPECT_EQ(cache.Find(first.get()), kRemovableDrive);
        EXPECT_EQ(cache.Count(), 3);
    }
    EXPECT_EQ(spy_->Outstanding(), 0u);
}

TEST_F(AttributeCacheTest, KeepsCopiesAndFreesThem) {
    TListOfITEMIDLIST cache;
    {
        unique_idlist list = ParseDisplayPath(first_);
        ASSERT_TRUE(list);
        cache.Add(list.get(), kRemovableDrive);
        cache.Add(ParseDisplayPath(second_).get(), 2);
        list.reset();  // the cache has its own copy
    }
    EXPECT_EQ(spy_->Outstanding(), 2u) << "one copy per key";
    EXPECT_EQ(cache.Find(ParseDisplayPath(first_).get()), kRemovableDrive);

    cache.Clear();
    EXPECT_EQ(spy_->Outstanding(), 0u);
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.Find(ParseDisplayPath(first_).get()), 0u);

    // Usable again after Clear, and the destructor frees what is left.
    {
        TListOfITEMIDLIST other;
        other.Add(ParseDisplayPath(second_).get(), 2);
        cache.Add(ParseDisplayPath(first_).get(), 3);
        EXPECT_EQ(cache.Find(ParseDisplayPath(first_).get()), 3u);
        EXPECT_EQ(spy_->Outstanding(), 2u);
    }
    EXPECT_EQ(spy_->Outstanding(), 1u);
    cache.Clear();
    EXPECT_EQ(spy_->Outstanding(), 0u);
}

}  // namespace
