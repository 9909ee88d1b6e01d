#include "support/Later.h"

#include <windows.h>

#include <memory>

namespace qbtest {

namespace {

constexpr UINT kRunAction = WM_APP + 0x51;

LRESULT CALLBACK LaterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kRunAction) {
        std::unique_ptr<std::function<void()>> action(reinterpret_cast<std::function<void()>*>(lParam));
        if (*action) (*action)();
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND LaterWindow() {
    static HWND window = [] {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = &LaterProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QbTestLater";
        ::RegisterClassExW(&wc);
        return ::CreateWindowExW(0, L"QbTestLater", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    }();
    return window;
}

}  // namespace

void Later(std::function<void()> action) {
    auto* posted = new std::function<void()>(std::move(action));
    if (!::PostMessageW(LaterWindow(), kRunAction, 0, reinterpret_cast<LPARAM>(posted))) delete posted;
}

}  // namespace qbtest
