#include "framework/Form.h"

#include "framework/Application.h"
#include "framework/ChildControl.h"
#include "framework/GdiScope.h"
#include "framework/GraphicControl.h"
#include "framework/Messages.h"
#include "framework/Module.h"
#include "framework/TextConv.h"

#include <exception>
#include <vector>

namespace fw {

namespace {

constexpr DWORD kIconStyles = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

void RegisterFormClass(const wchar_t* className) {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.hInstance = ModuleHandle();
    wc.hIcon = ::LoadIconW(wc.hInstance, L"MAINICON");
    if (!wc.hIcon) wc.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    WindowHandler::RegisterWindowClass(wc);
}

}  // namespace

Form::Form(Component* owner, const FormParams& params) : Component(owner), WindowHandler(this) {
    const wchar_t* className = params.className ? params.className : L"TForm";
    RegisterFormClass(className);
    HWND ownerWindow = App() ? App()->Handle() : nullptr;
    CreateBoundWindow(params.exStyle, className, L"", params.style & ~WS_VISIBLE, CW_USEDEFAULT, 0, 200, 150,
                      ownerWindow);
    dpi_ = DpiOfWindow(Handle());
    if (!(params.style & WS_SYSMENU)) borderIcons_ = 0;
}

Form::~Form() {
    BeginDestroy();
    DestroyComponents();
    controls_.RemoveAll();
    if (Application* app = App()) app->FormDestroyed(this);
    DestroyBoundWindow();
    icon_.reset();
}

Form* Form::FromHandle(HWND hwnd) noexcept {
    return dynamic_cast<Form*>(WindowHandler::FromHandle(hwnd));
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
            return 1;  // the paint handler paints the background itself, in one go with the controls
        case WM_PAINT:
            Paint();
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
            controls_.MouseMessage(msg, wParam, lParam);
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
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR: {
            // A notification about a child control goes back to the control's own object.
            LRESULT result = 0;
            if (WindowHandler::ReflectToControl(msg, wParam, lParam, result)) return result;
            break;
        }
        case WM_ACTIVATE:
            Activated(LOWORD(wParam) != WA_INACTIVE);
            break;
        case WM_SHOWWINDOW:
            if (wParam) {
                Showing();
            } else {
                controls_.MouseGone();
            }
            break;
        case WM_ACTIVATEAPP:
            if (Application* app = App()) app->ActivateAppChanged(wParam != FALSE);
            break;
        case WM_DPICHANGED:
            // Both halves carry the same DPI; the rectangle is where the window should now be.
            WMDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case CM_RELEASE:
            // The window procedure holds this form: it goes when the outermost handler returns.
            Free();
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

void Form::Activated(bool active) {
    if (active) {
        if (OnActivate) OnActivate(*this);
    } else {
        if (OnDeactivate) OnDeactivate(*this);
    }
}

void Form::Showing() {
    if (OnShow) OnShow(*this);
}

void Form::DpiChanged(int, int) {}

void Form::WMDpiChanged(int dpi, const RECT* suggested) {
    if (dpi <= 0) return;
    const int old = dpi_;
    dpi_ = dpi;
    // Window contexts the controls' canvases still hold were taken with fonts for the old DPI.
    controls_.ReleaseCanvases();
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (auto* control = dynamic_cast<ChildControl*>(WindowHandler::FromHandle(child)))
            control->SetDpi(dpi);
    }
    if (suggested) {
        ::SetWindowPos(Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (old != dpi) DpiChanged(old, dpi);
    Invalidate();
}

void Form::WillFreeLater() noexcept {
    Component::WillFreeLater();
    // Out of sight and out of the way at once; the object waits for the handler that still runs.
    if (Handle()) {
        if (::GetCapture() == Handle()) ::ReleaseCapture();
        ::ShowWindow(Handle(), SW_HIDE);
    }
    if (inModalLoop_ && modalResult_ == 0) modalResult_ = IDCANCEL;
}

std::wstring Form::Caption() const {
    return WindowText(Handle());
}

void Form::SetCaption(const std::wstring& caption) {
    if (Handle()) ::SetWindowTextW(Handle(), caption.c_str());
}

void Form::SetBorderIcons(unsigned icons) {
    borderIcons_ = icons;
    if (!Handle()) return;
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(Handle(), GWL_STYLE)) & ~kIconStyles;
    if (icons & biSystemMenu) {
        style |= WS_SYSMENU;
        if (icons & biMinimize) style |= WS_MINIMIZEBOX;
        if (icons & biMaximize) style |= WS_MAXIMIZEBOX;
    }
    ::SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>(style));
    ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Form::SetIcon(unique_hicon icon) {
    // The window lets go of the old icon before it is destroyed.
    if (Handle()) {
        ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon.get()));
        ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
    }
    icon_ = std::move(icon);
}

