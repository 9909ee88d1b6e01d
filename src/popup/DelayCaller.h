// The hover tracker embedded in every menu entry. All trackers share one one-shot timer: starting a
// tracker points the timer at it and restarts the countdown, so only the entry entered last can fire.
// When the time is up the tracker calls its action if its condition still holds.
#pragma once

#include "framework/SharedInstance.h"

#include <functional>

// The timer shared by all trackers (defined in DelayCaller.cpp).
class THoverTimer;

class TDelayCaller {
public:
    TDelayCaller();
    ~TDelayCaller();
    TDelayCaller(const TDelayCaller&) = delete;
    TDelayCaller& operator=(const TDelayCaller&) = delete;

    std::function<void()> Action;
    std::function<bool()> Condition;
    int Interval = 200;

    void Start();
    void Stop();
    // Whether the shared timer is counting down for this tracker.
    bool Running() const noexcept;
    // Stops whichever tracker is counting down (a key takes over from the mouse).
    static void StopPending() noexcept;

private:
    void Fire();
    fw::SharedInstance<THoverTimer>::Use hover_;  // made by the first tracker, destroyed with the last
};
