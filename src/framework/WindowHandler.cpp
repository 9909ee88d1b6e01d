#include "framework/WindowHandler.h"

#include "framework/Application.h"
#include "framework/Module.h"

#include <commctrl.h>

#include <set>
#include <string>

namespace fw {

namespace {

// A window property names the handler of every bound window, forms and subclassed controls alike:
// GWLP_USERDATA of a system control belongs to the control's class, not to us.
constexpr wchar_t kHandlerProperty[] = L"Quillbrook.WindowHandler";
constexpr UINT_PTR kSubclassId = 0x5142;  // "QB"

bool IsCtlColor(UINT msg) noexcept {
    return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC;
}

// The child control a parent's notification is about, or null.
HWND NotifyingControl(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_COMMAND) return reinterpret_cast<HWND>(lParam);
    if (IsCtlColor(msg)) return reinterpret_cast<HWND>(lParam);
    if (msg == WM_NOTIFY && lParam) return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    // wParam 0 means a menu item, which the window itself draws (a context menu's owner-drawn items).
    if (msg == WM_DRAWITEM && wParam != 0 && lParam)
        return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    return nullptr;
}

}  // namespace

WindowHandler::~WindowHandler() {
    DestroyBoundWindow();
}

WindowHandler* WindowHandler::FromHandle(HWND hwnd) noexcept {
    if (!hwnd) return nullptr;
    return static_cast<WindowHandler*>(::GetPropW(hwnd, kHandlerProperty));
}

void WindowHandler::RegisterWindowClass(const WNDCLASSEXW& prototype) {
    static std::set<std::wstring> registered;
    if (registered.count(prototype.lpszClassName)) return;
    WNDCLASSEXW wc = prototype;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowHandler::ClassProc;
    if (!wc.hInstance) wc.hInstance = ModuleHandle();
    if (::RegisterClassExW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        registered.insert(prototype.lpszClassName);
    }
}

HWND WindowHandler::CreateBoundWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text,
                                      DWORD style, int x, int y, int width, int height, HWND parent) {
    HWND hwnd = ::CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent, nullptr,
                                  ModuleHandle(), this);
    // WM_NCCREATE bound it; a window that failed later in its creation is gone again.
    if (!hwnd) hwnd_ = nullptr;
    return hwnd;
}

void WindowHandler::SubclassBound(HWND hwnd) {
    if (!hwnd) return;
    if (::SetWindowSubclass(hwnd, &WindowHandler::SubclassProc, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(this))) {
        subclassed_ = true;
        Bind(hwnd);
    }
}

void WindowHandler::Bind(HWND hwnd) noexcept {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, kHandlerProperty, static_cast<HANDLE>(this));
    if (!subclassed_) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void WindowHandler::Unbind() noexcept {
    if (!hwnd_) return;
    ::RemovePropW(hwnd_, kHandlerProperty);
    if (subclassed_) {
        ::RemoveWindowSubclass(hwnd_, &WindowHandler::SubclassProc, kSubclassId);
        subclassed_ = false;
    } else {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
    hwnd_ = nullptr;
}

void WindowHandler::DestroyBoundWindow() noexcept {
    HWND hwnd = hwnd_;
    if (!hwnd) return;
    Unbind();
    ::DestroyWindow(hwnd);
}

LRESULT WindowHandler::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT WindowHandler::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (!hwnd_) return 0;
    if (subclassed_) return ::DefSubclassProc(hwnd_, msg, wParam, lParam);
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

bool WindowHandler::Notification(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

bool WindowHandler::ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    WindowHandler* control = FromHandle(NotifyingControl(msg, wParam, lParam));
    if (!control) return false;
    HandlerScope scope(control->lifetime_);
    if (control->lifetime_ && control->lifetime_->Marked()) return false;
    return control->Notification(msg, wParam, lParam, result);
}

LRESULT WindowHandler::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    // Declared first, so it closes last: the object may be deleted only after everything below is done.
    HandlerScope scope(lifetime_);
    LRESULT result = 0;
    if (lifetime_ && lifetime_->Marked()) {
        // Freed and waiting for a handler further up: no more of our handling. Closing would let
        // DefWindowProc destroy the window under that handler.
        return msg == WM_CLOSE ? 0 : DefaultHandler(msg, wParam, lParam);
    }
    try {
        result = WndProc(msg, wParam, lParam);
    } catch (...) {
        if (Application* app = App()) app->HandleCurrentException();
    }
    MessageHandled();
    return result;
}

LRESULT CALLBACK WindowHandler::ClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        auto* created = static_cast<WindowHandler*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (created) created->Bind(hwnd);
    }
    auto* self = reinterpret_cast<WindowHandler*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        self->Unbind();
        self->WindowDestroyed();
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return self->Dispatch(msg, wParam, lParam);
}

LRESULT CALLBACK WindowHandler::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR refData) noexcept {
    auto* self = reinterpret_cast<WindowHandler*>(refData);
    if (msg == WM_NCDESTROY) {
        // The parent went first and took the control with it; the object lives on without a window.
        self->Unbind();
        self->WindowDestroyed();
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    return self->Dispatch(msg, wParam, lParam);
}

}  // namespace fw
