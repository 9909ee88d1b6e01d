// The allocator spy the other shell tests rely on, the allocator holders, and process-wide OLE set-up.
#include "shell/CoInitialize.h"
#include "shell/Malloc.h"
#include "support/MallocSpy.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <thread>

namespace {

TEST(MallocSpy, CountsTheTaskAllocatorBlocksOfItsScope) {
    void* older = ::CoTaskMemAlloc(16);
    qbtest::MallocSpyScope spy;
    void* block = ::CoTaskMemRealloc(nullptr, 16);  // an allocation
    EXPECT_TRUE(spy.IsOutstanding(block));
    block = ::CoTaskMemRealloc(block, 64 * 1024);  // likely moved; still the scope's block
    EXPECT_TRUE(spy.IsOutstanding(block));
    older = ::CoTaskMemRealloc(older, 64 * 1024);  // an older block stays unseen
    EXPECT_FALSE(spy.IsOutstanding(older));

    void* fromThread = nullptr;
    std::thread([&] { fromThread = ::CoTaskMemAlloc(4); }).join();
    EXPECT_EQ(spy.Outstanding(), 2u);

    // SHGetMalloc's allocator is the same one, and either side frees the other's blocks.
    fw::ComPtr<IMalloc> shell;
    ASSERT_HRESULT_SUCCEEDED(::SHGetMalloc(shell.put()));
    shell->Free(block);
    ::CoTaskMemFree(fromThread);
    ::CoTaskMemFree(older);
    EXPECT_EQ(spy.Outstanding(), 0u);
}

TEST(TMalloc, SharedHolderPassesBlocksAndLivesAsLongAsItsUsers) {
    qbtest::MallocSpyScope spy;
    EXPECT_EQ(TMalloc::Current(), nullptr);
    {
        TMalloc::Use first = TMalloc::Shared();
        const TMalloc::Use second = TMalloc::Shared();
        EXPECT_EQ(first.get(), second.get());
        void* block = first->Alloc(24);
        EXPECT_TRUE(spy.IsOutstanding(block));
        second->Free(block);
        EXPECT_EQ(spy.Outstanding(), 0u);
        first.reset();
        EXPECT_EQ(TMalloc::Current(), second.get());
    }
    EXPECT_EQ(TMalloc::Current(), nullptr);
    EXPECT_NE(TMalloc::Shared()->Get(), nullptr);  // a later user gets a new one
}

// On a thread of its own, so that OLE's state there is exactly what TCoInitialize makes of it.
TEST(TCoInitialize, InitialisesOleAndHoldsTheAllocatorForItsLifetime) {
    HRESULT result = E_FAIL, during = E_FAIL, after = E_FAIL;
    bool heldDuring = false, heldAfter = true;
    std::thread([&] {
        {
            TCoInitialize ole;
            result = ole.Result();
            heldDuring = TMalloc::Current() != nullptr;
            // A thread in OLE's single-threaded apartment refuses the multithreaded one.
            during = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        }
        heldAfter = TMalloc::Current() != nullptr;
        after = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(after)) ::CoUninitialize();
    }).join();
    EXPECT_EQ(result, S_OK);
    EXPECT_EQ(during, RPC_E_CHANGED_MODE);
    EXPECT_EQ(after, S_OK) << "OleUninitialize left the thread initialised";
    EXPECT_TRUE(heldDuring);
    EXPECT_FALSE(heldAfter);
}

}  // namespace
