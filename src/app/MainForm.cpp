#include "app/MainForm.h"

#include "app/CommandLineParser.h"
#include "settings/DataConserver.h"
#include "framework/Application.h"

TMainForm::TMainForm(fw::Component* owner) : fw::Form(owner, fw::FormParams{L"TMainForm"}) {
    SetCaption(L"MainForm");
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

void TMainForm::FormCreate() {
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

    // One-shot: no menu can be shown yet, and a one-shot program without a menu would wait until
    // log-off with nothing to end it, so it ends at once.
    PostClose();
}

void TMainForm::FormDestroy() {
    if (fw::Application* app = fw::App()) app->OnDeactivate = nullptr;
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
    // Stored whatever NoSave says: a one-shot run that is ended by log-off keeps its settings too.
    if (DataConserver) DataConserver->SaveSettings();
    return 1;
}

void TMainForm::WMHotKey(WPARAM id) {
    if (id != kHotKeyId) return;
    // The top menu arrives with the menu windows; until then the hotkey only proves it is registered.
}

void TMainForm::AppDeactivate() {}
