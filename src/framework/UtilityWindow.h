// A hidden utility window whose messages go to a function of its owner (timers, the tray icon's
// callback, anything that needs a window but no form). Messages it does not handle go to DefWindowProc
// when the function returns nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

namespace fw {

class UtilityWindow {
public:
    using Handler = std::function<std::optional<LRESULT>(UINT msg, WPARAM wParam, LPARAM lParam)>;
    explicit UtilityWindow(Handler handler);
    ~UtilityWindow();
    UtilityWindow(const UtilityWindow&) = delete;
    UtilityWindow& operator=(const UtilityWindow&) = delete;

    HWND Handle() const noexcept { return hwnd_; }

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    Handler handler_;
    HWND hwnd_ = nullptr;
};

}  // namespace fw
