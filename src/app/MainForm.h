// The application's main form. It is never shown: its window receives the global hotkey and the query
// that Windows sends before log-off or shutdown. Resident mode registers the hotkey and puts the icon in
// the notification area, and opens the top menu from either; one-shot mode opens the one menu that the
// command line asks for. It owns every menu (through the menu manager) and closes them when the user
// switches to another program, as the settings say.
#pragma once

#include "framework/Form.h"
#include "framework/UniqueAny.h"

class TPopupMenuManager;
class TPopupMenuBase;
class TTaskTray;
class TTopMenuFiler;

namespace fw {
class PopupMenu;
}

class TMainForm : public fw::Form {
public:
    static constexpr int kHotKeyId = 0x2A01;
    static constexpr wchar_t kTip[] = L"Quillbrook";
    static constexpr wchar_t kShowItem[] = L"Quillbrookを表示";
    static constexpr wchar_t kStartAtLogonItem[] = L"Windowsの起動時に実行";
    static constexpr wchar_t kStartAtLogonFailed[] = L"Windowsの起動時に実行する設定を変更できませんでした。";
    static constexpr wchar_t kExitItem[] = L"終了";
    // The help file's context that the top menu's help entry shows.
    static constexpr int kHelpContext = 11;

    explicit TMainForm(fw::Component* owner);  // FormCreate
    ~TMainForm() override;                     // FormDestroy

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The owner of every menu the program opens (and of the windows that left a cascade).
    TPopupMenuManager* MenuManager = nullptr;
    TTaskTray* TaskTray1 = nullptr;
    fw::PopupMenu* TrayPopupMenu = nullptr;

public:
    // A new top menu at the cursor, moved into the work area (the tray icon and its menu's first item).
    void ShowTopMenuAtCursor();

private:
    void FormCreate();
    void RegisterResidentHotKey();
    void AddTrayIcon();
    TTopMenuFiler* NewTopMenu();
    void OpenOneShotMenu();
    void TaskTray1RightMouseDown();
    // The tray menu's tick: adds or removes the program's start at logon, and says so when it cannot.
    void StartAtLogon1Click();
    void FormDestroy();
    LRESULT WMQueryEndSession();
    void WMHotKey(WPARAM id);
    void AppDeactivate();
    // While a window of ours on another thread is in front: whether the user has gone on to another program.
    void FollowForeground();
    void StartFollowingForeground();
    void StopFollowingForeground();
    // The system says another program's window came to the front.
    static void CALLBACK ForegroundChanged(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                           LONG child, DWORD thread, DWORD time) noexcept;

    static constexpr UINT_PTR kForegroundTimer = 1;
    static constexpr UINT kForegroundInterval = 200;
    // Where the system reports it, a change of the foreground window to another program is heard at once;
    // the timer looks for it where the system does not (Wine reports no such event).
    fw::unique_hwineventhook foregroundHook_;
    bool followingForeground_ = false;
    int startAtLogonItem_ = -1;  // its index in TrayPopupMenu
};
