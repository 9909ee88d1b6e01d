#include "framework/UtilityWindow.h"

namespace fw {

namespace {
constexpr wchar_t kClassName[] = L"TPUtilWindow";
}  // namespace

UtilityWindow::UtilityWindow(Handler handler, DeferredDelete* lifetime)
    : WindowHandler(lifetime), handler_(std::move(handler)) {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpszClassName = kClassName;
    RegisterWindowClass(wc);
    // A plain hidden top-level window rather than a message-only one: broadcasts such as the task
    // bar's restart message reach only top-level windows.
    CreateBoundWindow(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr);
}

LRESULT UtilityWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (handler_) {
        if (auto result = handler_(msg, wParam, lParam)) return *result;
    }
    return DefaultHandler(msg, wParam, lParam);
}

}  // namespace fw