RECT Form::WindowRect() const {
    RECT r{};
    if (Handle()) ::GetWindowRect(Handle(), &r);
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
    if (Handle()) ::SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (Handle()) ::GetClientRect(Handle(), &r);
    return r.right;
}
int Form::ClientHeight() const {
    RECT r{};
    if (Handle()) ::GetClientRect(Handle(), &r);
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
    if (!Handle()) return;
    RECT window{};
    RECT client{};
    ::GetWindowRect(Handle(), &window);
    ::GetClientRect(Handle(), &client);
    if (client.right == width && client.bottom == height) return;
    const int frameWidth = (window.right - window.left) - client.right;
    const int frameHeight = (window.bottom - window.top) - client.bottom;
    ::SetWindowPos(Handle(), nullptr, 0, 0, width + frameWidth, height + frameHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form::Visible() const noexcept {
    return Handle() && ::IsWindowVisible(Handle());
}

void Form::Show() {
    if (!Handle() || Marked()) return;
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Form::Hide() {
    if (Handle()) ::ShowWindow(Handle(), SW_HIDE);
}

void Form::SetFocus() {
    if (!Handle() || Marked()) return;
    if (::GetForegroundWindow() != Handle()) ::SetForegroundWindow(Handle());
    ::SetFocus(Handle());
}

bool Form::Focused() const noexcept {
    return Handle() && ::GetFocus() == Handle();
}

void Form::Invalidate(const RECT* rect) {
    if (Handle()) ::InvalidateRect(Handle(), rect, FALSE);
}

void Form::Close() {
    // DoClose may free the form: it goes when this call is done with it.
    HandlerScope scope(this);
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
        if (Handle()) ::ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Free();
    }
}

void Form::PostClose() {
    if (Handle()) ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void Form::DropQueuedMessages(UINT msg) noexcept {
    if (!Handle()) return;
    MSG queued;
    while (::PeekMessageW(&queued, Handle(), msg, msg, PM_REMOVE | PM_NOYIELD)) {
    }
}

bool Form::RegisterHotKey(int id, UINT modifiers, UINT key) {
    return Handle() && ::RegisterHotKey(Handle(), id, modifiers, key);
}

void Form::UnregisterHotKey(int id) {
    if (Handle()) ::UnregisterHotKey(Handle(), id);
}

void Form::Release() {
    if (Handle()) ::PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

int Form::ShowModal() {
    // The loop below is one of this form's handlers: whatever frees the form meanwhile only marks it.
    HandlerScope scope(this);
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
    while (Handle() && !Marked() && modalResult_ == 0 && !(app && app->Terminated())) {
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
    inModalLoop_ = false;
    if (Marked() || !Handle()) return IDCANCEL;
    Hide();
    return modalResult_;
}

void Form::SetColor(Color color) {
    color_ = color;
    Invalidate();
}

void Form::SetColorMap(const ColorMap* map) {
    colorMap_ = map;
    Invalidate();
}

void Form::PaintBackground(HDC dc, const RECT& area) {
    unique_hbrush background(::CreateSolidBrush(Resolve(colorMap_, color_)));
    ::FillRect(dc, &area, background.get());
}

// Painting goes through an off-screen bitmap the size of the invalid rectangle: the background and the
// controls land on the screen in one copy, so nothing flickers, and only what was invalid is drawn.
void Form::Paint() {
    controls_.ReleaseCanvases();
    PaintScope paint(Handle());
    if (!paint.Dc()) return;
    const RECT area = paint.Area();
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return;
    unique_hdc memory(::CreateCompatibleDC(paint.Dc()));
    unique_hbitmap buffer(::CreateCompatibleBitmap(paint.Dc(), w, h));
    if (!memory || !buffer) return;
    ScopedSelect selected(memory.get(), buffer.get());
    // Everything below draws in client coordinates.
    ::SetViewportOrgEx(memory.get(), -area.left, -area.top, nullptr);
    PaintBackground(memory.get(), area);
    // A control that fails to paint leaves a gap, not a window left unpainted: the copy happens first.
    std::exception_ptr failure;
    try {
        controls_.Paint(memory.get(), area);
    } catch (...) {
        failure = std::current_exception();
    }
    ::SetViewportOrgEx(memory.get(), 0, 0, nullptr);
    ::BitBlt(paint.Dc(), area.left, area.top, w, h, memory.get(), 0, 0, SRCCOPY);
    if (failure) std::rethrow_exception(failure);
}

void Form::ScrollContent(int dx, int dy) {
    controls_.MoveAll(dx, dy);
    HWND h = Handle();
    if (!h) return;
    // The client area's pixels move; only the strip that scrolled in is painted again, so scrolling a
    // long menu costs what the strip shows.
    ::ScrollWindowEx(h, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    // Child windows are moved here rather than by SW_SCROLLCHILDREN, which leaves them where they are
    // while the form is hidden (a form may be scrolled before it is first shown) and would put them out
    // of step with the windowless controls. Where each was and is now is painted again.
    for (HWND child = ::GetWindow(h, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT before{};
        ::GetWindowRect(child, &before);
        ::MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&before), 2);
        RECT after = before;
        ::OffsetRect(&after, dx, dy);
        ::SetWindowPos(child, nullptr, after.left, after.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        RECT both{};
        ::UnionRect(&both, &before, &after);
        ::RedrawWindow(h, &both, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    ::UpdateWindow(h);
}

}  // namespace fw
