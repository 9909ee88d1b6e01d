#include "app/MainForm.h"

#include "app/CommandLineParser.h"
#include "app/QuillbrookMain.h"
#include "app/StartAtLogon.h"
#include "app/TaskTray.h"
#include "dialogs/CopyrightForm.h"
#include "dialogs/SettingsMenu.h"
#include "filers/RootMenuFiler.h"
#include "filers/SubFolderFiler.h"
#include "filers/TopMenuFiler.h"
#include "framework/Application.h"
#include "framework/Module.h"
#include "framework/PopupMenu.h"
#include "popup/ColorScheme.h"
#include "framework/Screen.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonBase.h"
#include "settings/DataConserver.h"
#include "shell/IdList.h"
#include "shell/ShellFolder.h"

namespace {

// Whether the window in front belongs to this process: a properties sheet or a compressed-folder
// progress window that the shell runs on a thread of ours is still the program, not another program.
bool ForegroundIsOurs() noexcept {
    HWND front = ::GetForegroundWindow();
    DWORD process = 0;
    if (front) ::GetWindowThreadProcessId(front, &process);
    return front && process == ::GetCurrentProcessId();
}

// Whether a path names something the shell opens as a folder: a file or a device has nothing to list.
bool NamesAFolder(const std::wstring& path) {
    const unique_absolute_idlist absolute = ParseDisplayPath(path);
    if (!absolute) return false;
    const unique_child_idlist last = LastItemOf(absolute.get());
    const unique_absolute_idlist parent = ParentIdList(absolute.get());
    if (!last || !parent) return false;
    const TShellFolder folder(parent.get());
    SFGAOF attributes = SFGAO_FOLDER;
    PCUITEMID_CHILD item = last.get();
    return folder && SUCCEEDED(folder->GetAttributesOf(1, &item, &attributes)) && (attributes & SFGAO_FOLDER);
}

// One edge of a window placed at `at` (wide enough for a cursor less any stored offset) and moved into
// [low, high]; a window larger than that keeps its low edge on screen.
LONG KeepInside(long long at, int size, LONG low, LONG high) noexcept {
    if (at + size > high) at = static_cast<long long>(high) - size;
    if (at < low) at = low;
    return static_cast<LONG>(at);
}

// Places a top menu with its corner at a point, or as near to it as the work area of the monitor under
// the cursor allows.
void PlaceInWorkArea(TPopupMenuBase* menu, long long x, long long y, POINT cursor) {
    const RECT work = fw::MonitorAt(cursor).work;
    menu->SetLeft(KeepInside(x, menu->Width(), work.left, work.right));
    menu->SetTop(KeepInside(y, menu->Height(), work.top, work.bottom));
    // A menu wider than that monitor (a desktop folder with a very long name) is cut to its width.
    ClampToWorkArea(menu);
}

}  // namespace

