#include "settings/DataConserver.h"

#include "support/SettingsKey.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class DataConserverTest : public qbtest::SettingsTest {
protected:
    static DWORD StoredDword(const wchar_t* name) { return Dword(name).value_or(0xDEAD); }

    static void ExpectDefaults(const TDataConserver& s) {
        EXPECT_EQ(s.DelayTime, 200);
        EXPECT_EQ(s.OffsetX, 0);
        EXPECT_EQ(s.OffsetY, 0);
        EXPECT_EQ(s.ActiveHotKey1, 69);
        EXPECT_EQ(s.ActiveHotKey2, 2);
        EXPECT_EQ(s.HotKey1, 69);
        EXPECT_EQ(s.HotKey2, 2);
        EXPECT_FALSE(s.HideWhenDeactivate);
        EXPECT_FALSE(s.ShowTriangle);
        EXPECT_TRUE(s.ButtonFaceBmp.empty());
        EXPECT_FALSE(s.NoSave);
    }
};

TEST_F(DataConserverTest, MissingKeyGivesDefaultsAndStoringWritesEveryValueWithItsType) {
    {
        TDataConserver s;
        ExpectDefaults(s);
        s.NoSave = true;
    }
    EXPECT_FALSE(TypeAndSize(L"DelayTime").has_value());  // NoSave: nothing stored, not even the key

    {
        TDataConserver s;
        s.DelayTime = 350;
        s.OffsetX = -4;
        s.HotKey1 = 0x7B;
        s.HotKey2 = 7;
        s.ShowTriangle = true;
        s.ButtonFaceBmp = L"C:\\画像\\face.bmp";
    }
    for (const wchar_t* name : {L"DelayTime", L"HotKey1", L"HotKey2", L"OffsetX", L"OffsetY",
                                L"HideWhenDeactivate", L"ShowTriangle"}) {
        ASSERT_TRUE(TypeAndSize(name).has_value()) << name;
        EXPECT_EQ(TypeAndSize(name)->first, static_cast<DWORD>(REG_DWORD)) << name;
    }
    EXPECT_EQ(TypeAndSize(L"ButtonFaceBmp")->first, static_cast<DWORD>(REG_SZ));
    EXPECT_GE(TypeAndSize(L"ButtonFaceBmp")->second, 14u * sizeof(wchar_t));
    EXPECT_EQ(StoredDword(L"OffsetX"), 0xFFFFFFFCu);
    EXPECT_EQ(StoredDword(L"ShowTriangle"), 1u);
    EXPECT_EQ(StoredDword(L"HideWhenDeactivate"), 0u);

    TDataConserver again;
    again.NoSave = true;
    EXPECT_EQ(again.DelayTime, 350);
    EXPECT_EQ(again.OffsetX, -4);
    EXPECT_EQ(again.HotKey1, 0x7B);
    EXPECT_EQ(again.ActiveHotKey1, 0x7B);
    EXPECT_EQ(again.ActiveHotKey2, 7);
    EXPECT_TRUE(again.ShowTriangle);
    EXPECT_EQ(again.ButtonFaceBmp, L"C:\\画像\\face.bmp");
}

