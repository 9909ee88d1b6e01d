// The top menu: the first window of every cascade that the user opens with the hotkey or from the tray
// icon. The desktop's folders (it is a root filer), then the program's own commands: the settings
// submenu, help, the about box and exit. What the commands do is given by the program, so the menus
// need not know the dialogs or the main form.
#pragma once

#include "filers/RootMenuFiler.h"

#include <functional>

struct TTopMenuCommands {
    // Fills the settings submenu.
    TPopupMenuBase::FillProc FillSettings;
    std::function<void()> Help;
    // The about box, owned by the top menu window it was opened from.
    std::function<void(TPopupMenuBase& window)> About;
    std::function<void()> Exit;
};

class TTopMenuFiler : public TRootMenuFiler {
public:
    static constexpr fw::FormParams kParams{L"TTopMenuFiler"};
    static constexpr wchar_t kSettings[] = L"設定";
    static constexpr wchar_t kHelp[] = L"ヘルプ";
    static constexpr wchar_t kAbout[] = L"バージョン情報";
    static constexpr wchar_t kExit[] = L"終了";
    static constexpr int kSeparatorHeight = 10;

    TTopMenuFiler(fw::Component* owner, bool showTriangle, fw::Component* adopter, TTopMenuCommands commands);

private:
    void AddSeparator();
    void AddCommand(const wchar_t* caption, std::function<void()> action);

    TTopMenuCommands commands_;
};