TMainForm::TMainForm(fw::Component* owner) : fw::Form(owner, fw::FormParams{L"TMainForm"}) {
    SetCaption(L"MainForm");
    TColorScheme::Menus();  // read now: the tray menu follows the dark theme before any menu opens
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::FormCreate() {
    MenuManager = new TPopupMenuManager(this);
    if (fw::Application* app = fw::App()) app->OnDeactivate = [this] { AppDeactivate(); };

    if (!CommandLineParser || !CommandLineParser->HasOption()) {
        RegisterResidentHotKey();
        AddTrayIcon();
        return;
    }

    OpenOneShotMenu();
}

void TMainForm::RegisterResidentHotKey() {
    if (!DataConserver) return;
    // The configured hotkey, or Ctrl+E when another program holds it (then Ctrl+E is also what gets
    // stored). A stored pair that is no usable hotkey (a bare key would be taken from every program) is
    // treated as refused. A second refusal leaves the program without a hotkey, silently.
    const int key = DataConserver->ActiveHotKey1;
    const int modifiers = DataConserver->ActiveHotKey2;
    if (!IsUsableHotKey(key, modifiers) ||
        !RegisterHotKey(kHotKeyId, static_cast<UINT>(modifiers), static_cast<UINT>(key))) {
        DataConserver->ResetHotKey();
        RegisterHotKey(kHotKeyId, MOD_CONTROL, 69);
    }
}

void TMainForm::AddTrayIcon() {
    TaskTray1 = new TTaskTray(this);
    TaskTray1->SetTip(kTip);
    TaskTray1->OnLeftMouseDown = [this](TTaskTray&) { ShowTopMenuAtCursor(); };
    TaskTray1->OnRightMouseDown = [this](TTaskTray&) { TaskTray1RightMouseDown(); };
    TrayPopupMenu = new fw::PopupMenu(this);
    TrayPopupMenu->AddItem(kShowItem, [this](fw::PopupMenu&) { ShowTopMenuAtCursor(); });
    startAtLogonItem_ =
        TrayPopupMenu->AddItem(kStartAtLogonItem, [this](fw::PopupMenu&) { StartAtLogon1Click(); });
    TrayPopupMenu->AddSeparator();
    TrayPopupMenu->AddItem(kExitItem, [this](fw::PopupMenu&) { Close(); });
    TaskTray1->SetIcon(::LoadIconW(fw::ModuleHandle(), L"_TRAYICON"));
    TaskTray1->AddIcon();  // a tray that refuses the icon is not reported: the hotkey still works
}

TTopMenuFiler* TMainForm::NewTopMenu() {
    TTopMenuCommands commands;
    commands.FillSettings = [](TPopupButtonManager& container) { FillSettingsMenu(container); };
    commands.Help = [] {
        if (fw::Application* app = fw::App()) app->HelpContext(kHelpContext);
    };
    commands.About = [](TPopupMenuBase& window) { ShowAboutBox(&window); };
    commands.Exit = [this] { Close(); };
    const bool triangle = DataConserver && DataConserver->ShowTriangle;
    auto* menu = new TTopMenuFiler(MenuManager, triangle, MenuManager, std::move(commands));
    if (DataConserver) LoadButtonFace(DataConserver->ButtonFaceBmp);
    return menu;
}

void TMainForm::ShowTopMenuAtCursor() {
    TTopMenuFiler* menu = NewTopMenu();
    POINT cursor{};
    if (!::GetCursorPos(&cursor)) return;  // the new window stays hidden, owned by the manager
    PlaceInWorkArea(menu, cursor.x, cursor.y, cursor);
    menu->Show();
    if (fw::Application* app = fw::App()) app->BringLastActivePopupToFront();
    // Opened from the tray icon: the keys work at once, and the first Down highlights the first entry.
    menu->TakeFocus(false);
}

void TMainForm::TaskTray1RightMouseDown() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    fw::Application* app = fw::App();
    if (app) {
        // The menu closes when the user clicks elsewhere only if the program is in front.
        ::SetForegroundWindow(app->Handle());
        app->ProcessMessages();
    }
    // Read each time: the installer, another copy or the user may have changed it since.
    TrayPopupMenu->SetChecked(startAtLogonItem_, StartsAtLogon());
    TrayPopupMenu->Popup(cursor.x, cursor.y, app ? app->Handle() : Handle());
}

void TMainForm::StartAtLogon1Click() {
    // The opposite of the tick the user saw: no tick (also for a value naming a copy elsewhere) writes
    // ours.
    if (SetStartAtLogon(!TrayPopupMenu->Checked(startAtLogonItem_))) return;
    if (fw::Application* app = fw::App()) {
        app->MessageBox(kStartAtLogonFailed, kTip, MB_OK | MB_ICONWARNING);
    } else {
        ::MessageBoxW(nullptr, kStartAtLogonFailed, kTip, MB_OK | MB_ICONWARNING);
    }
}

void TMainForm::OpenOneShotMenu() {
    const bool triangle = DataConserver && DataConserver->ShowTriangle;
    TPopupMenuBase* menu = nullptr;
    if (CommandLineParser->ShowRoot) {
        menu = new TRootMenuFiler(MenuManager, triangle, MenuManager);
    } else if (const std::wstring& path = CommandLineParser->FolderPath; path.empty() || NamesAFolder(path)) {
        menu = TSubFolderFiler::OpenFolderByPath(MenuManager, path, triangle);
    }
    if (!menu) {
        // Nothing to show (the path names nothing, or a file or a device, which has nothing to list): a
        // one-shot program without a menu would wait until log-off with nothing to end it, so it ends at
        // once.
        PostClose();
        return;
    }
    POINT at{0, 0};
    if (CommandLineParser->HasPosition) {
        at = POINT{CommandLineParser->X, CommandLineParser->Y};
    } else if (!::GetCursorPos(&at)) {
        at = POINT{0, 0};
    }
    // A tall folder was cut to the height of the primary monitor when it was filled; on another monitor
    // it is cut to that one's height instead (measured from its top, as the fill measured it).
    menu->SetLeft(at.x);
    menu->SetTop(fw::MonitorAt(at).monitor.top);
    FitHeightToWorkArea(menu);
    menu->SetTop(at.y);
    ClampToWorkArea(menu);
    if (DataConserver) LoadButtonFace(DataConserver->ButtonFaceBmp);
    menu->Show();
    if (fw::Application* app = fw::App()) app->BringLastActivePopupToFront();
    menu->TakeFocus(false);
}

void TMainForm::FormDestroy() {
    if (fw::Application* app = fw::App()) app->OnDeactivate = nullptr;
    StopFollowingForeground();
    if (MenuManager) {
        MenuManager->Free();
        MenuManager = nullptr;
    }
    UnregisterHotKey(kHotKeyId);
}

