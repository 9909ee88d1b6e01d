// The settings record and its registry form under HKEY_CURRENT_USER\Software\Quillbrook. Building the
// record loads it; destroying it stores it unless NoSave is set, and with SaveOnChange every change made
// through the updates below is stored at once. Loading reads each value on its own: one that is missing
// or of the wrong type keeps its default alone. Storing stops at the first write that fails. No registry
// failure is ever reported.
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
    // Set for the resident copy: a change in the settings survives an end that is no normal exit (the
    // process killed, a crash, the power gone).
    bool SaveOnChange = false;
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

private:
    template <class T>
    void Apply(T& field, const T& value) {
        if (field == value) return;
        field = value;
        Changed();
    }
    void ApplyNumber(int& field, const std::wstring& text);
    void Changed() const;
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
