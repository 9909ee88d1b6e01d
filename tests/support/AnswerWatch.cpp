#include "support/AnswerWatch.h"

#include <algorithm>
#include <vector>

namespace qbtest {

namespace {

using Clock = std::chrono::steady_clock;

// Longer than any wait a test accepts, short enough that a hung window cannot hold the watch for long.
constexpr UINT kGiveUpMs = 10000;

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> found;
    } search{processId, {}};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            if (pid == s->processId && ::IsWindowVisible(w)) s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

AnswerWatch::AnswerWatch(DWORD processId) : processId_(processId), thread_([this] { Watch(); }) {}

AnswerWatch::~AnswerWatch() {
    stop_ = true;
    thread_.join();
}

void AnswerWatch::Watch() noexcept {
    try {
        while (!stop_) {
            for (HWND w : VisibleWindowsOf(processId_)) {
                const auto start = Clock::now();
                DWORD_PTR answer = 0;
                ::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, kGiveUpMs, &answer);
                const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
                longest_ = std::max(longest_.load(), static_cast<long long>(took.count()));
            }
            ::Sleep(20);
        }
    } catch (...) {
        // Out of memory listing windows: the watch ends with what it has seen.
    }
}

}  // namespace qbtest
