#include "settings/DataConserver.h"

#include "framework/Registry.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr wchar_t kKey[] = L"Software\\Quillbrook";

class DataConserverTest : public testing::Test {
protected:
    void SetUp() override { fw::Registry::DeleteKeyTree(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { fw::Registry::DeleteKeyTree(HKEY_CURRENT_USER, kKey); }

    static void SetDword(const wchar_t* name, DWORD value) { SetRaw(name, REG_DWORD, &value, sizeof(value)); }
    static void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(
            ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        ::RegCloseKey(key);
    }
    // Type and raw size of a stored value, if it exists.
    static std::optional<std::pair<DWORD, DWORD>> Stored(const wchar_t* name) {
        HKEY key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
        DWORD type = 0, size = 0;
        const LSTATUS s = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
        ::RegCloseKey(key);
        if (s != ERROR_SUCCESS) return std::nullopt;
        return std::make_pair(type, size);
    }
    static DWORD StoredDword(const wchar_t* name) {
        DWORD v = 0xDEAD, size = sizeof(v);
        ::RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &v, &size);
        return v;
    }

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
    EXPECT_FALSE(Stored(L"DelayTime").has_value());  // NoSave: nothing stored, not even the key

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
        ASSERT_TRUE(Stored(name).has_value()) << name;
        EXPECT_EQ(Stored(name)->first, static_cast<DWORD>(REG_DWORD)) << name;
    }
    EXPECT_EQ(Stored(L"ButtonFaceBmp")->first, static_cast<DWORD>(REG_SZ));
    EXPECT_GE(Stored(L"ButtonFaceBmp")->second, 14u * sizeof(wchar_t));
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
    EXPECT_EQ(Stored(L"DelayTime")->first, static_cast<DWORD>(REG_DWORD));
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
    EXPECT_EQ(Stored(L"ButtonFaceBmp")->first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Stored(L"ButtonFaceBmp")->second, sizeof(wchar_t)) << "an empty text is written as its NUL";
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
    fw::Registry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_EQ(reg.ReadString(L"InstallFolder"), std::wstring(exe));
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
