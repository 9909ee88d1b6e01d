// The application's main form. It is never shown: its window receives the global hotkey and the query
// that Windows sends before log-off or shutdown. Resident mode registers the hotkey; one-shot mode opens
// the one menu that the command line asks for.
#pragma once

#include "framework/Form.h"

class TPopupMenuManager;

class TMainForm : public fw::Form {
public:
    static constexpr int kHotKeyId = 0x2A01;

    explicit TMainForm(fw::Component* owner);  // FormCreate
    ~TMainForm() override;                     // FormDestroy

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The owner of every menu the program opens (and of the windows that left a cascade).
    TPopupMenuManager* MenuManager = nullptr;

private:
    void FormCreate();
    void OpenOneShotMenu();
    void FormDestroy();
    LRESULT WMQueryEndSession();
    void WMHotKey(WPARAM id);
    void AppDeactivate();
};
