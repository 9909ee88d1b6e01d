// The settings record and its registry form under HKEY_CURRENT_USER\Software\Quillbrook. Building the
// record loads it; destroying it stores it unless NoSave is set. Loading stops at the first value that
// is missing or of the wrong type (that value and all later ones keep their defaults); storing stops
// at the first write that fails. No registry failure is ever reported.
#pragma once

#include "framework/ShiftState.h"

#include <string>

class TDataConserver {
public:
    static constexpr wchar_t kKeyName[] = L"Software\\Quillbrook";

    TDataConserver();  // LoadSettings
    ~TDataConserver();
    TDataConserver(const TDataConserver&) = delete;
    TDataConserver& operator=(const TDataConserver&) = delete;

    void LoadSettings();
    void SaveSettings() const;
    void SetDefaults();
    void ResetHotKey();
    // Records the executable's full path as InstallFolder; failures are ignored.
    void WriteInstallFolder() const;

    // Updates from the settings menu. They take values, not the menu's rows, and keep the previous value
    // when the new one is unusable: numbers are signed decimal text (what does not convert is ignored,
    // so a half-typed field never stores), and a hotkey is stored only when it can be a hotkey at all.
    // The Active pair is what was registered at start; these change only the pair stored at the end.
    void ApplyDelayTime(const std::wstring& text);
    void ApplyOffsetX(const std::wstring& text);
    void ApplyOffsetY(const std::wstring& text);
    void ApplyHotKey(int key, int modifiers);
    void ApplyHideWhenDeactivate(bool value);
    void ApplyShowTriangle(bool value);
    // Stored as given: the picture is checked when it is loaded.
    void ApplyButtonFaceBmp(const std::wstring& path);

    bool NoSave = false;
    int DelayTime = 200;
    int OffsetX = 0;
    int OffsetY = 0;
    int ActiveHotKey2 = 2;   // modifiers registered at start (MOD_ flags)
    int ActiveHotKey1 = 69;  // virtual key registered at start
    int HotKey2 = 2;         // modifiers to store, edited in the settings
    int HotKey1 = 69;        // virtual key to store, edited in the settings
    bool HideWhenDeactivate = false;
    bool ShowTriangle = false;
    std::wstring ButtonFaceBmp;
};

// The one settings record of the program (null while none exists).
extern TDataConserver* DataConserver;

// MOD_SHIFT, MOD_ALT and MOD_CONTROL as a shift state; every other bit is dropped.
fw::ShiftState ModifiersToShiftState(int modifiers) noexcept;
// Text of a virtual-key code: letters, digits, "Num n", "Fn", "Tab", "Space"; empty for the rest.
std::wstring KeyName(int key);
// "Shift + Alt + Ctrl + key", in that order whatever order the keys were pressed in.
std::wstring HotKeyText(unsigned short key, fw::ShiftState shift);
// Whether a virtual key with MOD_ flags can serve as the program's hotkey: Ctrl, Alt or Win (Shift may come
// along) with a key that is no modifier key itself, or a function key F1-F24 with or without modifiers.
bool IsUsableHotKey(int key, int modifiers) noexcept;
