#include "framework/Screen.h"

#include <algorithm>
#include <utility>

namespace fw {

namespace {

// A layout given by a test; empty means the real monitors.
std::vector<MonitorArea> g_layout;

MonitorArea AreaOf(HMONITOR monitor) noexcept {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && ::GetMonitorInfoW(monitor, &info)) return MonitorArea{info.rcMonitor, info.rcWork};
    const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return MonitorArea{screen, WorkArea()};
}

long long Area(const RECT& r) noexcept {
    return r.right <= r.left || r.bottom <= r.top
               ? 0
               : static_cast<long long>(r.right - r.left) * static_cast<long long>(r.bottom - r.top);
}

// Squared distance from a point to the nearest point of a rectangle.
long long Distance(const RECT& r, POINT p) noexcept {
    const long long dx = p.x < r.left ? r.left - p.x : (p.x >= r.right ? p.x - r.right + 1 : 0);
    const long long dy = p.y < r.top ? r.top - p.y : (p.y >= r.bottom ? p.y - r.bottom + 1 : 0);
    return dx * dx + dy * dy;
}

const MonitorArea& NearestInLayout(POINT p) noexcept {
    return *std::min_element(g_layout.begin(), g_layout.end(),
                             [p](const MonitorArea& a, const MonitorArea& b) {
                                 return Distance(a.monitor, p) < Distance(b.monitor, p);
                             });
}

// Widens and heightens `most` to hold a rectangle of the size of `r`.
void Grow(SIZE& most, const RECT& r) noexcept {
    most.cx = std::max(most.cx, r.right - r.left);
    most.cy = std::max(most.cy, r.bottom - r.top);
}

}  // namespace

RECT WorkArea() noexcept {
    if (!g_layout.empty()) return g_layout.front().work;
    RECT r{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        r = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return r;
}

MonitorArea MonitorAt(POINT point) noexcept {
    if (!g_layout.empty()) return NearestInLayout(point);
    return AreaOf(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

MonitorArea MonitorOf(const RECT& rect) noexcept {
    if (g_layout.empty()) return AreaOf(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
    const MonitorArea* best = nullptr;
    long long most = 0;
    for (const MonitorArea& m : g_layout) {
        RECT common{};
        ::IntersectRect(&common, &m.monitor, &rect);
        if (Area(common) > most) {
            most = Area(common);
            best = &m;
        }
    }
    if (best) return *best;
    return NearestInLayout(
        POINT{rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2});
}

SIZE LargestMonitorSize() noexcept {
    SIZE most{0, 0};
    if (!g_layout.empty()) {
        for (const MonitorArea& m : g_layout) Grow(most, m.monitor);
        return most;
    }
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR, HDC, RECT* monitor, LPARAM found) -> BOOL {
            Grow(*reinterpret_cast<SIZE*>(found), *monitor);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&most));
    if (most.cx <= 0 || most.cy <= 0)
        most = SIZE{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return most;
}

ScopedMonitorLayout::ScopedMonitorLayout(std::vector<MonitorArea> monitors) : previous_(std::move(g_layout)) {
    g_layout = std::move(monitors);
}

ScopedMonitorLayout::~ScopedMonitorLayout() {
    g_layout = std::move(previous_);
}

}  // namespace fw
