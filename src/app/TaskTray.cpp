#include "app/TaskTray.h"

#include <shellapi.h>

#include <algorithm>

std::wstring TrayTip(const std::wstring& tip) {
    std::size_t length = std::min(tip.size(), TTaskTray::kTipLength);
    if (length < tip.size() && length > 0 && IS_HIGH_SURROGATE(tip[length - 1])) --length;
    return tip.substr(0, length);
}

TTaskTray::TTaskTray(fw::Component* owner)
    : fw::Component(owner), taskbarCreated_(::RegisterWindowMessageW(L"TaskbarCreated")) {}

TTaskTray::~TTaskTray() {
    RemoveIcon();
}

NOTIFYICONDATAW TTaskTray::IconData() const {
    NOTIFYICONDATAW data{};
    // The first form of the record: every version of the shell takes it.
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = WindowHandle();
    data.uID = ID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    const std::wstring shown = TrayTip(tip_);
    std::copy(shown.begin(), shown.end(), data.szTip);
    data.szTip[shown.size()] = L'\0';
    return data;
}

bool TTaskTray::AddIcon() {
    if (!window_) {
        window_ = std::make_unique<fw::UtilityWindow>(
            [this](UINT msg, WPARAM wParam, LPARAM lParam) { return WndProc(msg, wParam, lParam); }, this);
    }
    // Wanted from now on, even when the task bar is not there yet (a start at logon): it comes with
    // "TaskbarCreated".
    wanted_ = true;
    return PutIcon();
}

bool TTaskTray::PutIcon() {
    if (!WindowHandle() || !icon_) return false;
    if (tip_.empty()) return false;  // never an icon without a tip
    NOTIFYICONDATAW data = IconData();
    // An add is refused for an icon the tray still holds; that one is ours, and is kept up to date.
    added_ = ::Shell_NotifyIconW(NIM_ADD, &data) || ::Shell_NotifyIconW(NIM_MODIFY, &data);
    return added_;
}

bool TTaskTray::RefreshIcon() {
    if (!added_ || !WindowHandle() || !icon_ || tip_.empty()) return false;
    NOTIFYICONDATAW data = IconData();
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool TTaskTray::RemoveIcon() {
    wanted_ = false;
    if (!added_) return false;
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = WindowHandle();
    data.uID = ID;
    if (!::Shell_NotifyIconW(NIM_DELETE, &data)) return false;
    added_ = false;
    window_.reset();
    return true;
}

void TTaskTray::SetIcon(HICON icon) {
    icon_ = icon;
    RefreshIcon();
}

void TTaskTray::SetTip(const std::wstring& tip) {
    tip_ = tip;
    RefreshIcon();
}

std::optional<LRESULT> TTaskTray::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kCallbackMessage) {
        TrayNotify(wParam, lParam);
    } else if (msg == taskbarCreated_ && wanted_) {
        // A task bar came (the shell started again with an empty tray, or for the first time after us).
        PutIcon();
    }
    return std::nullopt;  // everything also reaches the default handling
}

void TTaskTray::TrayNotify(WPARAM wParam, LPARAM lParam) {
    if (wParam != ID) return;
    const Event* event = nullptr;
    switch (lParam) {
        case WM_MOUSEMOVE:
            event = &OnMouseMove;
            break;
        case WM_LBUTTONDOWN:
            event = &OnLeftMouseDown;
            break;
        case WM_LBUTTONUP:
            event = &OnLeftMouseUp;
            break;
        case WM_LBUTTONDBLCLK:
            event = &OnLeftDblClick;
            break;
        case WM_RBUTTONDOWN:
            event = &OnRightMouseDown;
            break;
        case WM_RBUTTONUP:
            event = &OnRightMouseUp;
            break;
        case WM_RBUTTONDBLCLK:
            event = &OnRightDblClick;
            break;
        default:
            return;
    }
    if (*event) (*event)(*this);
}
