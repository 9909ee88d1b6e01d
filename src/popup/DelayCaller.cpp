#include "popup/DelayCaller.h"

#include "framework/Timer.h"

namespace {

fw::Timer* g_timer = nullptr;
TDelayCaller* g_current = nullptr;  // the tracker the shared timer is pointed at
int g_instances = 0;

}  // namespace

TDelayCaller::TDelayCaller() {
    if (g_instances++ == 0) {
        g_timer = new fw::Timer(nullptr);
        g_timer->SetEnabled(false);
    }
}

TDelayCaller::~TDelayCaller() {
    if (g_current == this) {
        g_timer->SetEnabled(false);
        g_timer->OnTimer = nullptr;
        g_current = nullptr;
    }
    if (--g_instances == 0) {
        delete g_timer;
        g_timer = nullptr;
    }
}

void TDelayCaller::Start() {
    g_current = this;
    g_timer->OnTimer = [this](fw::Timer&) { Fire(); };
    g_timer->SetEnabled(false);
    // A delay of 0 or less still fires, as soon as the platform's timer allows.
    g_timer->SetInterval(Interval > 0 ? Interval : 1);
    g_timer->SetEnabled(true);
}

void TDelayCaller::Stop() {
    if (g_current == this) g_timer->SetEnabled(false);
}

bool TDelayCaller::Running() const noexcept {
    return g_current == this && g_timer && g_timer->Enabled();
}

void TDelayCaller::Fire() {
    g_timer->SetEnabled(false);
    if (Condition && Condition() && Action) Action();
}
