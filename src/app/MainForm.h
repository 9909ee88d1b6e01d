// The application's main form. It is never shown: its window receives the global hotkey and the query
// that Windows sends before log-off or shutdown. Resident mode registers the hotkey; one-shot mode opens
// the one menu that the command line asks for.
#pragma once

#include "framework/Form.h"

class TMainForm : public fw::Form {
public:
    static constexpr int kHotKeyId = 0x2A01;

    explicit TMainForm(fw::Component* owner);  // FormCreate
    ~TMainForm() override;                     // FormDestroy

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void FormDestroy();
    LRESULT WMQueryEndSession();
    void WMHotKey(WPARAM id);
    void AppDeactivate();
};
