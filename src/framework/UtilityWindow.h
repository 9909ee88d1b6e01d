// A hidden utility window whose messages go to a function of its owner (timers, the tray icon's
// callback, anything that needs a window but no form). Messages it does not handle go to DefWindowProc
// when the function returns nothing. `lifetime` is the object that owns the window (a timer, a tray
// component): it is held while a message is handled, so the function may free it.
#pragma once

#include "framework/WindowHandler.h"

#include <windows.h>

#include <functional>
#include <optional>

namespace fw {

class UtilityWindow : public WindowHandler {
public:
    using Handler = std::function<std::optional<LRESULT>(UINT msg, WPARAM wParam, LPARAM lParam)>;
    UtilityWindow(Handler handler, DeferredDelete* lifetime);
    ~UtilityWindow() override = default;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    Handler handler_;
};

}  // namespace fw
