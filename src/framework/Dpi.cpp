#include "framework/Dpi.h"

namespace fw {

namespace {

// The DPI_AWARENESS_CONTEXT values, which the headers declare only for newer targets than ours.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using GetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)();
using GetAwarenessFromDpiAwarenessContextFn = int(WINAPI*)(HANDLE);

// A user32 export, or null on a system that lacks it.
template <class Fn>
Fn User32(const char* name) noexcept {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (!user32) return nullptr;
    // Through the generic function pointer type, which converts to any other without a warning.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, name)));
}

GetDpiForWindowFn GetDpiForWindowProc() noexcept {
    static const auto proc = User32<GetDpiForWindowFn>("GetDpiForWindow");
    return proc;
}

GetSystemMetricsForDpiFn GetSystemMetricsForDpiProc() noexcept {
    static const auto proc = User32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return proc;
}

}  // namespace

int ScaleForDpi(int px96, int dpi) noexcept {
    return ::MulDiv(px96, dpi, kBaseDpi);
}

int SystemDpi() noexcept {
    // Fixed for the life of a DPI-aware process.
    static const int dpi = [] {
        HDC screen = ::GetDC(nullptr);
        const int value = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
        if (screen) ::ReleaseDC(nullptr, screen);
        return value > 0 ? value : kBaseDpi;
    }();
    return dpi;
}

int DpiOfWindow(HWND window) noexcept {
    if (window) {
        if (GetDpiForWindowFn proc = GetDpiForWindowProc()) {
            const UINT dpi = proc(window);
            if (dpi > 0) return static_cast<int>(dpi);
        }
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) noexcept {
    if (GetSystemMetricsForDpiFn proc = GetSystemMetricsForDpiProc()) {
        return proc(index, static_cast<UINT>(dpi));
    }
    // Older systems give the metrics for the system's DPI only.
    return ::MulDiv(::GetSystemMetrics(index), dpi, SystemDpi());
}

int SmallIconSize(int dpi) noexcept {
    return SystemMetricForDpi(SM_CXSMICON, dpi);
}

void RequestPerMonitorDpiAwareness() noexcept {
    if (const auto set = User32<SetProcessDpiAwarenessContextFn>("SetProcessDpiAwarenessContext")) {
        // v2 came with Windows 10 1703; v1 is what 1607 (and Wine 8) offer.
        if (set(kPerMonitorAwareV2) || set(kPerMonitorAware)) return;
        // Refused also when the awareness is already set, by a manifest or an earlier call.
        if (ThreadDpiAwareness() > 0) return;
    }
    ::SetProcessDPIAware();
}

int ThreadDpiAwareness() noexcept {
    const auto context = User32<GetThreadDpiAwarenessContextFn>("GetThreadDpiAwarenessContext");
    const auto awareness =
        User32<GetAwarenessFromDpiAwarenessContextFn>("GetAwarenessFromDpiAwarenessContext");
    if (context && awareness) return awareness(context());
    return ::IsProcessDPIAware() ? 1 : 0;
}

}  // namespace fw
