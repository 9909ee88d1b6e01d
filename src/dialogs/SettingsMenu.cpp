#include "dialogs/SettingsMenu.h"

#include "dialogs/CheckBoxButton.h"
#include "dialogs/EditStringButton.h"
#include "settings/DataConserver.h"

#include <string>

void FillSettingsMenu(TPopupButtonManager& container) {
    // The rows show the record's values; without a record (nothing to change) they start empty. Each
    // change goes to the record alive at that moment.
    const TDataConserver* settings = DataConserver;
    const auto number = [settings](int TDataConserver::*field) {
        return settings ? std::to_wstring(settings->*field) : std::wstring();
    };

    auto* delay =
        new TEditStringButton(L"サブメニュー表示まで", number(&TDataConserver::DelayTime), L"ミリ秒待つ");
    delay->OnValueChange = [](TEditStringButton& row) {
        if (DataConserver) DataConserver->ApplyDelayTime(row.EditText);
    };
    container.AddEntry(delay);

    auto* offsetX = new TEditStringButton(L"メニュー表示時のマウスカーソルの水平位置は",
                                          number(&TDataConserver::OffsetX), L"だけメニューの左端からずらす");
    offsetX->OnValueChange = [](TEditStringButton& row) {
        if (DataConserver) DataConserver->ApplyOffsetX(row.EditText);
    };
    container.AddEntry(offsetX);

    auto* offsetY = new TEditStringButton(L"メニュー表示時のマウスカーソルの垂直位置は",
                                          number(&TDataConserver::OffsetY), L"だけメニューの上端からずらす");
    offsetY->OnValueChange = [](TEditStringButton& row) {
        if (DataConserver) DataConserver->ApplyOffsetY(row.EditText);
    };
    container.AddEntry(offsetY);

    // The stored pair, not the one registered at start: a change takes effect at the next start.
    auto* hotkey = new TEditHotkeyButton(L"Quillbrookを表示するホットキーは", L"", L"を使う",
                                         settings ? settings->HotKey2 : 0, settings ? settings->HotKey1 : 0);
    hotkey->OnValueChange = [hotkey](TEditStringButton&) {
        if (!DataConserver) return;
        DataConserver->ApplyHotKey(hotkey->Key, hotkey->Modifiers);
        // The record takes only a usable combination: the field shows what it kept once the keys are up.
        hotkey->StoredKey = DataConserver->HotKey1;
        hotkey->StoredModifiers = DataConserver->HotKey2;
    };
    container.AddEntry(hotkey);

    auto* hide = new TCheckBoxButton(L"フォーカスが他に移るとQuillbrookの表示を消す",
                                     settings && settings->HideWhenDeactivate);
    hide->OnValueChange = [](TCheckBoxButton& row) {
        if (DataConserver) DataConserver->ApplyHideWhenDeactivate(row.Checked);
    };
    container.AddEntry(hide);

    auto* triangle = new TCheckBoxButton(
        L"フォルダの場合は三角形を表示し、マウスカーソルが三角の上にくるとサブフォルダを表示",
        settings && settings->ShowTriangle);
    triangle->OnValueChange = [](TCheckBoxButton& row) {
        if (DataConserver) DataConserver->ApplyShowTriangle(row.Checked);
    };
    container.AddEntry(triangle);

    auto* face =
        new TEditFileNameButton(L"ボタンの背景として", settings ? settings->ButtonFaceBmp : L"", L"を使う。");
    face->OnValueChange = [](TEditStringButton& row) {
        if (DataConserver) DataConserver->ApplyButtonFaceBmp(row.EditText);
    };
    container.AddEntry(face);

    container.FinishLayout();
    if (fw::OpenDialog* dialog = face->OpenDialog) {
        dialog->DefaultExt = L"bmp";
        // The pattern is handed on as written; the dialog matches names ending in "bmp".
        dialog->Filter = L"ビットマップ(*.bmp)|*bmp";
    }
}
