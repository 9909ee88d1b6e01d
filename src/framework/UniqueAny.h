// One move-only owner per resource kind. `unique_any<H, Close, Invalid>` closes its handle with `Close`
// when it goes out of scope; owned handles are these types, borrowed ones stay plain handles.
//
// `Invalid` is the value that means "no handle", given as an integer: INVALID_HANDLE_VALUE is a cast, which a
// template argument cannot be (wil does the same). Most kinds use null; files and change notifications use
// INVALID_HANDLE_VALUE, which is what their creating calls return on failure.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <type_traits>
#include <utility>

namespace fw {

template <class H, auto Close, INT_PTR Invalid = 0>
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
    explicit operator bool() const noexcept { return h_ != InvalidValue(); }

    // For out-parameters: frees what is held and hands out the slot.
    H* put() noexcept {
        reset();
        return &h_;
    }
    void reset(H h = InvalidValue()) noexcept {
        if (h_ != InvalidValue()) Close(h_);
        h_ = h;
    }
    H release() noexcept { return std::exchange(h_, InvalidValue()); }

    static H InvalidValue() noexcept {
        if constexpr (std::is_pointer_v<H>) {
            return reinterpret_cast<H>(Invalid);
        } else {
            return static_cast<H>(Invalid);
        }
    }

private:
    H h_ = InvalidValue();
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
inline void CloseChangeNotification(HANDLE h) noexcept {
    ::FindCloseChangeNotification(h);
}
inline void FinishDrop(HDROP h) noexcept {
    ::DragFinish(h);
}
inline void UnhookEvent(HWINEVENTHOOK h) noexcept {
    ::UnhookWinEvent(h);
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
// CreateFileW and FindFirstChangeNotificationW report failure with INVALID_HANDLE_VALUE, not null.
using unique_hfile = unique_any<HANDLE, &detail::CloseHandle, -1>;
using unique_hchange = unique_any<HANDLE, &detail::CloseChangeNotification, -1>;
using unique_event = unique_any<HANDLE, &detail::CloseHandle>;
using unique_mutex = unique_any<HANDLE, &detail::CloseHandle>;
// The file list of a WM_DROPFILES message; DragFinish frees it. (A data object's CF_HDROP medium goes back
// with ReleaseStgMedium instead.)
using unique_hwineventhook = unique_any<HWINEVENTHOOK, &detail::UnhookEvent>;
using unique_hdrop = unique_any<HDROP, &detail::FinishDrop>;

}  // namespace fw
