// Test actions that run while this thread is inside a nested loop (a modal dialog's, a menu's, a modal
// form's): a timer of this thread calls the step from whatever loop is running, until it reports done.
#pragma once

#include "framework/Timer.h"

#include <chrono>
#include <functional>
#include <memory>

namespace qbtest {

class NestedStep {
public:
    // Calls `step` every 20 ms until it returns true. When `timeout` passes before the loop has ended
    // (this object is gone), `giveUp` runs on every later tick instead: it must end the loop (close the
    // dialog, the menu, a message box the loop raised), or the test would hang.
    NestedStep(std::function<bool()> step, std::function<void()> giveUp,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(15000));
    ~NestedStep();
    NestedStep(const NestedStep&) = delete;
    NestedStep& operator=(const NestedStep&) = delete;

    bool Done() const noexcept { return done_; }
    bool TimedOut() const noexcept { return timedOut_; }

private:
    void Tick();
    std::function<bool()> step_;
    std::function<void()> giveUp_;
    std::chrono::steady_clock::time_point deadline_;
    std::unique_ptr<fw::Timer> timer_;
    bool running_ = false;
    bool done_ = false;
    bool timedOut_ = false;
};

// Visible top-level windows of this thread with the given class ("#32770" dialogs, "#32768" menus).
HWND FindThreadWindow(const wchar_t* className);

}  // namespace qbtest
