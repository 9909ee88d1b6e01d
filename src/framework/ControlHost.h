// The host of a form's windowless controls: it keeps them in z-order, paints them into the form's
// off-screen buffer, routes the form's mouse messages to them (press, move, release, click, enter, leave)
// and gives back the window contexts that their canvases borrowed outside painting.
//
// Mouse rules: the control under a press holds the mouse (with the window's capture) until the last
// button is up, and every move goes to it first; only then is the control under the cursor worked out,
// so a fast move out of the window is still seen by the pressed control before it hears that the mouse
// left. Each call into a control holds a HandlerScope on it, so a control freed by its own handler goes
// only when the call returns.
#pragma once

#include <windows.h>

#include <vector>

namespace fw {

class Form;
class GraphicControl;

class ControlHost {
public:
    explicit ControlHost(Form& form) : form_(form) {}
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    void Insert(GraphicControl* control);
    void Remove(GraphicControl* control) noexcept;
    // Detaches every control (the form is going).
    void RemoveAll() noexcept;

    // The visible control under a client point (the last inserted wins), or null.
    GraphicControl* ControlAt(POINT client) const noexcept;
    // The control that holds the mouse while a button is down, or null.
    GraphicControl* CaptureControl() const noexcept { return captureControl_; }

    // Paints the controls that meet `area` (client coordinates) on `dc`, whose origin is the client
    // origin. A control whose paint throws does not stop the others; the first exception is rethrown
    // once all are done and the context is as it was.
    void Paint(HDC dc, const RECT& area);
    // Moves every control by (dx, dy) (scrolling).
    void MoveAll(int dx, int dy);
    // Handles a mouse message of the form (WM_MOUSEMOVE, buttons, WM_MOUSELEAVE, WM_CAPTURECHANGED).
    void MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The window was hidden: the mouse is over none of its controls any more, and whatever it rests on
    // when the window shows again is entered afresh.
    void MouseGone();

    void NoteCanvasInUse(GraphicControl* control);
    // Gives back the window contexts that the controls' canvases took outside painting.
    void ReleaseCanvases() noexcept;

private:
    void SetMouseControl(GraphicControl* control);

    Form& form_;
    std::vector<GraphicControl*> controls_;
    std::vector<GraphicControl*> canvasesInUse_;
    GraphicControl* captureControl_ = nullptr;  // holds the mouse while a button is down
    GraphicControl* mouseControl_ = nullptr;    // the control the mouse is in
    bool trackingLeave_ = false;
};

}  // namespace fw
