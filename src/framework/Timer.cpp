#include "framework/Timer.h"

namespace fw {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

Timer::Timer(Component* owner)
    : Component(owner),
      window_(
          [this](UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
              if (msg != WM_TIMER || wParam != kTimerId) return std::nullopt;
              if (!enabled_ || !OnTimer) return 0;
              // A copy runs: the handler may replace or clear OnTimer while it runs.
              const auto handler = OnTimer;
              handler(*this);
              return 0;
          },
          this) {
    Update();
}

Timer::~Timer() {
    if (window_.Handle()) ::KillTimer(window_.Handle(), kTimerId);
}

void Timer::SetInterval(int ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Update();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void Timer::Update() {
    HWND h = window_.Handle();
    if (!h) return;
    ::KillTimer(h, kTimerId);
    if (enabled_ && interval_ > 0) ::SetTimer(h, kTimerId, static_cast<UINT>(interval_), nullptr);
}

}  // namespace fw
