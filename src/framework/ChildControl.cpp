#include "framework/ChildControl.h"

namespace fw {

namespace {
// A window property rather than GWLP_USERDATA: that slot belongs to whoever creates the window, and
// controls of other classes may already use it.
constexpr wchar_t kChildControlProperty[] = L"Quillbrook.ChildControl";
}  // namespace

ChildControl* ChildControl::FromHandle(HWND hwnd) noexcept {
    if (!hwnd) return nullptr;
    return static_cast<ChildControl*>(::GetPropW(hwnd, kChildControlProperty));
}

void ChildControl::Attach(HWND hwnd) noexcept {
    ::SetPropW(hwnd, kChildControlProperty, static_cast<HANDLE>(this));
}

void ChildControl::Detach(HWND hwnd) noexcept {
    ::RemovePropW(hwnd, kChildControlProperty);
}

}  // namespace fw
