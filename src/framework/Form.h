// Forms: top-level windows owned (as components) by another component and (as windows) by the
// application's hidden window, so that they never get task-bar buttons of their own.
//
// - One static window procedure per process; each form class handles messages by overriding WndProc
//   and passing what it does not handle to the inherited WndProc (which ends in DefWindowProc).
// - The window is created hidden by the constructor; freeing the form destroys it.
// - Close() runs the close event; on the main form it ends the application's message loop.
// - Release() is the deferred free: a posted message frees the form once the current handlers have
//   returned, so a form can close itself from inside its own event handlers.
// - No exception leaves the window procedure: it is handed to the application's exception display.
#pragma once

#include "framework/Component.h"
#include "framework/Graphics.h"
#include "framework/ShiftState.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fw {

enum class CloseAction { None, Hide, Free, Minimize };

enum BorderIcon : unsigned {
    biSystemMenu = 1u << 0,
    biMinimize = 1u << 1,
    biMaximize = 1u << 2,
};

class GraphicControl;
class Form;

// One of a form's two scroll bars. The bar shows when it is visible and its range (the height or
// width of the content) exceeds the client area; scrolling moves the form's controls.
class FormScrollBar {
public:
    FormScrollBar(Form& form, int bar) : form_(form), bar_(bar) {}
    int Range() const noexcept { return range_; }
    void SetRange(int range);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    bool Tracking() const noexcept { return tracking_; }
    void SetTracking(bool tracking) noexcept { tracking_ = tracking; }
    int Position() const noexcept { return position_; }
    void SetPosition(int position);
    int Increment() const noexcept { return increment_; }
    // Whether the bar is on the screen right now.
    bool IsShowing() const noexcept { return showing_; }

    void Update();                              // after a change of range, size or visibility
    void Scroll(WORD code, int trackPosition);  // WM_VSCROLL / WM_HSCROLL
    void Wheel(int delta);                      // WM_MOUSEWHEEL, in WHEEL_DELTA units

private:
    int ClientExtent() const;
    Form& form_;
    int bar_;
    int range_ = 0;
    int position_ = 0;
    int increment_ = 8;
    bool visible_ = true;
    bool tracking_ = false;
    bool showing_ = false;
    bool updating_ = false;
};

class Form : public Component {
public:
    // `className` is the window class registered for this kind of form (tests and tools find windows
    // by it). The window starts hidden with a sizeable border, a caption and all three border icons.
    explicit Form(Component* owner, const wchar_t* className = L"TForm");
    ~Form() override;

    HWND Handle() const noexcept { return hwnd_; }
    static Form* FromHandle(HWND hwnd) noexcept;

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    unsigned BorderIcons() const noexcept { return borderIcons_; }
    void SetBorderIcons(unsigned icons);

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
    void Close();
    void Release();
    void Invalidate(const RECT* rect = nullptr);

    // Modal loop: disables the application's other windows and pumps messages until ModalResult is
    // set (or the form closes); returns ModalResult.
    int ShowModal();
    int ModalResult() const noexcept { return modalResult_; }
    void SetModalResult(int result) noexcept { modalResult_ = result; }

    // Background colour of the client area and of the controls on it.
    Color GetColor() const noexcept { return color_; }
    void SetColor(Color color);

    FormScrollBar& VertScrollBar() noexcept { return vertScrollBar_; }
    FormScrollBar& HorzScrollBar() noexcept { return horzScrollBar_; }
    // Automatic scrolling is not offered; forms that scroll set the range themselves.
    void SetAutoScroll(bool) noexcept {}

    // The windowless control under a client point (the last inserted wins), or null.
    GraphicControl* ControlAt(POINT client) const noexcept;

    std::function<void(Form& sender, CloseAction& action)> OnClose;
    std::function<void(Form& sender, WORD& key, ShiftState shift)> OnKeyDown;
    std::function<void(Form& sender)> OnResize;

protected:
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    virtual void DoClose(CloseAction& action);
    virtual void KeyDown(WORD& key, ShiftState shift);
    virtual void Resize();

private:
    friend class GraphicControl;
    friend class FormScrollBar;
    void InsertControl(GraphicControl* control);
    void RemoveControl(GraphicControl* control) noexcept;
    void NoteCanvasInUse(GraphicControl* control);
    void FreeCanvases() noexcept;
    void PaintControls();
    void ScrollControls(int dx, int dy);
    void MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void SetMouseControl(GraphicControl* control);

    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    static void RegisterFormClass(const wchar_t* className);
    RECT WindowRect() const;

    HWND hwnd_ = nullptr;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    Color color_ = clBtnFace;
    std::vector<GraphicControl*> controls_;
    std::vector<GraphicControl*> canvasesInUse_;
    GraphicControl* captureControl_ = nullptr;  // holds the mouse while a button is down
    GraphicControl* mouseControl_ = nullptr;    // the control the mouse is in
    bool trackingLeave_ = false;
    FormScrollBar vertScrollBar_{*this, SB_VERT};
    FormScrollBar horzScrollBar_{*this, SB_HORZ};
    unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    int modalResult_ = 0;
    bool inModalLoop_ = false;
};

// The work area of the primary monitor: the desktop minus the task bar and other docked bars.
RECT WorkArea() noexcept;

}  // namespace fw
