#include "app/MainForm.h"

#include "app/CommandLineParser.h"
#include "app/QuillbrookMain.h"
#include "filers/RootMenuFiler.h"
#include "filers/SubFolderFiler.h"
#include "framework/Application.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonBase.h"
#include "settings/DataConserver.h"

namespace {

// Whether the window in front belongs to this process: a properties sheet or a compressed-folder
// progress window that the shell runs on a thread of ours is still the program, not another program.
bool ForegroundIsOurs() noexcept {
    HWND front = ::GetForegroundWindow();
    DWORD process = 0;
    if (front) ::GetWindowThreadProcessId(front, &process);
    return front && process == ::GetCurrentProcessId();
}

}  // namespace

TMainForm::TMainForm(fw::Component* owner) : fw::Form(owner, fw::FormParams{L"TMainForm"}) {
    SetCaption(L"MainForm");
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::FormCreate() {
    MenuManager = new TPopupMenuManager(this);
    if (fw::Application* app = fw::App()) app->OnDeactivate = [this] { AppDeactivate(); };

    if (!CommandLineParser || !CommandLineParser->HasOption()) {
        // Resident: the configured hotkey, or Ctrl+E when another program holds it (then Ctrl+E is
        // also what gets stored). A second refusal leaves the program without a hotkey, silently.
        if (!RegisterHotKey(kHotKeyId, static_cast<UINT>(DataConserver->ActiveHotKey2),
                            static_cast<UINT>(DataConserver->ActiveHotKey1))) {
            DataConserver->ResetHotKey();
            RegisterHotKey(kHotKeyId, MOD_CONTROL, 69);
        }
        return;
    }

    OpenOneShotMenu();
}

void TMainForm::OpenOneShotMenu() {
    const bool triangle = DataConserver && DataConserver->ShowTriangle;
    TPopupMenuBase* menu = nullptr;
    if (CommandLineParser->ShowRoot) {
        menu = new TRootMenuFiler(MenuManager, triangle, MenuManager);
    } else {
        menu = TSubFolderFiler::OpenFolderByPath(MenuManager, CommandLineParser->FolderPath, triangle);
    }
    if (!menu) {
        // Nothing to show: a one-shot program without a menu would wait until log-off with nothing to
        // end it, so it ends at once.
        PostClose();
        return;
    }
    POINT at{0, 0};
    if (CommandLineParser->HasPosition) {
        at = POINT{CommandLineParser->X, CommandLineParser->Y};
    } else if (!::GetCursorPos(&at)) {
        at = POINT{0, 0};
    }
    menu->SetLeft(at.x);
    menu->SetTop(at.y);
    ClampToWorkArea(menu);
    if (DataConserver) LoadButtonFace(DataConserver->ButtonFaceBmp);
    menu->Show();
    if (fw::Application* app = fw::App()) app->BringLastActivePopupToFront();
}

void TMainForm::FormDestroy() {
    if (fw::Application* app = fw::App()) app->OnDeactivate = nullptr;
    if (MenuManager) {
        MenuManager->Free();
        MenuManager = nullptr;
    }
    UnregisterHotKey(kHotKeyId);
}

LRESULT TMainForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_QUERYENDSESSION:
            return WMQueryEndSession();
        case WM_HOTKEY:
            WMHotKey(wParam);
            return 0;
        default:
            return fw::Form::WndProc(msg, wParam, lParam);
    }
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
    if (id != kHotKeyId) return;
    // The top menu arrives with the menu windows; until then the hotkey only proves it is registered.
}

void TMainForm::AppDeactivate() {
    if (!MenuManager) return;
    fw::Application* app = fw::App();
    if (ForegroundIsOurs()) return;
    if (CommandLineParser && CommandLineParser->HasOption()) {
        // One-shot: leaving the one menu for another program ends the program, unless a window left the
        // cascade or a step that took the focus away (a shell command, a dialog) is still running.
        if (MenuManager->ComponentCount() <= 1 && !(app && app->Active()) &&
            MenuManager->AllMenusMayClose()) {
            Close();
        }
        return;
    }
}
