#include "framework/Edit.h"

#include "framework/Application.h"
#include "framework/TextConv.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/UniqueAny.h"

#include <commctrl.h>

namespace fw {

namespace {

constexpr UINT_PTR kSubclassId = 1;

HINSTANCE ModuleHandle() noexcept {
    if (Application* app = App()) return app->ModuleInstance();
    return ::GetModuleHandleW(nullptr);
}

}  // namespace

Edit::Edit(Component* owner, Form& parent) : Component(owner) {
    unique_hwnd window(::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, 0, 0,
                                         120, 21, parent.Handle(), nullptr, ModuleHandle(), nullptr));
    if (!window) throw Exception(L"Cannot create the edit control");
    if (!::SetWindowSubclass(window.get(), &Edit::SubclassProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this))) {
        throw Exception(L"Cannot subclass the edit control");
    }
    hwnd_ = window.release();
    Attach(hwnd_);
    SetFont(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
}

Edit::~Edit() {
    *alive_ = false;
    if (hwnd_) {
        HWND h = hwnd_;
        hwnd_ = nullptr;
        // Unhooked first, so that the messages of the destruction (focus loss) raise no events.
        ::RemoveWindowSubclass(h, &Edit::SubclassProc, kSubclassId);
        Detach(h);
        ::DestroyWindow(h);
    }
}

void Edit::SetBounds(int left, int top, int width, int height) {
    if (hwnd_) ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring Edit::Text() const {
    return WindowText(hwnd_);
}

void Edit::SetText(const std::wstring& text) {
    if (hwnd_) ::SetWindowTextW(hwnd_, text.c_str());
}

void Edit::SetFont(HFONT font) {
    if (hwnd_) ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Edit::SetFocus() {
    if (hwnd_) ::SetFocus(hwnd_);
}

void Edit::SelectAll() {
    if (hwnd_) ::SendMessageW(hwnd_, EM_SETSEL, 0, -1);
}

bool Edit::Visible() const noexcept {
    return hwnd_ && (::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Edit::SetVisible(bool visible) {
    if (hwnd_) ::ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

bool Edit::HandleCommand(WORD notifyCode) {
    if (notifyCode != EN_CHANGE) return false;
    if (OnChange) OnChange(*this);
    return true;
}

LRESULT CALLBACK Edit::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR refData) noexcept {
    auto* self = reinterpret_cast<Edit*>(refData);
    if (msg == WM_NCDESTROY) {
        // The parent went first and took the control with it; the object lives on without a window.
        ::RemoveWindowSubclass(hwnd, &Edit::SubclassProc, kSubclassId);
        Detach(hwnd);
        self->hwnd_ = nullptr;
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    try {
        return self->ControlProc(hwnd, msg, wParam, lParam);
    } catch (...) {
        if (Application* app = App()) app->HandleCurrentException();
        return 0;
    }
}

// After an event handler has run, `this` may be gone: only `hwnd` and locals are used then.
LRESULT Edit::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_GETDLGCODE:
            // Enter, Escape and Tab belong to the control even inside a dialog.
            return ::DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            swallowChar_ = false;
            WORD key = LOWORD(wParam);
            if (OnKeyDown) {
                const std::shared_ptr<bool> alive = alive_;
                OnKeyDown(*this, key, KeyboardShiftState());
                if (!*alive) return 0;
            }
            if (key == 0) {
                // The character that TranslateMessage already queued for the key goes too; a
                // single-line edit would only beep at Enter and Escape.
                swallowChar_ = true;
                return 0;
            }
            return ::DefSubclassProc(hwnd, msg, key, lParam);
        }
        case WM_CHAR:
        case WM_SYSCHAR:
            if (swallowChar_) {
                swallowChar_ = false;
                return 0;
            }
            break;
        case WM_KILLFOCUS: {
            const LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
            if (OnExit) OnExit(*this);
            return result;
        }
        default:
            break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace fw
