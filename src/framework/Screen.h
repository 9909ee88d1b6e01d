// What the screen offers the program's windows.
#pragma once

#include <windows.h>

#include <vector>

namespace fw {

// The work area of the primary monitor: the desktop minus the task bar and other docked bars.
RECT WorkArea() noexcept;

// One monitor: its whole rectangle and its work area, in virtual-screen coordinates.
struct MonitorArea {
    RECT monitor;
    RECT work;
};

// The monitor that holds a point, or the nearest one when none does.
MonitorArea MonitorAt(POINT point) noexcept;
// The monitor that holds most of a rectangle, or the nearest one when it lies on none.
MonitorArea MonitorOf(const RECT& rect) noexcept;

// The widest and the tallest monitor's sizes (of two monitors, the width of one and the height of the
// other): no window is larger.
SIZE LargestMonitorSize() noexcept;

// Makes the queries above answer from a given layout instead of the real monitors, for as long as
// the object lives (for placement tests on a display with one monitor). The first monitor stands in for
// the primary one.
class ScopedMonitorLayout {
public:
    explicit ScopedMonitorLayout(std::vector<MonitorArea> monitors);
    ~ScopedMonitorLayout();
    ScopedMonitorLayout(const ScopedMonitorLayout&) = delete;
    ScopedMonitorLayout& operator=(const ScopedMonitorLayout&) = delete;

private:
    std::vector<MonitorArea> previous_;
};

}  // namespace fw
