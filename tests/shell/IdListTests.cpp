// Item identifier list functions on lists the shell makes from real folders, and on hand-made lists where a
// case needs particular bytes. Every test runs under the allocator spy: no list may be left behind.
#include "ShellTestUtil.h"

#include "framework/TextConv.h"
#include "shell/IdList.h"
#include "shell/ShellFolder.h"
#include "support/MallocSpy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace {

using qbtest::IdListBytes;
using qbtest::MakeIdList;

const std::vector<BYTE> kEmptyList{0, 0};

// %TEMP%\...\日本語フォルダ\サブ\深い階層, parsed by the shell.
class RealListTest : public testing::Test {
protected:
    void SetUp() override {
        deepPath_ = scratch_.MakeFolders(L"日本語フォルダ\\サブ\\深い階層");
        ASSERT_NE(::GetFileAttributesW(deepPath_.c_str()), INVALID_FILE_ATTRIBUTES);
        qbtest::WarmUpShell(deepPath_);
        spy_.emplace();  // counts the test's own lists from here on
    }

    qbtest::ScratchFolder scratch_;
    std::wstring deepPath_;
    std::optional<qbtest::MallocSpyScope> spy_;
};

TEST(IdList, SizesWalkTheItemCounts) {
    qbtest::MallocSpyScope spy;
    const unique_idlist list = MakeIdList({{1, 2, 3}, {4}, {5, 6, 7, 8, 9}});
    EXPECT_EQ(IdListSize(list.get()), 5u + 3u + 7u);
    EXPECT_EQ(LastItemSize(list.get()), 7u);

    const unique_idlist empty = MakeIdList({});
    EXPECT_EQ(IdListSize(empty.get()), 0u);
    EXPECT_EQ(LastItemSize(empty.get()), 0u);
    EXPECT_EQ(IdListSize(nullptr), 0u);
    EXPECT_EQ(LastItemSize(nullptr), 0u);

    // Counts are little-endian 16-bit: an item of 300 bytes is not mistaken for one of 44.
    const unique_idlist big = MakeIdList({std::vector<BYTE>(298, 0x5A), {1}});
    EXPECT_EQ(IdListSize(big.get()), 300u + 3u);
}

TEST(IdList, EdgeCasesGiveTheEmptyList) {
    qbtest::MallocSpyScope spy;
    {
        // Null lists: two zero bytes, newly allocated.
        const unique_idlist parent = ParentIdList(nullptr);
        const unique_idlist last = LastItemOf(nullptr);
        ASSERT_TRUE(parent && last);
        EXPECT_EQ(IdListBytes(parent.get()), kEmptyList);
        EXPECT_EQ(IdListBytes(last.get()), kEmptyList);

        const unique_idlist one = MakeIdList({{0x10, 0x20}});
        EXPECT_EQ(IdListBytes(ParentIdList(one.get()).get()), kEmptyList);
        EXPECT_EQ(IdListBytes(LastItemOf(one.get()).get()), IdListBytes(one.get()));

        unique_idlist rest;
        const unique_idlist first = SplitFirstItem(one.get(), rest);
        EXPECT_EQ(IdListBytes(first.get()), IdListBytes(one.get()));
        ASSERT_TRUE(rest);
        EXPECT_EQ(IdListBytes(rest.get()), kEmptyList);

        const unique_idlist empty = MakeIdList({});
        const unique_idlist emptyFirst = SplitFirstItem(empty.get(), rest);
        EXPECT_EQ(IdListBytes(emptyFirst.get()), kEmptyList);
        EXPECT_EQ(IdListBytes(rest.get()), kEmptyList);
        EXPECT_EQ(IdListBytes(CopyIdList(nullptr).get()), kEmptyList);
    }
    EXPECT_EQ(spy.Outstanding(), 0u);
}

