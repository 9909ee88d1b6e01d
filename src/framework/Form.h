// Forms: top-level windows owned (as components) by another component and (as windows) by the
// application's hidden window, so that they never get task-bar buttons of their own.
//
// - Each form class handles messages by overriding WndProc and passing what it does not handle to the
//   inherited WndProc (which ends in DefWindowProc); the framework's one window procedure calls it.
// - The window is created hidden by the constructor with the creation parameters given (class name,
//   styles); freeing the form destroys it, then the icon the form owns.
// - Close() runs DoClose, whose default raises the close event for an owner that listens; a derived form
//   puts its own closing behaviour in DoClose. On the main form Close() ends the application's message
//   loop.
// - One lifetime rule: a form is freed with Free(), like every component. Whatever frees a form (itself,
//   its owner, a manager closing all windows) while one of its handlers runs only hides it: it goes when
//   the outermost of those handlers returns (see Lifetime.h). Release() is Free() from the queue.
// - A form's own behaviour lives in its virtuals (DoClose, KeyDown, Resize, Activated, Showing); the
//   std::function events are for owners to be told.
// - Painting goes through an off-screen buffer: PaintBackground (the form's colour by default; a form
//   may paint its own), then the windowless controls.
// - Sizes in the code are pixels at 96 DPI; a form scales them by Dpi(), the DPI of its monitor. When the
//   window moves to a monitor of another DPI (WM_DPICHANGED) it takes the rectangle the system suggests,
//   its child controls take fonts for the new DPI, and DpiChanged lets the form lay itself out again.
#pragma once

#include "framework/Component.h"
#include "framework/ControlHost.h"
#include "framework/Dpi.h"
#include "framework/FormScrollBar.h"
#include "framework/Graphics.h"
#include "framework/ShiftState.h"
#include "framework/UniqueAny.h"
#include "framework/WindowHandler.h"

#include <windows.h>

#include <functional>
#include <string>

namespace fw {

enum class CloseAction { None, Hide, Free, Minimize };

enum BorderIcon : unsigned {
    biSystemMenu = 1u << 0,
    biMinimize = 1u << 1,
    biMaximize = 1u << 2,
};

class GraphicControl;

// How a form's window is made. `className` is the window class registered for this kind of form (tests
// and tools find windows by it).
struct FormParams {
    const wchar_t* className = L"TForm";
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    DWORD exStyle = 0;
};

class Form : public Component, public WindowHandler {
public:
    // The window starts hidden; with the default parameters it has a sizeable border, a caption and all
    // three border icons.
    explicit Form(Component* owner, const FormParams& params = {});
    ~Form() override;

    using WindowHandler::Handle;
    static Form* FromHandle(HWND hwnd) noexcept;

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    unsigned BorderIcons() const noexcept { return borderIcons_; }
    void SetBorderIcons(unsigned icons);
    // The window's icon (caption and task switcher). The form owns it and destroys it after its window.
    HICON Icon() const noexcept { return icon_.get(); }
    void SetIcon(unique_hicon icon);

    // Window rectangle in screen coordinates.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left);
    void SetTop(int top);
    void SetWidth(int width);
    void SetHeight(int height);
    void SetBounds(int left, int top, int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int width);
    void SetClientHeight(int height);
    // Both at once, in one move of the window.
    void SetClientSize(int width, int height);

    bool Visible() const noexcept;
    void Show();  // makes the form visible and brings it to the front
    void Hide();
    // Gives the form the keyboard focus, bringing it to the foreground first when another window is there
    // (which the system allows only while the program may take the foreground, as after its hotkey).
    void SetFocus();
    bool Focused() const noexcept;
    // Runs DoClose and carries out the action it leaves: hide (the default), minimise, free, or nothing.
    void Close();
    // Closes the form later, from the message queue (as the close box does).
    void PostClose();
    // Removes the messages of one number that were posted to this form and wait in the queue: a burst of
    // the same request is then answered once.
    void DropQueuedMessages(UINT msg) noexcept;
    // Free() from the queue: posts a message whose handling frees the form.
    void Release();
    void Invalidate(const RECT* rect = nullptr);

