// How long a program's windows keep a user waiting: a thread of its own sends WM_NULL to each visible
// window of the process every 20 ms and keeps the longest time one took to answer. A window thread busy
// for a second shows as an answer a second late.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace qbtest {

class AnswerWatch {
public:
    explicit AnswerWatch(DWORD processId);
    ~AnswerWatch();  // stops and joins the thread
    AnswerWatch(const AnswerWatch&) = delete;
    AnswerWatch& operator=(const AnswerWatch&) = delete;

    std::chrono::milliseconds Longest() const noexcept { return std::chrono::milliseconds(longest_.load()); }

private:
    void Watch() noexcept;

    DWORD processId_;
    std::atomic<bool> stop_{false};
    std::atomic<long long> longest_{0};
    std::thread thread_;  // last: starts once the rest is ready
};

}  // namespace qbtest
