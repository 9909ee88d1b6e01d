#include "support/NestedStep.h"

namespace qbtest {

NestedStep::NestedStep(std::function<bool()> step, std::function<void()> giveUp,
                       std::chrono::milliseconds timeout)
    : step_(std::move(step)),
      giveUp_(std::move(giveUp)),
      deadline_(std::chrono::steady_clock::now() + timeout),
      timer_(std::make_unique<fw::Timer>(nullptr)) {
    timer_->SetInterval(20);
    timer_->OnTimer = [this](fw::Timer&) { Tick(); };
}

NestedStep::~NestedStep() = default;

void NestedStep::Tick() {
    // Past the deadline the loop is given up, also from inside a step that is stuck in a loop of its own
    // (a menu that opened while the step pumped messages); each tick tries again until the loops end.
    if (std::chrono::steady_clock::now() >= deadline_) {
        timedOut_ = true;
        if (giveUp_) giveUp_();
        return;
    }
    // A step that pumps messages (real input settling) must not be entered again by the next tick.
    if (running_) return;
    running_ = true;
    if (!done_ && step_()) done_ = true;
    running_ = false;
}

HWND FindThreadWindow(const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t name[64]{};
            ::GetClassNameW(w, name, 64);
            if (::IsWindowVisible(w) && ::lstrcmpiW(name, s->className) == 0) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace qbtest