    // Modal loop: disables the application's other windows and pumps messages until ModalResult is
    // set (or the form closes or is freed); returns ModalResult (IDCANCEL when the form was freed).
    int ShowModal();
    int ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(int result) noexcept { modalResult_ = result; }

    // A system-wide hotkey that arrives at this form as WM_HOTKEY with `id`; false when another program
    // holds the combination. Unregistered when the window goes at the latest.
    bool RegisterHotKey(int id, UINT modifiers, UINT key);
    void UnregisterHotKey(int id);

    // The DPI of the monitor the window is on, as last reported to it.
    int Dpi() const noexcept { return dpi_; }
    // A length in pixels at 96 DPI, at the form's DPI.
    int Scale(int px96) const noexcept { return ScaleForDpi(px96, dpi_); }

    // Background colour of the client area and of the controls on it.
    Color GetColor() const noexcept { return color_; }
    void SetColor(Color color);
    // The colour scheme the form and its canvas draw in (borrowed; null: colours as named).
    void SetColorMap(const ColorMap* map);
    const ColorMap* GetColorMap() const noexcept { return colorMap_; }

    FormScrollBar& VertScrollBar() noexcept { return vertScrollBar_; }
    FormScrollBar& HorzScrollBar() noexcept { return horzScrollBar_; }
    // Automatic scrolling is not offered; forms that scroll set the range themselves.
    void SetAutoScroll(bool) noexcept {}

    // The windowless controls on the form.
    ControlHost& Controls() noexcept { return controls_; }
    // The windowless control under a client point (the last inserted wins), or null.
    GraphicControl* ControlAt(POINT client) const noexcept { return controls_.ControlAt(client); }

    std::function<void(Form& sender, CloseAction& action)> OnClose;
    std::function<void(Form& sender, WORD& key, ShiftState shift)> OnKeyDown;
    std::function<void(Form& sender)> OnResize;
    // The form became the active window, or stopped being it.
    std::function<void(Form& sender)> OnActivate;
    std::function<void(Form& sender)> OnDeactivate;
    // The form is about to be shown.
    std::function<void(Form& sender)> OnShow;

    // Moves the content (windowless controls and child windows) by (dx, dy); used by the scroll bars.
    void ScrollContent(int dx, int dy);

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The form is asked to close; `action` says what Close() does then. The default raises OnClose.
    virtual void DoClose(CloseAction& action);
    // A key went down while the form had the focus; setting `key` to 0 marks it handled. The default
    // raises OnKeyDown.
    virtual void KeyDown(WORD& key, ShiftState shift);
    virtual void Resize();
    virtual void Activated(bool active);
    virtual void Showing();
    // The window has moved to a monitor of another DPI and already has the rectangle the system
    // suggested; Dpi() is the new DPI. Forms whose layout depends on it lay themselves out again here.
    virtual void DpiChanged(int oldDpi, int newDpi);
    // Paints the client area behind the controls on `dc` (client coordinates); `area` is what needs
    // painting. The default fills it with the form's colour.
    virtual void PaintBackground(HDC dc, const RECT& area);

    void MessageHandled() noexcept override { controls_.ReleaseCanvases(); }
    void WillFreeLater() noexcept override;

private:
    void Paint();
    RECT WindowRect() const;
    void WMDpiChanged(int dpi, const RECT* suggested);

    Color color_ = clBtnFace;
    const ColorMap* colorMap_ = nullptr;
    int dpi_ = kBaseDpi;
    ControlHost controls_{*this};
    FormScrollBar vertScrollBar_{*this, SB_VERT};
    FormScrollBar horzScrollBar_{*this, SB_HORZ};
    unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    int modalResult_ = 0;
    bool inModalLoop_ = false;
    unique_hicon icon_;  // the destructor destroys the window first, then this goes
};

}  // namespace fw
