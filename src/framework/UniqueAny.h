// One move-only owner per resource kind. `unique_any<H, Close, Invalid>` closes its handle with `Close`
// when it goes out of scope; owned handles are these types, borrowed ones stay plain handles.
#pragma once

#include <windows.h>

#include <utility>

namespace fw {

template <class H, auto Close, H Invalid = H{}>
class unique_any {
public:
    unique_any() noexcept = default;
    explicit unique_any(H h) noexcept : h_(h) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : h_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Invalid; }

    // For out-parameters: frees what is held and hands out the slot.
    H* put() noexcept {
        reset();
        return &h_;
    }
    void reset(H h = Invalid) noexcept {
        if (h_ != Invalid) Close(h_);
        h_ = h;
    }
    H release() noexcept { return std::exchange(h_, Invalid); }

private:
    H h_ = Invalid;
};

namespace detail {
inline void CloseKey(HKEY h) noexcept {
    ::RegCloseKey(h);
}
inline void CloseHandle(HANDLE h) noexcept {
    ::CloseHandle(h);
}
inline void DeleteGdiObject(HGDIOBJ h) noexcept {
    ::DeleteObject(h);
}
inline void DestroyIconHandle(HICON h) noexcept {
    ::DestroyIcon(h);
}
inline void DestroyMenuHandle(HMENU h) noexcept {
    ::DestroyMenu(h);
}
inline void DestroyWindowHandle(HWND h) noexcept {
    ::DestroyWindow(h);
}
inline void DeleteDc(HDC h) noexcept {
    ::DeleteDC(h);
}
}  // namespace detail

using unique_hkey = unique_any<HKEY, &detail::CloseKey>;
using unique_handle = unique_any<HANDLE, &detail::CloseHandle>;
using unique_hfont = unique_any<HFONT, &detail::DeleteGdiObject>;
using unique_hbitmap = unique_any<HBITMAP, &detail::DeleteGdiObject>;
using unique_hpen = unique_any<HPEN, &detail::DeleteGdiObject>;
using unique_hbrush = unique_any<HBRUSH, &detail::DeleteGdiObject>;
using unique_hicon = unique_any<HICON, &detail::DestroyIconHandle>;
using unique_hmenu = unique_any<HMENU, &detail::DestroyMenuHandle>;
using unique_hwnd = unique_any<HWND, &detail::DestroyWindowHandle>;
using unique_hdc = unique_any<HDC, &detail::DeleteDc>;

}  // namespace fw
