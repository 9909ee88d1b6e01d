// The settings record's updates from the settings menu: numbers from half-typed text, and only hotkeys
// that can be hotkeys.
#include "settings/DataConserver.h"

#include "support/SettingsKey.h"

#include <gtest/gtest.h>

namespace {

// A record of defaults that touches no registry value: the key is removed before and after.
class SettingsUpdate : public qbtest::SettingsTest {};

TEST(IsUsableHotKey, CtrlAltOrWinWithANonModifierKeyOrAFunctionKey) {
    EXPECT_TRUE(IsUsableHotKey('E', MOD_CONTROL));
    EXPECT_TRUE(IsUsableHotKey('E', MOD_CONTROL | MOD_SHIFT));
    EXPECT_TRUE(IsUsableHotKey('1', MOD_ALT));
    EXPECT_TRUE(IsUsableHotKey(VK_SPACE, MOD_WIN | MOD_SHIFT));
    EXPECT_TRUE(IsUsableHotKey(VK_NUMPAD3, MOD_ALT | MOD_CONTROL));
    EXPECT_TRUE(IsUsableHotKey(VK_F1, 0));
    EXPECT_TRUE(IsUsableHotKey(VK_F24, MOD_SHIFT));
    EXPECT_TRUE(IsUsableHotKey(VK_F12, MOD_CONTROL | MOD_ALT | MOD_SHIFT | MOD_WIN));

    EXPECT_FALSE(IsUsableHotKey('E', 0));          // a letter alone would be typed nowhere else
    EXPECT_FALSE(IsUsableHotKey('E', MOD_SHIFT));  // Shift is no modifier of its own
    EXPECT_FALSE(IsUsableHotKey(0, MOD_CONTROL));  // no key
    EXPECT_FALSE(IsUsableHotKey(VK_RETURN, 0));
    EXPECT_FALSE(IsUsableHotKey(VK_BACK, 0));
    EXPECT_FALSE(IsUsableHotKey(VK_DELETE, 0));
    for (int modifierKey : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LSHIFT, VK_RSHIFT, VK_LCONTROL, VK_RCONTROL,
                            VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN}) {
        EXPECT_FALSE(IsUsableHotKey(modifierKey, MOD_CONTROL | MOD_SHIFT)) << modifierKey;
        EXPECT_FALSE(IsUsableHotKey(modifierKey, MOD_ALT)) << modifierKey;
    }
    EXPECT_FALSE(IsUsableHotKey(VK_F24 + 1, 0));  // past the function keys
    EXPECT_FALSE(IsUsableHotKey(0xFFFF, MOD_CONTROL));
    EXPECT_FALSE(IsUsableHotKey('E', MOD_CONTROL | 0x100));
}

TEST_F(SettingsUpdate, HalfTypedNumbersAndUnusableHotkeysKeepThePreviousValue) {
    TDataConserver s;
    s.NoSave = true;
    s.ApplyDelayTime(L"12");
    for (const wchar_t* text : {L"12a", L"", L"-", L" 5", L"99999999999", L"１２"}) s.ApplyDelayTime(text);
    s.ApplyOffsetX(L"-7");
    s.ApplyOffsetX(L"-");
    s.ApplyOffsetY(L"+30");
    EXPECT_EQ(s.DelayTime, 12);
    EXPECT_EQ(s.OffsetX, -7);
    EXPECT_EQ(s.OffsetY, 30);

    s.ApplyHotKey('Q', MOD_CONTROL | MOD_SHIFT);
    s.ApplyHotKey(VK_CONTROL, MOD_CONTROL);  // Ctrl on its way to a combination
    s.ApplyHotKey(VK_RETURN, 0);
    EXPECT_EQ(s.HotKey1, 'Q');
    EXPECT_EQ(s.HotKey2, MOD_CONTROL | MOD_SHIFT);
    // Only the pair stored at the end: the one registered at start stays.
    EXPECT_EQ(s.ActiveHotKey1, 69);
    EXPECT_EQ(s.ActiveHotKey2, MOD_CONTROL);

    s.ApplyHideWhenDeactivate(true);
    s.ApplyShowTriangle(true);
    s.ApplyButtonFaceBmp(L"C:\\どこにもない\\絵.bmp");  // checked only when loaded
    EXPECT_TRUE(s.HideWhenDeactivate);
    EXPECT_TRUE(s.ShowTriangle);
    EXPECT_EQ(s.ButtonFaceBmp, L"C:\\どこにもない\\絵.bmp");
}

}  // namespace