TEST_F(DataConserverTest, AValueOfTheWrongTypeTakesItsDefaultAloneAndIsRewrittenProperly) {
    SetRaw(L"DelayTime", REG_SZ, L"300", 6);
    SetDword(L"HotKey1", 0x41);
    SetDword(L"ShowTriangle", 1);
    {
        TDataConserver s;
        EXPECT_EQ(s.DelayTime, 200);
        EXPECT_EQ(s.HotKey1, 0x41);
        EXPECT_TRUE(s.ShowTriangle);
    }
    EXPECT_EQ(TypeAndSize(L"DelayTime")->first, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(StoredDword(L"DelayTime"), 200u);
    EXPECT_EQ(StoredDword(L"ShowTriangle"), 1u);
}

TEST_F(DataConserverTest, AMissingValueTakesItsDefaultAlone) {
    SetDword(L"DelayTime", 500);
    SetDword(L"HotKey1", 0x51);
    SetDword(L"OffsetX", 9);  // after the missing HotKey2 and OffsetY
    SetDword(L"HideWhenDeactivate", 1);
    const wchar_t face[] = L"C:\\face.bmp";  // written by another tool, with its NUL
    SetRaw(L"ButtonFaceBmp", REG_SZ, face, sizeof(face));
    TDataConserver s;
    s.NoSave = true;
    EXPECT_EQ(s.ActiveHotKey1, 0x51);
    EXPECT_EQ(s.HotKey2, 2);
    EXPECT_EQ(s.OffsetX, 9);
    EXPECT_TRUE(s.HideWhenDeactivate);
    EXPECT_EQ(s.ButtonFaceBmp, L"C:\\face.bmp");
}

TEST_F(DataConserverTest, FlagsAreAnyNonZeroAndStoredBackAsOne) {
    for (const wchar_t* name : {L"DelayTime", L"HotKey1", L"HotKey2", L"OffsetX", L"OffsetY"})
        SetDword(name, 1);
    SetDword(L"HideWhenDeactivate", 0);
    SetDword(L"ShowTriangle", 5);
    const DWORD wrong = 3;
    SetRaw(L"ButtonFaceBmp", REG_BINARY, &wrong, sizeof(wrong));
    {
        TDataConserver s;
        EXPECT_TRUE(s.ShowTriangle);
        EXPECT_FALSE(s.HideWhenDeactivate);
        EXPECT_TRUE(s.ButtonFaceBmp.empty());
    }
    EXPECT_EQ(StoredDword(L"ShowTriangle"), 1u);
    EXPECT_EQ(TypeAndSize(L"ButtonFaceBmp")->first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TypeAndSize(L"ButtonFaceBmp")->second, sizeof(wchar_t))
        << "an empty text is written as its NUL";
}

TEST_F(DataConserverTest, ResetHotKeyAndInstallFolder) {
    SetDword(L"DelayTime", 100);
    SetDword(L"HotKey1", 0x70);
    SetDword(L"HotKey2", 1);
    TDataConserver s;
    s.NoSave = true;
    s.DelayTime = 1;
    s.ResetHotKey();
    EXPECT_EQ(s.ActiveHotKey1, 69);
    EXPECT_EQ(s.HotKey2, 2);
    s.SetDefaults();
    EXPECT_EQ(s.DelayTime, 200);

    s.WriteInstallFolder();
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(String(L"InstallFolder"), std::wstring(exe));
}

TEST(HotKeyText, ShiftAltCtrlOrderAndKeyNames) {
    EXPECT_EQ(HotKeyText(0x45, fw::ssCtrl), L"Ctrl + E");
    EXPECT_EQ(HotKeyText(VK_F12, fw::ssCtrl | fw::ssAlt | fw::ssShift), L"Shift + Alt + Ctrl + F12");
    EXPECT_EQ(HotKeyText(VK_NUMPAD7, fw::ssAlt), L"Alt + Num 7");
    EXPECT_EQ(HotKeyText(0x45, 0), L"E");
    EXPECT_EQ(HotKeyText(VK_ESCAPE, fw::ssCtrl), L"Ctrl + ");
    EXPECT_EQ(HotKeyText(VK_ESCAPE, 0), L"");
    EXPECT_EQ(KeyName(0x30), L"0");
    EXPECT_EQ(KeyName(0x39), L"9");
    EXPECT_EQ(KeyName(VK_F1), L"F1");
    EXPECT_EQ(KeyName(VK_F16), L"F16");
    EXPECT_EQ(KeyName(VK_F17), L"");
    EXPECT_EQ(KeyName(VK_TAB), L"Tab");
    EXPECT_EQ(KeyName(VK_SPACE), L"Space");
    EXPECT_EQ(KeyName(0x5B), L"");
    EXPECT_EQ(ModifiersToShiftState(MOD_SHIFT | MOD_CONTROL | MOD_WIN), fw::ssShift | fw::ssCtrl);
    EXPECT_EQ(ModifiersToShiftState(MOD_ALT), fw::ssAlt);
}

}  // namespace
