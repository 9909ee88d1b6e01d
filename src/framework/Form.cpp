#include "framework/Form.h"

#include "framework/Application.h"
#include "framework/TextConv.h"
#include "framework/ChildControl.h"
#include "framework/GraphicControl.h"
#include "framework/Messages.h"

#include <windowsx.h>

#include <algorithm>

#include <set>
#include <string>
#include <vector>

namespace fw {

namespace {

constexpr DWORD kIconStyles = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

HINSTANCE ModuleHandle() noexcept {
    if (Application* app = App()) return app->ModuleInstance();
    return ::GetModuleHandleW(nullptr);
}

}  // namespace

void Form::RegisterFormClass(const wchar_t* className) {
    static std::set<std::wstring> registered;
    if (registered.count(className)) return;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Form::StaticWndProc;
    wc.hInstance = ModuleHandle();
    wc.hIcon = ::LoadIconW(wc.hInstance, L"MAINICON");
    if (!wc.hIcon) wc.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (::RegisterClassExW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        registered.insert(className);
}

Form::Form(Component* owner, const wchar_t* className) : Component(owner) {
    RegisterFormClass(className);
    HWND ownerWindow = App() ? App()->Handle() : nullptr;
    hwnd_ = ::CreateWindowExW(0, className, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, 0, 200,
                              150, ownerWindow, nullptr, ModuleHandle(), this);
}

Form::~Form() {
    *alive_ = false;
    BeginDestroy();
    DestroyComponents();
    FreeCanvases();
    for (GraphicControl* c : std::vector<GraphicControl*>(controls_)) c->SetParent(nullptr);
    if (Application* app = App()) app->FormDestroyed(this);
    if (hwnd_) {
        HWND h = hwnd_;
        ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        ::DestroyWindow(h);
    }
}

Form* Form::FromHandle(HWND hwnd) noexcept {
    if (!hwnd) return nullptr;
    WNDPROC proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    if (proc != &Form::StaticWndProc) return nullptr;
    return reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK Form::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
        auto* created = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    // The form may be freed inside its own handler (deferred release, or an owner freed from a nested
    // message loop): after the call only the token is looked at.
    std::shared_ptr<bool> alive = self->alive_;
    LRESULT result = 0;
    try {
        result = self->WndProc(msg, wParam, lParam);
    } catch (...) {
        if (Application* app = App()) app->HandleCurrentException();
    }
    if (*alive) self->FreeCanvases();
    return result;
}

LRESULT Form::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT Form::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_KEYDOWN: {
            WORD key = static_cast<WORD>(wParam);
            KeyDown(key, KeyboardShiftState());
            if (key == 0) return 0;
            break;
        }
        case WM_SIZE:
            vertScrollBar_.Update();
            horzScrollBar_.Update();
            Resize();
            break;
        case WM_ERASEBKGND:
            return 1;  // the paint handler fills the background itself, in one go with the controls
        case WM_PAINT:
            PaintControls();
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_MBUTTONUP:
        case WM_MOUSELEAVE:
        case WM_CAPTURECHANGED:
            MouseMessage(msg, wParam, lParam);
            break;
        case WM_VSCROLL:
            vertScrollBar_.Scroll(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_HSCROLL:
            horzScrollBar_.Scroll(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            if (vertScrollBar_.IsShowing()) {
                vertScrollBar_.Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
                return 0;
            }
            break;
        case WM_COMMAND:
            // A control's notification goes back to the control's own object; the form does not know
            // its controls.
            if (lParam != 0) {
                if (ChildControl* control = ChildControl::FromHandle(reinterpret_cast<HWND>(lParam))) {
                    if (control->HandleCommand(HIWORD(wParam))) return 0;
                }
            }
            break;
        case WM_ACTIVATEAPP:
            if (Application* app = App()) app->ActivateAppChanged(wParam != FALSE);
            break;
        case CM_RELEASE:
            delete this;
            return 0;
        default:
            break;
    }
    return DefaultHandler(msg, wParam, lParam);
}

void Form::DoClose(CloseAction& action) {
    if (OnClose) OnClose(*this, action);
}

void Form::KeyDown(WORD& key, ShiftState shift) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
}

void Form::Resize() {
    if (OnResize) OnResize(*this);
}

std::wstring Form::Caption() const {
    return WindowText(hwnd_);
}

void Form::SetCaption(const std::wstring& caption) {
    if (hwnd_) ::SetWindowTextW(hwnd_, caption.c_str());
}

void Form::SetBorderIcons(unsigned icons) {
    borderIcons_ = icons;
    if (!hwnd_) return;
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)) & ~kIconStyles;
    if (icons & biSystemMenu) {
        style |= WS_SYSMENU;
        if (icons & biMinimize) style |= WS_MINIMIZEBOX;
        if (icons & biMaximize) style |= WS_MAXIMIZEBOX;
    }
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(style));
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

