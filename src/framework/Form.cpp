#include "framework/Form.h"

#include "framework/Application.h"
#include "framework/Messages.h"

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
    BeginDestroy();
    DestroyComponents();
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
    try {
        return self->WndProc(msg, wParam, lParam);
    } catch (...) {
        if (Application* app = App()) app->HandleCurrentException();
        return 0;
    }
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
            Resize();
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
    if (!hwnd_) return {};
    const int n = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = ::GetWindowTextW(hwnd_, text.data(), n + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
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

RECT WorkArea() noexcept {
    RECT r{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        r = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return r;
}

}  // namespace fw