LRESULT TMainForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The menus read the scheme when told too; this is for the tray menu while none is open.
    if (TColorScheme::MayChange(msg, wParam, lParam)) TColorScheme::Menus().Refresh();
    switch (msg) {
        case WM_QUERYENDSESSION:
            return WMQueryEndSession();
        case WM_HOTKEY:
            WMHotKey(wParam);
            return 0;
        case WM_TIMER:
            if (wParam != kForegroundTimer) break;
            if (followingForeground_) FollowForeground();
            return 0;
        default:
            break;
    }
    return fw::Form::WndProc(msg, wParam, lParam);
}

LRESULT TMainForm::WMQueryEndSession() {
    // Stored whatever NoSave says: a one-shot run that is ended by log-off keeps its settings too, unless
    // a resident copy runs: that one stores what the user changed during the session, and a one-shot copy
    // answering after it would overwrite that with what it read at its start.
    const bool oneShot = CommandLineParser && CommandLineParser->HasOption();
    if (DataConserver && !(oneShot && ResidentCopyRunning())) DataConserver->SaveSettings();
    return 1;
}

void TMainForm::WMHotKey(WPARAM id) {
    POINT cursor{};
    if (id != kHotKeyId || !::GetCursorPos(&cursor)) return;
    // An open top menu is moved to the cursor with its cascade closed, rather than a second one opened.
    // It stays shown and takes the focus before its cascade goes: hiding the active window, or closing
    // the submenu that has the focus, would hand the activation to another program, and the rule for
    // leaving would take that for the user switching away.
    TPopupMenuBase* menu = MenuManager->FindRootMenu();
    if (menu) {
        menu->TakeFocus(false);
        menu->CloseChild();
    } else {
        menu = NewTopMenu();
    }
    // At the cursor less the offsets, but never off the screen, whatever offsets are stored.
    PlaceInWorkArea(menu, static_cast<long long>(cursor.x) - (DataConserver ? DataConserver->OffsetX : 0),
                    static_cast<long long>(cursor.y) - (DataConserver ? DataConserver->OffsetY : 0), cursor);
    menu->Show();
    if (fw::Application* app = fw::App()) app->BringLastActivePopupToFront();
    // Opened from the keyboard: the keys work at once, on the first entry highlighted already.
    menu->TakeFocus(true);
}

void TMainForm::FollowForeground() {
    fw::Application* app = fw::App();
    const bool active = app && app->Active();
    // Between two windows nothing is in front for a moment: that decides nothing yet.
    if (!active && (!::GetForegroundWindow() || ForegroundIsOurs())) return;
    StopFollowingForeground();
    if (!active) AppDeactivate();
}

namespace {
// The one main form that follows the foreground window (the event callback carries no context).
TMainForm* g_foregroundFollower = nullptr;
}  // namespace

void TMainForm::StartFollowingForeground() {
    if (followingForeground_) return;
    followingForeground_ = true;
    g_foregroundFollower = this;
    ::SetTimer(Handle(), kForegroundTimer, kForegroundInterval, nullptr);
    // Out of context: the callback comes through this thread's message loop, and only for windows of
    // other programs.
    foregroundHook_.reset(::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                            &TMainForm::ForegroundChanged, 0, 0,
                                            WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
}

void TMainForm::StopFollowingForeground() {
    if (!followingForeground_) return;
    followingForeground_ = false;
    if (g_foregroundFollower == this) g_foregroundFollower = nullptr;
    ::KillTimer(Handle(), kForegroundTimer);
    foregroundHook_.reset();
}

void CALLBACK TMainForm::ForegroundChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) noexcept {
    // Looked at from the queue, not inside the system's call: closing menus here could free what a
    // running handler still uses.
    if (TMainForm* form = g_foregroundFollower) ::PostMessageW(form->Handle(), WM_TIMER, kForegroundTimer, 0);
}

void TMainForm::AppDeactivate() {
    if (!MenuManager) return;
    fw::Application* app = fw::App();
    if (ForegroundIsOurs()) {
        // A window that the shell runs on another thread of ours (a properties sheet, a copy's progress)
        // has the activation: this thread hears nothing when the user goes on from there to another
        // program (and not every system reports it as an event), so the foreground window is looked at
        // until it is ours again or another program's.
        if (!(app && app->Active())) StartFollowingForeground();
        return;
    }
    if (CommandLineParser && CommandLineParser->HasOption()) {
        // One-shot: leaving the one menu for another program ends the program, unless a window left the
        // cascade or a step that took the focus away (a shell command, a dialog) is still running.
        if (MenuManager->ComponentCount() <= 1 && !(app && app->Active()) &&
            MenuManager->AllMenusMayClose()) {
            Close();
        }
        return;
    }
    // Resident: close every menu, when the settings ask for it and exactly one top menu (with its
    // cascade) is open, nothing left the cascade, and no step that took the focus away still runs.
    if (MenuManager->ComponentCount() <= 1 && MenuManager->CountRootMenus() == 1 && DataConserver &&
        DataConserver->HideWhenDeactivate && MenuManager->AllMenusMayClose()) {
        MenuManager->DestroyComponents();
    }
}
