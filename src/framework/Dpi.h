// Sizes for the monitor a window is on. The program's layout constants are pixels at 96 DPI; a window
// scales them by the DPI of its monitor, which it reads when it is made and takes again from
// WM_DPICHANGED when it moves to a monitor of another DPI. At 96 DPI every length stays as written.
//
// The calls that know about monitors of different DPI (Windows 10 1607 and later) are looked up at run
// time, so the program still starts on older systems, where every window has the system's DPI.
#pragma once

#include <windows.h>

namespace fw {

inline constexpr int kBaseDpi = 96;

// A length in pixels at 96 DPI, in pixels at `dpi` (rounded to the nearest pixel).
int ScaleForDpi(int px96, int dpi) noexcept;
// The DPI of the primary monitor as the process was started with it (LOGPIXELSY of the screen).
int SystemDpi() noexcept;
// The DPI of the monitor the window is on where the system knows it per window, else the system's.
int DpiOfWindow(HWND window) noexcept;
// A GetSystemMetrics value as it is at `dpi`.
int SystemMetricForDpi(int index, int dpi) noexcept;
// The side of a small icon (the caption's, a menu entry's) at `dpi`.
int SmallIconSize(int dpi) noexcept;

// Makes this process per-monitor DPI aware (v2, else v1, else system aware) as the program's manifest
// does; for programs that make the same windows without that manifest (the tests, the benchmarks). A
// process whose awareness is already set keeps it.
void RequestPerMonitorDpiAwareness() noexcept;
// The calling thread's DPI awareness: 0 not aware, 1 system aware, 2 per monitor (before Windows 10: 1
// when the process is DPI aware at all).
int ThreadDpiAwareness() noexcept;

}  // namespace fw
