// The process reference that the shell holds while it works for the program on threads of its own: the
// program's end waits until the shell has let go.
#include "app/ProcessReference.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(ProcessReference, TheEndWaitsUntilTheShellHasLetGo) {
    auto reference = std::make_unique<TProcessReference>();
    IUnknown* held = nullptr;
    ASSERT_HRESULT_SUCCEEDED(::SHGetInstanceExplorer(&held)) << "the shell finds no process reference";
    ASSERT_NE(held, nullptr);
    EXPECT_TRUE(reference->HeldByShell());

    // A shell thread (a properties sheet) lets go a moment after the program wanted to end.
    std::atomic<bool> released{false};
    std::thread shellThread([&] {
        std::this_thread::sleep_for(300ms);
        released = true;
        held->Release();
    });
    const auto start = std::chrono::steady_clock::now();
    reference.reset();
    EXPECT_TRUE(released) << "the program ended while the shell still held it";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    shellThread.join();

    IUnknown* after = nullptr;
    EXPECT_TRUE(FAILED(::SHGetInstanceExplorer(&after)) || after == nullptr);
    if (after) after->Release();
}

}  // namespace
