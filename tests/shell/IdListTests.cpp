// Item identifier list functions on hand-made lists where a case needs particular bytes, and on lists the
// shell makes from real folders. Every test runs under the allocator spy: no list may be left behind.
#include "support/shell/ShellTest.h"

#include "framework/TextConv.h"

#include <cstring>
#include <type_traits>

namespace {

using qbtest::Bytes;
using qbtest::MakeIdList;

const std::vector<BYTE> kEmpty{0, 0};

// The kinds do not mix: a relative list has no absolute parent, binding needs an absolute list, and a reply's
// text is read from a single item.
static_assert(!std::is_invocable_v<decltype(&ParentIdList), PCUIDLIST_RELATIVE>);
static_assert(!std::is_constructible_v<TShellFolder, PCUIDLIST_RELATIVE>);
static_assert(!std::is_invocable_v<decltype(&StrRetToString), const STRRET&, PCUIDLIST_RELATIVE>);

TEST(IdList, WalksCutsAndJoinsByItemCounts) {
    qbtest::MallocSpyScope spy;
    {
        // Counts are little-endian: an item of 300 bytes is not taken for one of 44.
        const auto list = MakeIdList<ITEMIDLIST_ABSOLUTE>({{1, 2, 3}, std::vector<BYTE>(298, 7), {5, 6}});
        EXPECT_EQ(IdListSize(list.get()), 5u + 300u + 4u);
        EXPECT_EQ(LastItemSize(list.get()), 4u);
        EXPECT_EQ(IdListSize(nullptr) + LastItemSize(nullptr) + LastItemSize(MakeIdList({}).get()), 0u);

        unique_relative_idlist rest;
        const unique_child_idlist first = SplitFirstItem(list.get(), rest);
        EXPECT_EQ(Bytes(first.get()), Bytes(MakeIdList({{1, 2, 3}}).get()));
        EXPECT_EQ(Bytes(rest.get()), Bytes(MakeIdList({std::vector<BYTE>(298, 7), {5, 6}}).get()));
        const unique_child_idlist last = LastItemOf(list.get());
        EXPECT_EQ(Bytes(last.get()), Bytes(MakeIdList({{5, 6}}).get()));
        EXPECT_EQ(Bytes(ConcatIdLists(ParentIdList(list.get()).get(), last.get()).get()), Bytes(list.get()));
        // The desktop's own list is empty: its child alone is an absolute list.
        const unique_absolute_idlist top = ConcatIdLists(nullptr, first.get());
        EXPECT_EQ(Bytes(ConcatIdLists(top.get(), rest.get()).get()), Bytes(list.get()));

        // One item: the parent is empty, the rest is empty. Null: both cuts give the empty list.
        const auto one = MakeIdList<ITEMIDLIST_ABSOLUTE>({{0x10, 0x20}});
        EXPECT_EQ(Bytes(ParentIdList(one.get()).get()), kEmpty);
        EXPECT_EQ(Bytes(SplitFirstItem(one.get(), rest).get()), Bytes(one.get()));
        EXPECT_EQ(Bytes(rest.get()), kEmpty);
        EXPECT_EQ(Bytes(ParentIdList(nullptr).get()), kEmpty);
        EXPECT_EQ(Bytes(LastItemOf(nullptr).get()), kEmpty);
    }
    EXPECT_EQ(spy.Outstanding(), 0u);
}

TEST(IdList, EqualityComparesEveryItemByte) {
    qbtest::MallocSpyScope spy;
    {
        const auto list = MakeIdList<ITEMIDLIST_ABSOLUTE>({{1, 2, 3}, {4, 5}});
        const unique_absolute_idlist copy = CopyIdList(list.get());
        EXPECT_NE(copy.get(), list.get());
        EXPECT_TRUE(IdListsEqual(list.get(), copy.get()));
        EXPECT_FALSE(IdListsEqual(list.get(), MakeIdList({{1, 2, 3}, {4, 6}}).get()));
        EXPECT_FALSE(IdListsEqual(list.get(), MakeIdList({{1, 2, 3}, {4, 5}, {6}}).get()));
        EXPECT_TRUE(IdListsEqual(nullptr, MakeIdList({}).get()));
    }
    EXPECT_EQ(spy.Outstanding(), 0u);
}

using RealIdList = qbtest::ShellTest;

TEST_F(RealIdList, JapanesePathRoundTripsThroughTheShell) {
    const unique_absolute_idlist list = ParseDisplayPath(deep_);
    ASSERT_TRUE(list);
    EXPECT_EQ(qbtest::ParsingNameOf(list.get()), deep_);

    const unique_absolute_idlist parent = ParentIdList(list.get());
    const unique_child_idlist last = LastItemOf(list.get());
    EXPECT_EQ(qbtest::ParsingNameOf(parent.get()), root_ + L"\\日本語フォルダ\\サブ");
    EXPECT_TRUE(IdListsEqual(ConcatIdLists(parent.get(), last.get()).get(), list.get()));

    // A sibling whose name has as many characters is a different key with the same parent.
    const unique_absolute_idlist sibling = ParseDisplayPath(MakeFolders(L"日本語フォルダ\\サブ\\深い階屋"));
    ASSERT_TRUE(sibling);
    EXPECT_FALSE(IdListsEqual(sibling.get(), list.get()));
    EXPECT_TRUE(IdListsEqual(ParentIdList(sibling.get()).get(), parent.get()));

    EXPECT_FALSE(ParseDisplayPath(root_ + L"\\存在しないフォルダ"));
}

TEST(StrRetToString, ReadsNarrowTextFromTheReplyOrTheItem) {
    STRRET reply{};
    reply.uType = STRRET_CSTR;
    // Narrow text is in the ANSI code page: each name this system's code page can hold must come back.
    for (const std::wstring name : {L"Program Files", L"Caf\u00e9", L"日本語フォルダ"}) {
        const std::string ansi = fw::WideToMultiByte(name, CP_ACP);
        if (fw::MultiByteToWide(ansi, CP_ACP) != name) continue;
        SCOPED_TRACE(::GetACP());
        std::memset(reply.cStr, 0, sizeof(reply.cStr));
        std::memcpy(reply.cStr, ansi.data(), ansi.size());
        EXPECT_EQ(StrRetToString(reply, nullptr), name);
    }
    // Text filling the whole buffer without a zero stops at its end.
    std::memset(reply.cStr, 'x', sizeof(reply.cStr));
    EXPECT_EQ(StrRetToString(reply, nullptr), std::wstring(sizeof(reply.cStr), L'x'));

    // Offset replies point into the item: two count bytes, two opaque bytes, then the name.
    const auto item = MakeIdList<ITEMID_CHILD>({{0xAA, 0xBB, 'a', '.', 't', 'x', 't', 0}});
    reply.uType = STRRET_OFFSET;
    reply.uOffset = 4;
    EXPECT_EQ(StrRetToString(reply, item.get()), L"a.txt");
    reply.uType = 7;
    EXPECT_EQ(StrRetToString(reply, item.get()), L"");
}

TEST_F(RealIdList, WideRepliesAreFreed) {
    const std::wstring name = L"日本語フォルダ";
    const size_t bytes = (name.size() + 1) * sizeof(wchar_t);
    STRRET reply{};
    reply.uType = STRRET_WSTR;
    reply.pOleStr = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
    ASSERT_TRUE(spy_->IsOutstanding(reply.pOleStr));
    std::memcpy(reply.pOleStr, name.c_str(), bytes);
    EXPECT_EQ(StrRetToString(reply, nullptr), name);
    EXPECT_EQ(spy_->Outstanding(), 0u);

    // The shell's own replies (Wine gives wide ones for every kind of name).
    const unique_absolute_idlist list = ParseDisplayPath(deep_);
    const unique_absolute_idlist parent = ParentIdList(list.get());
    const unique_child_idlist last = LastItemOf(list.get());
    const TShellFolder folder(parent.get());
    ASSERT_TRUE(folder);
    for (const SHGDNF flags :
         std::initializer_list<SHGDNF>{SHGDN_NORMAL, SHGDN_INFOLDER | SHGDN_FORPARSING, SHGDN_FORPARSING}) {
        ASSERT_HRESULT_SUCCEEDED(folder->GetDisplayNameOf(last.get(), flags, &reply));
        EXPECT_EQ(StrRetToString(reply, last.get()), flags == SHGDN_FORPARSING ? deep_ : L"深い階層");
    }
}

}  // namespace