TEST(IdList, CutsAndJoinsByItems) {
    qbtest::MallocSpyScope spy;
    {
        const unique_idlist list = MakeIdList({{1, 2, 3}, {4}, {5, 6}});
        unique_idlist rest;
        const unique_idlist first = SplitFirstItem(list.get(), rest);
        EXPECT_EQ(IdListBytes(first.get()), IdListBytes(MakeIdList({{1, 2, 3}}).get()));
        EXPECT_EQ(IdListBytes(rest.get()), IdListBytes(MakeIdList({{4}, {5, 6}}).get()));
        EXPECT_EQ(IdListBytes(ParentIdList(list.get()).get()),
                  IdListBytes(MakeIdList({{1, 2, 3}, {4}}).get()));
        EXPECT_EQ(IdListBytes(LastItemOf(list.get()).get()), IdListBytes(MakeIdList({{5, 6}}).get()));

        const unique_idlist joined = ConcatIdLists(first.get(), rest.get());
        EXPECT_EQ(IdListBytes(joined.get()), IdListBytes(list.get()));
        EXPECT_EQ(IdListBytes(ConcatIdLists(nullptr, list.get()).get()), IdListBytes(list.get()));
        EXPECT_EQ(IdListBytes(ConcatIdLists(list.get(), nullptr).get()), IdListBytes(list.get()));
    }
    EXPECT_EQ(spy.Outstanding(), 0u);
}

TEST(IdList, EqualityComparesEveryItemByte) {
    qbtest::MallocSpyScope spy;
    {
        const unique_idlist list = MakeIdList({{1, 2, 3}, {4, 5}});
        const unique_idlist copy = CopyIdList(list.get());
        ASSERT_NE(copy.get(), list.get());
        EXPECT_TRUE(IdListsEqual(list.get(), copy.get()));

        const unique_idlist lastByteDiffers = MakeIdList({{1, 2, 3}, {4, 6}});
        EXPECT_EQ(IdListSize(lastByteDiffers.get()), IdListSize(list.get()));
        EXPECT_FALSE(IdListsEqual(list.get(), lastByteDiffers.get()));

        const unique_idlist longer = MakeIdList({{1, 2, 3}, {4, 5}, {6}});
        EXPECT_FALSE(IdListsEqual(list.get(), longer.get()));
        EXPECT_FALSE(IdListsEqual(longer.get(), list.get()));
        EXPECT_TRUE(IdListsEqual(nullptr, MakeIdList({}).get()));
    }
    EXPECT_EQ(spy.Outstanding(), 0u);
}

TEST_F(RealListTest, JapanesePathRoundTripsThroughTheShell) {
    {
        const unique_idlist list = ParseDisplayPath(deepPath_);
        ASSERT_TRUE(list) << "the shell did not parse the folder";
        EXPECT_EQ(qbtest::ParsingNameOf(list.get()), deepPath_);

        // The parent is the parent folder; joining it with the last item gives the list back.
        const unique_idlist parent = ParentIdList(list.get());
        const unique_idlist last = LastItemOf(list.get());
        EXPECT_EQ(IdListSize(parent.get()) + LastItemSize(list.get()), IdListSize(list.get()));
        EXPECT_EQ(qbtest::ParsingNameOf(parent.get()), scratch_.Root() + L"\\日本語フォルダ\\サブ");
        EXPECT_TRUE(IdListsEqual(ConcatIdLists(parent.get(), last.get()).get(), list.get()));

        const unique_idlist copy = CopyIdList(list.get());
        EXPECT_TRUE(IdListsEqual(copy.get(), list.get()));
        EXPECT_EQ(IdListBytes(copy.get()), IdListBytes(list.get()));

        // A sibling with a name of equal length is a different key.
        const std::wstring siblingPath = scratch_.MakeFolders(L"日本語フォルダ\\サブ\\深い階屋");
        const unique_idlist sibling = ParseDisplayPath(siblingPath);
        ASSERT_TRUE(sibling);
        EXPECT_FALSE(IdListsEqual(sibling.get(), list.get()));
        EXPECT_TRUE(IdListsEqual(ParentIdList(sibling.get()).get(), parent.get()));
    }
    EXPECT_EQ(spy_->Outstanding(), 0u);
}

