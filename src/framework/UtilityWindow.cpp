#include "framework/UtilityWindow.h"

#include "framework/Application.h"

namespace fw {

namespace {
constexpr wchar_t kClassName[] = L"TPUtilWindow";

void RegisterUtilityClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    registered = ::RegisterClassExW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
}  // namespace

UtilityWindow::UtilityWindow(Handler handler) : handler_(std::move(handler)) {
    RegisterUtilityClass();
    // A plain hidden top-level window rather than a message-only one: broadcasts such as the task
    // bar's restart message reach only top-level windows.
    hwnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UtilityWindow::StaticWndProc));
    }
}

UtilityWindow::~UtilityWindow() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK UtilityWindow::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<UtilityWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->handler_) {
        try {
            if (auto result = self->handler_(msg, wParam, lParam)) return *result;
        } catch (...) {
            if (Application* app = App()) app->HandleCurrentException();
            return 0;
        }
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace fw