RECT Form::WindowRect() const {
    RECT r{};
    if (hwnd_) ::GetWindowRect(hwnd_, &r);
    return r;
}

int Form::Left() const {
    return WindowRect().left;
}
int Form::Top() const {
    return WindowRect().top;
}
int Form::Width() const {
    const RECT r = WindowRect();
    return r.right - r.left;
}
int Form::Height() const {
    const RECT r = WindowRect();
    return r.bottom - r.top;
}

void Form::SetBounds(int left, int top, int width, int height) {
    if (hwnd_) ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
void Form::SetLeft(int left) {
    SetBounds(left, Top(), Width(), Height());
}
void Form::SetTop(int top) {
    SetBounds(Left(), top, Width(), Height());
}
void Form::SetWidth(int width) {
    SetBounds(Left(), Top(), width, Height());
}
void Form::SetHeight(int height) {
    SetBounds(Left(), Top(), Width(), height);
}

int Form::ClientWidth() const {
    RECT r{};
    if (hwnd_) ::GetClientRect(hwnd_, &r);
    return r.right;
}
int Form::ClientHeight() const {
    RECT r{};
    if (hwnd_) ::GetClientRect(hwnd_, &r);
    return r.bottom;
}

// The frame is measured from the live window rather than computed from the style, so that scroll bars
// and menus that are showing are counted.
void Form::SetClientWidth(int width) {
    SetWidth(width + Width() - ClientWidth());
}
void Form::SetClientHeight(int height) {
    SetHeight(height + Height() - ClientHeight());
}

void Form::SetClientSize(int width, int height) {
    if (!hwnd_) return;
    RECT window{};
    RECT client{};
    ::GetWindowRect(hwnd_, &window);
    ::GetClientRect(hwnd_, &client);
    if (client.right == width && client.bottom == height) return;
    const int frameWidth = (window.right - window.left) - client.right;
    const int frameHeight = (window.bottom - window.top) - client.bottom;
    ::SetWindowPos(hwnd_, nullptr, 0, 0, width + frameWidth, height + frameHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form::Visible() const noexcept {
    return hwnd_ && ::IsWindowVisible(hwnd_);
}

void Form::Show() {
    if (!hwnd_) return;
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Form::Hide() {
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}

void Form::Invalidate(const RECT* rect) {
    if (hwnd_) ::InvalidateRect(hwnd_, rect, FALSE);
}

void Form::Close() {
    if (inModalLoop_) {
        // Closing a modal form ends its loop; what happens to the form is the caller's business.
        CloseAction action = CloseAction::Hide;
        DoClose(action);
        if (action != CloseAction::None && modalResult_ == 0) modalResult_ = IDCANCEL;
        return;
    }
    CloseAction action = CloseAction::Hide;
    DoClose(action);
    if (action == CloseAction::None) return;
    Application* app = App();
    if (app && app->MainForm() == this) {
        app->Terminate();
    } else if (action == CloseAction::Hide) {
        Hide();
    } else if (action == CloseAction::Minimize) {
        if (hwnd_) ::ShowWindow(hwnd_, SW_MINIMIZE);
    } else {
        Release();
    }
}

void Form::Release() {
    if (hwnd_) ::PostMessageW(hwnd_, CM_RELEASE, 0, 0);
}

int Form::ShowModal() {
    Application* app = App();
    // Disable every other enabled, visible window of this thread, and enable them again afterwards.
    std::vector<HWND> disabled;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            auto* list = reinterpret_cast<std::vector<HWND>*>(p);
            if (::IsWindowVisible(w) && ::IsWindowEnabled(w)) list->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&disabled));
    for (HWND w : disabled) ::EnableWindow(w, FALSE);
    modalResult_ = 0;
    inModalLoop_ = true;
    Show();
    HWND self = hwnd_;
    // The form may be freed inside the loop (its owner went away): test the window before the members.
    while (::IsWindow(self) && modalResult_ == 0 && !(app && app->Terminated())) {
        MSG msg;
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    for (HWND w : disabled) {
        if (::IsWindow(w)) ::EnableWindow(w, TRUE);
    }
    if (!::IsWindow(self)) return IDCANCEL;
    inModalLoop_ = false;
    Hide();
    return modalResult_;
}

void Form::SetColor(Color color) {
    color_ = color;
    Invalidate();
}

void Form::InsertControl(GraphicControl* control) {
    controls_.push_back(control);
    Invalidate();
}

void Form::RemoveControl(GraphicControl* control) noexcept {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    canvasesInUse_.erase(std::remove(canvasesInUse_.begin(), canvasesInUse_.end(), control),
                         canvasesInUse_.end());
    if (captureControl_ == control) captureControl_ = nullptr;
    if (mouseControl_ == control) mouseControl_ = nullptr;
    if (hwnd_) ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void Form::NoteCanvasInUse(GraphicControl* control) {
    if (std::find(canvasesInUse_.begin(), canvasesInUse_.end(), control) == canvasesInUse_.end()) {
        canvasesInUse_.push_back(control);
    }
}

void Form::FreeCanvases() noexcept {
    while (!canvasesInUse_.empty()) {
        GraphicControl* c = canvasesInUse_.back();
        canvasesInUse_.pop_back();
        c->ReleaseCanvas();
    }
}

GraphicControl* Form::ControlAt(POINT p) const noexcept {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        GraphicControl* c = *it;
        if (c->Visible() && p.x >= c->Left() && p.x < c->Left() + c->Width() && p.y >= c->Top() &&
            p.y < c->Top() + c->Height()) {
            return c;
        }
    }
    return nullptr;
}

// Painting goes through an off-screen bitmap the size of the invalid rectangle: the background and the
// controls land on the screen in one copy, so nothing flickers, and only what was invalid is drawn.
void Form::PaintControls() {
    FreeCanvases();
    PAINTSTRUCT ps;
    HDC screen = ::BeginPaint(hwnd_, &ps);
    if (!screen) return;
    const RECT area = ps.rcPaint;
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    if (w > 0 && h > 0) {
        unique_hdc memory(::CreateCompatibleDC(screen));
        unique_hbitmap buffer(::CreateCompatibleBitmap(screen, w, h));
        if (memory && buffer) {
            HGDIOBJ old = ::SelectObject(memory.get(), buffer.get());
            unique_hbrush background(::CreateSolidBrush(ColorToRGB(color_)));
            RECT all{0, 0, w, h};
            ::FillRect(memory.get(), &all, background.get());
            for (GraphicControl* c : std::vector<GraphicControl*>(controls_)) {
                if (!c->Visible()) continue;
                RECT bounds = c->BoundsRect();
                RECT clip;
                if (!::IntersectRect(&clip, &bounds, &area)) continue;
                ::SetViewportOrgEx(memory.get(), c->Left() - area.left, c->Top() - area.top, nullptr);
                ::OffsetRect(&clip, -c->Left(), -c->Top());
                const int saved = ::SaveDC(memory.get());
                ::IntersectClipRect(memory.get(), clip.left, clip.top, clip.right, clip.bottom);
                Canvas& canvas = c->GetCanvas();
                canvas.SetHandle(memory.get());
                c->Paint(clip);
                canvas.SetHandle(nullptr);
                ::RestoreDC(memory.get(), saved);
            }
            ::SetViewportOrgEx(memory.get(), 0, 0, nullptr);
            ::BitBlt(screen, area.left, area.top, w, h, memory.get(), 0, 0, SRCCOPY);
            ::SelectObject(memory.get(), old);
        }
    }
    ::EndPaint(hwnd_, &ps);
}

void Form::ScrollControls(int dx, int dy) {
    FreeCanvases();
    for (GraphicControl* c : controls_) {
        c->left_ += dx;
        c->top_ += dy;
        c->ReleaseCanvas();
    }
    if (hwnd_) {
        ::ScrollWindowEx(hwnd_, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
        ::UpdateWindow(hwnd_);
    }
}

void Form::SetMouseControl(GraphicControl* control) {
    if (control == mouseControl_) return;
    GraphicControl* old = mouseControl_;
    mouseControl_ = control;
    if (old) old->CMMouseLeave();
    if (control && control == mouseControl_) control->CMMouseEnter();
}

void Form::MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const ShiftState shift = MouseShiftState(wParam);
    std::shared_ptr<bool> alive = alive_;
    auto button = [msg] {
        switch (msg) {
            case WM_RBUTTONDOWN:
            case WM_RBUTTONDBLCLK:
            case WM_RBUTTONUP:
                return MouseButton::Right;
            case WM_MBUTTONDOWN:
            case WM_MBUTTONDBLCLK:
            case WM_MBUTTONUP:
                return MouseButton::Middle;
            default:
                return MouseButton::Left;
        }
    };
    switch (msg) {
        case WM_MOUSEMOVE: {
            if (!trackingLeave_) {
                TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
                trackingLeave_ = ::TrackMouseEvent(&tme) != FALSE;
            }
            SetMouseControl(ControlAt(p));
            if (!*alive) return;
            GraphicControl* target = captureControl_ ? captureControl_ : mouseControl_;
            if (target) target->MouseMove(shift, p.x - target->Left(), p.y - target->Top());
            return;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: {
            GraphicControl* target = ControlAt(p);
            if (!target) return;
            captureControl_ = target;
            ::SetCapture(hwnd_);
            ShiftState s = shift;
            if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK) s |= ssDouble;
            target->MouseDown(button(), s, p.x - target->Left(), p.y - target->Top());
            return;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            GraphicControl* pressed = captureControl_;
            GraphicControl* target = pressed ? pressed : ControlAt(p);
            const bool buttonsDown = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
            if (!buttonsDown) {
                captureControl_ = nullptr;
                if (::GetCapture() == hwnd_) ::ReleaseCapture();
            }
            if (!*alive) return;
            if (!target) return;
            target->MouseUp(button(), shift, p.x - target->Left(), p.y - target->Top());
            if (!*alive) return;
            if (msg == WM_LBUTTONUP && pressed == target && ControlAt(p) == target) target->Click();
            if (!*alive) return;
            // A release outside the window ends the captured stay in it.
            RECT client;
            ::GetClientRect(hwnd_, &client);
            if (!buttonsDown && !::PtInRect(&client, p)) SetMouseControl(nullptr);
            return;
        }
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            if (!captureControl_) SetMouseControl(nullptr);
            return;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd_) captureControl_ = nullptr;
            return;
        default:
            return;
    }
}

void FormScrollBar::SetRange(int range) {
    range_ = range < 0 ? 0 : range;
    Update();
}

void FormScrollBar::SetVisible(bool visible) {
    visible_ = visible;
    Update();
}

int FormScrollBar::ClientExtent() const {
    return bar_ == SB_VERT ? form_.ClientHeight() : form_.ClientWidth();
}

void FormScrollBar::SetPosition(int position) {
    const int limit = std::max(0, range_ - ClientExtent());
    position = std::clamp(position, 0, limit);
    if (!showing_) position = 0;
    if (position == position_) return;
    const int delta = position_ - position;
    position_ = position;
    if (HWND h = form_.Handle()) {
        SCROLLINFO si{sizeof(si), SIF_POS};
        si.nPos = position_;
        ::SetScrollInfo(h, bar_, &si, TRUE);
    }
    if (bar_ == SB_VERT) {
        form_.ScrollControls(0, delta);
    } else {
        form_.ScrollControls(delta, 0);
    }
}

void FormScrollBar::Update() {
    HWND h = form_.Handle();
    if (!h || updating_) return;
    updating_ = true;
    const bool show = visible_ && range_ > ClientExtent();
    if (show != showing_) {
        showing_ = show;
        ::ShowScrollBar(h, bar_, show ? TRUE : FALSE);
    }
    if (show) {
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS};
        si.nMin = 0;
        si.nMax = range_ - 1;
        si.nPage = static_cast<UINT>(std::max(0, ClientExtent()));
        si.nPos = position_;
        ::SetScrollInfo(h, bar_, &si, TRUE);
    }
    updating_ = false;
    // Keeps the position inside the new range (and back at 0 when the bar went away).
    SetPosition(position_);
}

void FormScrollBar::Scroll(WORD code, int trackPosition) {
    const int page = std::max(1, ClientExtent());
    switch (code) {
        case SB_LINEUP:
            SetPosition(position_ - increment_);
            break;
        case SB_LINEDOWN:
            SetPosition(position_ + increment_);
            break;
        case SB_PAGEUP:
            SetPosition(position_ - page);
            break;
        case SB_PAGEDOWN:
            SetPosition(position_ + page);
            break;
        case SB_TOP:
            SetPosition(0);
            break;
        case SB_BOTTOM:
            SetPosition(range_);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            if (code == SB_THUMBTRACK && !tracking_) break;
            // The 16-bit position of the message is not enough for long content: ask for the 32-bit one.
            SCROLLINFO si{sizeof(si), SIF_TRACKPOS};
            if (form_.Handle() && ::GetScrollInfo(form_.Handle(), bar_, &si)) trackPosition = si.nTrackPos;
            SetPosition(trackPosition);
            break;
        }
        default:
            break;
    }
}

void FormScrollBar::Wheel(int delta) {
    // Three lines of a menu entry's height per notch, the usual wheel step.
    SetPosition(position_ - delta * 3 * 16 / WHEEL_DELTA);
}

RECT WorkArea() noexcept {
    RECT r{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        r = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return r;
}

}  // namespace fw
