#include "settings/DataConserver.h"

#include "framework/Module.h"
#include "framework/Registry.h"
#include "framework/TextConv.h"

#include <windows.h>

TDataConserver* DataConserver = nullptr;

TDataConserver::TDataConserver() {
    LoadSettings();
}

TDataConserver::~TDataConserver() {
    if (!NoSave) SaveSettings();
}

void TDataConserver::SetDefaults() {
    DelayTime = 200;
    OffsetX = 0;
    OffsetY = 0;
    ResetHotKey();
    HideWhenDeactivate = false;
    ShowTriangle = false;
}

void TDataConserver::ResetHotKey() {
    ActiveHotKey2 = 2;
    HotKey2 = 2;
    ActiveHotKey1 = 69;
    HotKey1 = 69;
}

void TDataConserver::LoadSettings() {
    ButtonFaceBmp.clear();
    NoSave = false;
    SetDefaults();

    fw::Registry reg;
    if (!reg.OpenKey(kKeyName, false)) return;
    // Each value on its own: one that is missing or of the wrong type (an older version's settings, a
    // value edited by hand) keeps its default, and the others are still read.
    auto readInt = [&](const wchar_t* name, auto&... targets) {
        if (const auto value = reg.ReadInteger(name)) ((targets = *value), ...);
    };
    auto readBool = [&](const wchar_t* name, bool& target) {
        if (const auto value = reg.ReadInteger(name)) target = *value != 0;
    };
    readInt(L"DelayTime", DelayTime);
    readInt(L"HotKey1", ActiveHotKey1, HotKey1);
    readInt(L"HotKey2", ActiveHotKey2, HotKey2);
    readInt(L"OffsetX", OffsetX);
    readInt(L"OffsetY", OffsetY);
    readBool(L"HideWhenDeactivate", HideWhenDeactivate);
    readBool(L"ShowTriangle", ShowTriangle);
    if (auto path = reg.ReadString(L"ButtonFaceBmp")) ButtonFaceBmp = *path;
}

void TDataConserver::SaveSettings() const {
    fw::Registry reg;
    if (!reg.OpenKey(kKeyName, true)) return;
    // The first write that fails ends the storing (silently).
    reg.WriteInteger(L"DelayTime", DelayTime) && reg.WriteInteger(L"HotKey1", HotKey1) &&
        reg.WriteInteger(L"HotKey2", HotKey2) && reg.WriteInteger(L"OffsetX", OffsetX) &&
        reg.WriteInteger(L"OffsetY", OffsetY) &&
        reg.WriteInteger(L"HideWhenDeactivate", HideWhenDeactivate ? 1 : 0) &&
        reg.WriteInteger(L"ShowTriangle", ShowTriangle ? 1 : 0) &&
        reg.WriteString(L"ButtonFaceBmp", ButtonFaceBmp);
}

void TDataConserver::ApplyDelayTime(const std::wstring& text) {
    ApplyNumber(DelayTime, text);
}

void TDataConserver::ApplyOffsetX(const std::wstring& text) {
    ApplyNumber(OffsetX, text);
}

void TDataConserver::ApplyOffsetY(const std::wstring& text) {
    ApplyNumber(OffsetY, text);
}

void TDataConserver::ApplyHotKey(int key, int modifiers) {
    // The hotkey field reports every key on its way to a combination (Ctrl alone, then Ctrl + Shift):
    // only a finished, usable one replaces the stored pair.
    if (!IsUsableHotKey(key, modifiers) || (key == HotKey1 && modifiers == HotKey2)) return;
    HotKey1 = key;
    HotKey2 = modifiers;
    Changed();
}

void TDataConserver::ApplyHideWhenDeactivate(bool value) {
    Apply(HideWhenDeactivate, value);
}

void TDataConserver::ApplyShowTriangle(bool value) {
    Apply(ShowTriangle, value);
}

void TDataConserver::ApplyButtonFaceBmp(const std::wstring& path) {
    Apply(ButtonFaceBmp, path);
}

void TDataConserver::ApplyNumber(int& field, const std::wstring& text) {
    int value = 0;
    if (fw::TryParseInt32(text, value)) Apply(field, value);
}

void TDataConserver::Changed() const {
    if (SaveOnChange) SaveSettings();
}

void TDataConserver::WriteInstallFolder() const {
    // The full path of the executable file itself.
    const std::wstring path = fw::ProgramFilePath();
    if (path.empty()) return;
    fw::Registry reg;
    if (!reg.OpenKey(kKeyName, true)) return;
    reg.WriteString(L"InstallFolder", path);
}

fw::ShiftState ModifiersToShiftState(int modifiers) noexcept {
    fw::ShiftState s = 0;
    if (modifiers & MOD_SHIFT) s |= fw::ssShift;
    if (modifiers & MOD_ALT) s |= fw::ssAlt;
    if (modifiers & MOD_CONTROL) s |= fw::ssCtrl;
    return s;
}

std::wstring KeyName(int key) {
    if (key >= 0x41 && key <= 0x5A) return std::wstring(1, static_cast<wchar_t>(key));
    if (key >= 0x30 && key <= 0x39) return std::to_wstring(key - 0x30);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return L"Num " + std::to_wstring(key - VK_NUMPAD0);
    if (key >= VK_F1 && key <= VK_F16) return L"F" + std::to_wstring(key - 0x6F);
    if (key == VK_TAB) return L"Tab";
    if (key == VK_SPACE) return L"Space";
    return {};
}

std::wstring HotKeyText(unsigned short key, fw::ShiftState shift) {
    std::wstring text;
    auto add = [&text](const wchar_t* name) {
        if (!text.empty()) text += L" + ";
        text += name;
    };
    if (shift & fw::ssShift) add(L"Shift");
    if (shift & fw::ssAlt) add(L"Alt");
    if (shift & fw::ssCtrl) add(L"Ctrl");
    const std::wstring name = KeyName(key);
    if (!text.empty()) text += L" + ";
    return text + name;
}

bool IsUsableHotKey(int key, int modifiers) noexcept {
    constexpr int kModifierFlags = MOD_SHIFT | MOD_ALT | MOD_CONTROL | MOD_WIN;
    // Anything outside the four flags or outside the virtual-key range is no combination a user pressed.
    if ((modifiers & ~kModifierFlags) != 0 || key <= 0 || key > 0xFE) return false;
    switch (key) {
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
        case VK_LSHIFT:
        case VK_RSHIFT:
        case VK_LCONTROL:
        case VK_RCONTROL:
        case VK_LMENU:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN:
            return false;
        default:
            break;
    }
    if (key >= VK_F1 && key <= VK_F24) return true;
    // Shift alone would take a character away from typing everywhere.
    return (modifiers & (MOD_ALT | MOD_CONTROL | MOD_WIN)) != 0;
}
