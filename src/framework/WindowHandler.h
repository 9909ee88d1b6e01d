// One window procedure for every window of the program: forms and utility windows (window classes whose
// procedure is the framework's) and child controls of the system's classes (subclassed). Each window is
// bound to one WindowHandler object, which gets the window's messages through its virtual WndProc.
//
// Around every message the thunk holds a HandlerScope on the handler's lifetime object (the form, the
// control, the component that owns a utility window), so that whatever the handler frees, itself included,
// goes only when the outermost message returns; it catches every exception and hands it to the
// application's exception display. A marked (freed, waiting) object gets no further handling.
//
// A parent form passes the notifications it receives about a child control (WM_COMMAND, WM_NOTIFY,
// WM_CTLCOLOR*, WM_DRAWITEM) back to the control's own handler (ReflectToControl), so a form need not know
// its controls. Messages that Windows sends to the control itself (WM_DROPFILES, keys) reach the
// control's WndProc through the subclassing.
#pragma once

#include "framework/Lifetime.h"

#include <windows.h>

namespace fw {

class WindowHandler {
public:
    WindowHandler(const WindowHandler&) = delete;
    WindowHandler& operator=(const WindowHandler&) = delete;

    HWND Handle() const noexcept { return hwnd_; }
    // The handler bound to a window of this program, or null for any other window.
    static WindowHandler* FromHandle(HWND hwnd) noexcept;

    // Gives a notification that a parent received about one of its child controls to that control's
    // handler. True when the control answered it; `result` is then the answer.
    static bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Registers a window class whose procedure is the framework's (once per class name); the procedure
    // in `prototype` is ignored.
    static void RegisterWindowClass(const WNDCLASSEXW& prototype);

protected:
    // `lifetime` is the object kept alive while one of this window's messages is handled; null for none.
    explicit WindowHandler(DeferredDelete* lifetime) noexcept : lifetime_(lifetime) {}
    virtual ~WindowHandler();  // destroys the window if it still exists

    // Creates a window of a class registered above, bound to this handler from WM_NCCREATE on. Returns
    // null when the window cannot be made.
    HWND CreateBoundWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x,
                           int y, int width, int height, HWND parent);
    // Binds a window of a system class (EDIT, BUTTON) to this handler by subclassing it.
    void SubclassBound(HWND hwnd);
    // Unbinds the window, then destroys it: its last messages reach nobody.
    void DestroyBoundWindow() noexcept;

    // This window's messages. The base passes everything to DefaultHandler.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // DefWindowProc, or the control's own procedure for a subclassed control.
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    // A notification about this control, passed back by its parent. False: not handled.
    virtual bool Notification(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // After each message this object handled, while it is still alive.
    virtual void MessageHandled() noexcept {}
    // The window went away without us (its parent was destroyed); Handle() is null from now on.
    virtual void WindowDestroyed() noexcept {}

private:
    static LRESULT CALLBACK ClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR refData) noexcept;
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    void Bind(HWND hwnd) noexcept;
    void Unbind() noexcept;

    DeferredDelete* lifetime_;
    HWND hwnd_ = nullptr;
    bool subclassed_ = false;
};

}  // namespace fw
