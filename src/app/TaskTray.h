// The icon in the notification area of the task bar. It keeps the icon's tool tip and turns the mouse
// messages that the shell sends for the icon into events (the position is not passed: handlers ask for
// the cursor). A hidden message window, made by the first AddIcon, receives those messages. From the
// first AddIcon to RemoveIcon the icon is wanted: whenever a task bar is made (the shell restarted, or
// it came up after the program at logon) the icon is put in again, so a resident program stays
// reachable from the tray.
#pragma once

#include "framework/Component.h"
#include "framework/UtilityWindow.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

// The part of a tip that the tray shows: at most 63 characters, never half of a surrogate pair.
std::wstring TrayTip(const std::wstring& tip);

class TTaskTray : public fw::Component {
public:
    // The message the shell sends for the icon (the same number as the folder refresh, on its own window).
    static constexpr UINT kCallbackMessage = WM_USER + 100;
    // The most of the tip the tray shows.
    static constexpr std::size_t kTipLength = 63;

    explicit TTaskTray(fw::Component* owner);
    ~TTaskTray() override;

    // Puts the icon into the tray; false when there is no icon or no tip, or the shell refuses.
    bool AddIcon();
    // Sends the icon and tip again while the icon is in the tray.
    bool RefreshIcon();
    // Takes the icon out of the tray and destroys the message window.
    bool RemoveIcon();

    // The icon is borrowed: the caller keeps it alive while it is shown.
    void SetIcon(HICON icon);
    HICON IconHandle() const noexcept { return icon_; }
    void SetTip(const std::wstring& tip);
    const std::wstring& Tip() const noexcept { return tip_; }
    HWND WindowHandle() const noexcept { return window_ ? window_->Handle() : nullptr; }
    bool Added() const noexcept { return added_; }

    UINT ID = 0;

    using Event = std::function<void(TTaskTray& sender)>;
    Event OnLeftDblClick;
    Event OnLeftMouseDown;
    Event OnLeftMouseUp;
    Event OnRightDblClick;
    Event OnRightMouseDown;
    Event OnRightMouseUp;
    Event OnMouseMove;

private:
    std::optional<LRESULT> WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    void TrayNotify(WPARAM wParam, LPARAM lParam);
    NOTIFYICONDATAW IconData() const;
    bool PutIcon();

    std::unique_ptr<fw::UtilityWindow> window_;
    HICON icon_ = nullptr;
    std::wstring tip_;
    bool added_ = false;
    bool wanted_ = false;
    UINT taskbarCreated_;
};
