// The allocator holders, process-wide OLE set-up, and the allocator spy the other shell tests rely on.
#include "shell/CoInitialize.h"
#include "shell/Malloc.h"
#include "support/MallocSpy.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <thread>

namespace {

TEST(MallocSpy, SeesTaskAllocatorBlocksOfItsScopeOnly) {
    void* older = ::CoTaskMemAlloc(16);
    qbtest::MallocSpyScope spy;
    ASSERT_TRUE(spy.Registered());

    void* block = ::CoTaskMemAlloc(32);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(spy.IsOutstanding(block));
    EXPECT_EQ(spy.Outstanding(), 1u);

    // SHGetMalloc's allocator is the same one.
    IMalloc* shell = nullptr;
    ASSERT_HRESULT_SUCCEEDED(::SHGetMalloc(&shell));
    void* fromShell = shell->Alloc(8);
    EXPECT_EQ(spy.Outstanding(), 2u);
    ::CoTaskMemFree(fromShell);  // and either side frees the other's blocks
    shell->Free(block);
    shell->Release();
    EXPECT_EQ(spy.Outstanding(), 0u);

    // A block from before the scope is not counted when it comes back.
    ::CoTaskMemFree(older);
    EXPECT_EQ(spy.Frees(), 2u);
    EXPECT_EQ(spy.Outstanding(), 0u);
}

TEST(MallocSpy, FollowsReallocatedBlocks) {
    void* older = ::CoTaskMemAlloc(16);
    qbtest::MallocSpyScope spy;

    void* block = ::CoTaskMemRealloc(nullptr, 16);  // an allocation
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(spy.Outstanding(), 1u);
    ASSERT_NE(block, nullptr);
    block = ::CoTaskMemRealloc(block, 64 * 1024);  // likely moves; still the one block
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(spy.IsOutstanding(block));
    EXPECT_EQ(spy.Outstanding(), 1u);

    // Resizing a block from before the scope does not make it one of the scope's.
    older = ::CoTaskMemRealloc(older, 64 * 1024);
    ASSERT_NE(older, nullptr);
    EXPECT_FALSE(spy.IsOutstanding(older));

    ::CoTaskMemFree(block);
    ::CoTaskMemFree(older);
    EXPECT_EQ(spy.Outstanding(), 0u);
    EXPECT_EQ(spy.Allocations(), 1u);
}

TEST(MallocSpy, ScopesCountOnlyTheirOwnBlocks) {
    void* leaked = nullptr;
    {
        qbtest::MallocSpyScope spy;
        leaked = ::CoTaskMemAlloc(4);
        EXPECT_EQ(spy.Outstanding(), 1u);
    }
    // A block left over from an earlier scope (a leak that test reported) does not count in the next one.
    qbtest::MallocSpyScope next;
    EXPECT_TRUE(next.Registered());
    EXPECT_EQ(next.Outstanding(), 0u);
    ::CoTaskMemFree(leaked);
    EXPECT_EQ(next.Frees(), 0u);

    // And blocks made on other threads count too: the shell frees and allocates wherever it likes.
    void* fromThread = nullptr;
    std::thread([&] { fromThread = ::CoTaskMemAlloc(4); }).join();
    EXPECT_TRUE(next.IsOutstanding(fromThread));
    ::CoTaskMemFree(fromThread);
    EXPECT_EQ(next.Outstanding(), 0u);
}

TEST(TMalloc, PassesBlocksToTheTaskAllocator) {
    qbtest::MallocSpyScope spy;
    TMalloc allocator;
    ASSERT_NE(allocator.Get(), nullptr);
    void* block = allocator.Alloc(24);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(spy.IsOutstanding(block));
    allocator.Free(block);
    EXPECT_EQ(spy.Outstanding(), 0u);

    // Blocks of CoTaskMemAlloc go back through any holder.
    void* other = ::CoTaskMemAlloc(8);
    allocator.Free(other);
    EXPECT_EQ(spy.Outstanding(), 0u);
}

TEST(TMalloc, SharedHolderLivesAsLongAsItsUsers) {
    std::weak_ptr<TMalloc> watch;
    {
        auto first = TMalloc::Shared();
        auto second = TMalloc::Shared();
        ASSERT_TRUE(first);
        EXPECT_EQ(first, second);
        watch = first;
        first.reset();
        EXPECT_FALSE(watch.expired()) << "still used by the second holder";
    }
    EXPECT_TRUE(watch.expired());
    // A later user gets a new, working holder.
    auto again = TMalloc::Shared();
    ASSERT_TRUE(again);
    void* block = again->Alloc(4);
    EXPECT_NE(block, nullptr);
    again->Free(block);
}

// On a thread of its own, so that OLE's state there is exactly what TCoInitialize makes of it.
TEST(TCoInitialize, InitialisesOleForItsLifetime) {
    HRESULT during = E_FAIL, after = E_FAIL, result = E_FAIL;
    bool shared = false, released = false;
    std::weak_ptr<TMalloc> watch;
    std::thread([&] {
        {
            TCoInitialize ole;
            result = ole.Result();
            watch = TMalloc::Shared();
            shared = !watch.expired() && watch.use_count() == 1;  // the holder lives in `ole`
            // A thread in OLE's single-threaded apartment refuses the multithreaded one.
            during = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            if (SUCCEEDED(during)) ::CoUninitialize();
        }
        released = watch.expired();
        after = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(after)) ::CoUninitialize();
    }).join();
    EXPECT_EQ(result, S_OK);
    EXPECT_TRUE(shared);
    EXPECT_EQ(during, RPC_E_CHANGED_MODE);
    EXPECT_TRUE(released);
    EXPECT_EQ(after, S_OK) << "OleUninitialize left the thread initialised";
}

}  // namespace
