#include "popup/DelayCaller.h"

#include "framework/Timer.h"

class THoverTimer {
public:
    THoverTimer() : timer(*new fw::Timer(nullptr)) { timer.SetEnabled(false); }
    // The last tracker may go inside the timer's own handler (a hover that closes the window holding
    // it): the timer is freed the deferred way, so it outlives that handler.
    ~THoverTimer() {
        timer.SetEnabled(false);
        timer.OnTimer = nullptr;
        timer.Free();
    }
    THoverTimer(const THoverTimer&) = delete;
    THoverTimer& operator=(const THoverTimer&) = delete;

    fw::Timer& timer;
    TDelayCaller* current = nullptr;  // the tracker the timer is pointed at
};

namespace {
constinit fw::SharedInstance<THoverTimer> g_hoverTimer;  // holds no use itself
}  // namespace

TDelayCaller::TDelayCaller() : hover_(g_hoverTimer.Acquire()) {}

TDelayCaller::~TDelayCaller() {
    if (hover_->current == this) {
        hover_->timer.SetEnabled(false);
        hover_->timer.OnTimer = nullptr;
        hover_->current = nullptr;
    }
}

void TDelayCaller::Start() {
    fw::Timer& timer = hover_->timer;
    hover_->current = this;
    timer.OnTimer = [this](fw::Timer&) { Fire(); };
    timer.SetEnabled(false);
    // A delay of 0 or less still fires, as soon as the platform's timer allows.
    timer.SetInterval(Interval > 0 ? Interval : 1);
    timer.SetEnabled(true);
}

void TDelayCaller::Stop() {
    if (hover_->current == this) hover_->timer.SetEnabled(false);
}

bool TDelayCaller::Running() const noexcept {
    return hover_->current == this && hover_->timer.Enabled();
}

void TDelayCaller::StopPending() noexcept {
    if (THoverTimer* hover = g_hoverTimer.Current()) hover->timer.SetEnabled(false);
}

void TDelayCaller::Fire() {
    hover_->timer.SetEnabled(false);
    if (Condition && Condition() && Action) Action();
}
