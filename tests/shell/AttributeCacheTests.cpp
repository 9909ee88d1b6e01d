// The attribute cache (TListOfITEMIDLIST) keyed by absolute lists of real folders.
#include "support/shell/ShellTest.h"

#include "shell/ListOfItemIdList.h"

namespace {

using AttributeCache = qbtest::ShellTest;

constexpr std::uint32_t kDrive = SFGAO_REMOVABLE | SFGAO_FILESYSANCESTOR | SFGAO_FOLDER;

TEST_F(AttributeCache, FindsByteEqualKeysAndFreesItsCopies) {
    const std::wstring first = MakeFolders(L"ドライブ１"), second = MakeFolders(L"ドライブ２");
    TListOfITEMIDLIST cache;
    EXPECT_EQ(cache.Find(ParseDisplayPath(first).get()), 0u);

    cache.Add(ParseDisplayPath(first).get(), kDrive);  // the cache keeps a copy of the dying list
    cache.Add(ParseDisplayPath(second).get(), SFGAO_FOLDER);
    cache.Add(ParseDisplayPath(first).get(), 1);  // no replacement: the first key wins
    EXPECT_EQ(spy_->Outstanding(), 3u) << "one copy per key";

    const unique_absolute_idlist list = ParseDisplayPath(first);  // a fresh list with the same bytes
    EXPECT_EQ(cache.Find(list.get()), kDrive);
    EXPECT_EQ(cache.Find(ParseDisplayPath(second).get()), static_cast<std::uint32_t>(SFGAO_FOLDER));
    EXPECT_EQ(cache.Find(ParentIdList(list.get()).get()), 0u);

    cache.Clear();
    EXPECT_EQ(spy_->Outstanding(), 1u) << "only `list` is left";
    EXPECT_EQ(cache.Find(list.get()), 0u);
    {
        TListOfITEMIDLIST other;
        other.Add(list.get(), 2);
        EXPECT_EQ(other.Find(list.get()), 2u);
    }
    EXPECT_EQ(spy_->Outstanding(), 1u) << "the destructor freed its key";
}

}  // namespace
