// A timer component: OnTimer runs on the GUI thread every Interval milliseconds while Enabled.
// An interval of 0 or less never fires (callers that want "as soon as possible" pass 1).
#pragma once

#include "framework/Component.h"
#include "framework/UtilityWindow.h"

#include <functional>

namespace fw {

class Timer : public Component {
public:
    explicit Timer(Component* owner);
    ~Timer() override;

    int Interval() const noexcept { return interval_; }
    void SetInterval(int ms);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);

    std::function<void(Timer& sender)> OnTimer;

private:
    void Update();
    UtilityWindow window_;
    int interval_ = 1000;
    bool enabled_ = true;
};

}  // namespace fw
