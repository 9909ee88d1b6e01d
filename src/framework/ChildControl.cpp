#include "framework/ChildControl.h"

#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/Module.h"
#include "framework/TextConv.h"

namespace fw {

ChildControl::ChildControl(Component* owner, Form& parent, const wchar_t* systemClass, DWORD style,
                           DWORD exStyle, Color color)
    : Component(owner), WindowHandler(this), parent_(&parent), color_(color) {
    font_.SetDpi(parent.Dpi());
    HWND hwnd = ::CreateWindowExW(exStyle, systemClass, L"", WS_CHILD | style, 0, 0, Scale(75), Scale(21),
                                  parent.Handle(), nullptr, ModuleHandle(), nullptr);
    if (!hwnd) throw Exception(std::wstring(L"Cannot create the control ") + systemClass);
    SubclassBound(hwnd);
    if (!Handle()) {
        ::DestroyWindow(hwnd);
        throw Exception(std::wstring(L"Cannot subclass the control ") + systemClass);
    }
    ApplyFont();
}

ChildControl::~ChildControl() {
    // Unbound before it goes, so that the messages of its destruction (focus loss) raise no events.
    DestroyBoundWindow();
}

void ChildControl::SetBounds(int left, int top, int width, int height) {
    if (Handle()) ::SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {
RECT RectInParent(HWND hwnd) {
    RECT r{};
    if (!hwnd) return r;
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

int ChildControl::Left() const {
    return RectInParent(Handle()).left;
}
int ChildControl::Top() const {
    return RectInParent(Handle()).top;
}
int ChildControl::Width() const {
    const RECT r = RectInParent(Handle());
    return r.right - r.left;
}
int ChildControl::Height() const {
    const RECT r = RectInParent(Handle());
    return r.bottom - r.top;
}

std::wstring ChildControl::Text() const {
    return WindowText(Handle());
}

void ChildControl::SetText(const std::wstring& text) {
    if (Handle()) ::SetWindowTextW(Handle(), text.c_str());
}

void ChildControl::SetFont(const Font& font) {
    font_.Assign(font);
    ApplyFont();
}

void ChildControl::SetDpi(int dpi) {
    const int old = font_.Dpi();
    if (dpi <= 0 || dpi == old) return;
    font_.SetDpi(dpi);
    ApplyFont();
    if (Handle()) {
        ::SetWindowPos(Handle(), nullptr, 0, 0, ::MulDiv(Width(), dpi, old), ::MulDiv(Height(), dpi, old),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void ChildControl::ApplyFont() {
    if (Handle()) ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), TRUE);
}

void ChildControl::SetColor(Color color) {
    if (color == color_) return;
    color_ = color;
    brush_.reset();
    if (Handle()) ::InvalidateRect(Handle(), nullptr, TRUE);
}

bool ChildControl::Visible() const noexcept {
    return Handle() && (::GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void ChildControl::SetVisible(bool visible) {
    if (Handle()) ::ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

bool ChildControl::Enabled() const noexcept {
    return Handle() && ::IsWindowEnabled(Handle());
}

void ChildControl::SetEnabled(bool enabled) {
    if (Handle()) ::EnableWindow(Handle(), enabled ? TRUE : FALSE);
}

void ChildControl::SetFocus() {
    if (Handle()) ::SetFocus(Handle());
}

bool ChildControl::Focused() const noexcept {
    return Handle() && ::GetFocus() == Handle();
}

bool ChildControl::Command(WORD) {
    return false;
}

bool ChildControl::Notification(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg == WM_COMMAND) return Command(HIWORD(wParam));
    if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        // In the parent's colour scheme, which may change while the control shows.
        const ColorMap* map = parent_ ? parent_->GetColorMap() : nullptr;
        const COLORREF back = Resolve(map, color_);
        ::SetTextColor(dc, Resolve(map, font_.GetColor()));
        ::SetBkColor(dc, back);
        if (!brush_ || back != brushShown_) {
            brush_.reset(::CreateSolidBrush(back));
            brushShown_ = back;
        }
        result = reinterpret_cast<LRESULT>(brush_.get());
        return true;
    }
    return false;
}

void ChildControl::WillFreeLater() noexcept {
    Component::WillFreeLater();
    if (Handle()) ::ShowWindow(Handle(), SW_HIDE);
}

void ChildControl::WindowDestroyed() noexcept {
    parent_ = nullptr;
}

void ChildControl::ChangeStyle(bool extended, DWORD remove, DWORD add) {
    HWND h = Handle();
    if (!h) return;
    const int index = extended ? GWL_EXSTYLE : GWL_STYLE;
    const DWORD style = (static_cast<DWORD>(::GetWindowLongPtrW(h, index)) & ~remove) | add;
    ::SetWindowLongPtrW(h, index, static_cast<LONG_PTR>(style));
    ::SetWindowPos(h, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace fw