TEST_F(RealListTest, ParseFailuresGiveNull) {
    EXPECT_FALSE(ParseDisplayPath(scratch_.Root() + L"\\存在しないフォルダ"));
    EXPECT_EQ(spy_->Outstanding(), 0u);
}

TEST(StrRetToString, ReadsNarrowTextFromTheReplyAndTheItem) {
    qbtest::MallocSpyScope spy;
    STRRET reply{};
    reply.uType = STRRET_CSTR;
    std::memcpy(reply.cStr, "Program Files", sizeof("Program Files"));
    EXPECT_EQ(StrRetToString(reply, nullptr), L"Program Files");

    // Narrow text is in the ANSI code page; check every name that this system's code page can hold.
    for (const std::wstring name : {L"Caf\u00e9", L"日本語フォルダ"}) {
        const std::string ansi = fw::WideToMultiByte(name, CP_ACP);
        if (fw::MultiByteToWide(ansi, CP_ACP) != name || ansi.size() >= sizeof(reply.cStr)) continue;
        SCOPED_TRACE(::GetACP());
        std::memset(reply.cStr, 0, sizeof(reply.cStr));
        std::memcpy(reply.cStr, ansi.data(), ansi.size());
        EXPECT_EQ(StrRetToString(reply, nullptr), name);
    }

    // A reply that fills its buffer without a zero stops at the buffer's end.
    std::memset(reply.cStr, 'x', sizeof(reply.cStr));
    EXPECT_EQ(StrRetToString(reply, nullptr), std::wstring(sizeof(reply.cStr), L'x'));

    // An offset reply points into the item: two count bytes, two opaque bytes, then the name.
    const unique_idlist item = MakeIdList({{0xAA, 0xBB, 'n', 'o', 't', 'e', 's', '.', 't', 'x', 't', 0}});
    reply = STRRET{};
    reply.uType = STRRET_OFFSET;
    reply.uOffset = 4;
    EXPECT_EQ(StrRetToString(reply, item.get()), L"notes.txt");
    EXPECT_EQ(StrRetToString(reply, nullptr), L"");

    reply.uType = 7;  // no such kind
    EXPECT_EQ(StrRetToString(reply, item.get()), L"");
}

TEST(StrRetToString, FreesTheWideReply) {
    qbtest::MallocSpyScope spy;
    const std::wstring name = L"日本語フォルダ";
    const size_t bytes = (name.size() + 1) * sizeof(wchar_t);
    auto* text = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
    ASSERT_NE(text, nullptr);
    std::memcpy(text, name.c_str(), bytes);

    STRRET reply{};
    reply.uType = STRRET_WSTR;
    reply.pOleStr = text;
    ASSERT_TRUE(spy.IsOutstanding(text));
    EXPECT_EQ(StrRetToString(reply, nullptr), name);
    EXPECT_FALSE(spy.IsOutstanding(text));
    EXPECT_EQ(spy.Outstanding(), 0u);
}

TEST_F(RealListTest, ShellDisplayNameRepliesAreFreed) {
    {
        const unique_idlist list = ParseDisplayPath(deepPath_);
        ASSERT_TRUE(list);
        const unique_idlist parent = ParentIdList(list.get());
        const unique_idlist last = LastItemOf(list.get());
        const TShellFolder folder(parent.get());
        ASSERT_TRUE(folder);
        for (const SHGDNF flags : {SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING}) {
            STRRET reply{};
            ASSERT_HRESULT_SUCCEEDED(folder->GetDisplayNameOf(last.get(), flags, &reply));
            const std::wstring name = StrRetToString(reply, last.get());
            EXPECT_EQ(name, flags == SHGDN_FORPARSING ? deepPath_ : L"深い階層") << "kind " << reply.uType;
        }
    }
    EXPECT_EQ(spy_->Outstanding(), 0u);
}

}  // namespace
