// Worker threads: a body blocked on a real change notification sees changes and stops when its owner goes,
// with its members still alive; an early stop request is kept; failures stay on their own thread.
#include "framework/Exception.h"
#include "framework/Thread.h"
#include "support/TempFolder.h"
#include "support/EndsInTime.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

namespace {

using namespace std::chrono_literals;

// Generous: these deadlines tell a hang from a pass, they measure nothing.
constexpr auto kDeadline = 10s;
constexpr DWORD kDeadlineMs = 10000;

using qbtest::EndsInTime;

// Waits on the stop event and a change notification for its folder, as the folder watcher does.
class ChangeCounter final : public fw::Thread {
public:
    static inline std::atomic<bool> membersGone{false};
    static inline std::atomic<bool> bodyOutlivedMembers{false};

    explicit ChangeCounter(const std::wstring& folder)
        : change_(::FindFirstChangeNotificationW(
              folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME)) {
        if (!change_) throw fw::Exception(L"No change notification for " + folder);
        membersGone = false;
        bodyOutlivedMembers = false;
    }

    std::atomic<bool> waiting{false};
    std::atomic<int> changes{0};

private:
    ~ChangeCounter() override { membersGone = true; }

    void Execute() override {
        const HANDLE handles[] = {StopEvent(), change_.get()};
        for (;;) {
            waiting = true;
            if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) break;
            ++changes;
            if (!::FindNextChangeNotification(change_.get())) break;
        }
        if (membersGone) bodyOutlivedMembers = true;
    }

    fw::unique_hchange change_;
};

TEST(Thread, BlockedOnAChangeNotificationStopsWhenItsOwnerGoes) {
    const qbtest::TempFolder folder(L"thread-idle");
    auto watcher = fw::StartThread<ChangeCounter>(folder.Path());
    ASSERT_TRUE(qbtest::WaitUntil([&] { return watcher->waiting.load(); }, kDeadline));
    EXPECT_TRUE(EndsInTime(std::move(watcher))) << "nothing changed in the folder, and the stop was not seen";
    EXPECT_TRUE(ChangeCounter::membersGone);
    EXPECT_FALSE(ChangeCounter::bodyOutlivedMembers) << "the body ran on after its members were destroyed";
}

TEST(Thread, BlockedOnAChangeNotificationSeesAChangeInTheFolder) {
    const qbtest::TempFolder folder(L"thread-change");
    auto watcher = fw::StartThread<ChangeCounter>(folder.Path());
    ASSERT_TRUE(qbtest::WaitUntil([&] { return watcher->waiting.load(); }, kDeadline));
    ASSERT_TRUE(::CreateDirectoryW(folder.Child(L"新しいフォルダ").c_str(), nullptr));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return watcher->changes > 0; }, kDeadline));
    EXPECT_TRUE(EndsInTime(std::move(watcher)));
    EXPECT_FALSE(ChangeCounter::bodyOutlivedMembers);
}

// Waits for the stop event only once the test opens its gate, after the stop was requested.
class LateWaiter final : public fw::Thread {
public:
    LateWaiter() : gate_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    void OpenGate() { ::SetEvent(gate_.get()); }

private:
    ~LateWaiter() override = default;
    void Execute() override {
        ::WaitForSingleObject(gate_.get(), INFINITE);
        ::WaitForSingleObject(StopEvent(), INFINITE);
    }
    fw::unique_event gate_;
};

TEST(Thread, AStopRequestedBeforeTheBodyWaitsIsKept) {
    auto thread = fw::StartThread<LateWaiter>();
    thread->Terminate();
    EXPECT_TRUE(thread->Terminated());
    thread->OpenGate();
    const bool ended = ::WaitForSingleObject(thread->Handle(), kDeadlineMs) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended) << "the stop request was lost";
    if (!ended) (void)thread.release();  // left running: ending it would hang the test program
}

enum class Failure { None, Framework, Standard, Other };

class CountingThread final : public fw::Thread {
public:
    explicit CountingThread(Failure failure) : failure_(failure) {}
    std::atomic<int> loops{0};

private:
    ~CountingThread() override = default;
    void Execute() override {
        switch (failure_) {
            case Failure::Framework:
                throw fw::Exception(L"スレッドの失敗");
            case Failure::Standard:
                throw std::runtime_error("standard failure");
            case Failure::Other:
                throw 42;
            case Failure::None:
                break;
        }
        while (!Terminated()) {
            ++loops;
            ::Sleep(1);
        }
    }
    const Failure failure_;
};

TEST(Thread, RunsUntilTerminatedAndKeepsItsFailure) {
    auto worker = fw::StartThread<CountingThread>(Failure::None);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return worker->loops > 0; }));
    worker->Terminate();
    worker->WaitFor();
    EXPECT_TRUE(worker->Finished());
    EXPECT_TRUE(worker->FatalError().empty());

    // Each kind of exception ends its thread only; this process goes on.
    const std::pair<Failure, std::wstring> failures[] = {{Failure::Framework, L"スレッドの失敗"},
                                                         {Failure::Standard, L"standard failure"},
                                                         {Failure::Other, L"Unknown exception"}};
    for (const auto& [failure, message] : failures) {
        auto failing = fw::StartThread<CountingThread>(failure);
        failing->WaitFor();
        EXPECT_TRUE(failing->Finished());
        EXPECT_EQ(failing->FatalError(), message);
    }
}

}  // namespace
