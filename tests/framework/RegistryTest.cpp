// Registry values read and written under a scratch key of HKEY_CURRENT_USER.
#include "framework/Registry.h"

#include <gtest/gtest.h>

namespace {

class RegistryTest : public testing::Test {
protected:
    static constexpr wchar_t kKey[] = L"Software\\QuillbrookTest\\Registry";
    void SetUp() override { fw::Registry::DeleteKeyTree(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { fw::Registry::DeleteKeyTree(HKEY_CURRENT_USER, kKey); }

    static void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(
            ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        ::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        ::RegCloseKey(key);
    }
};

TEST_F(RegistryTest, OpeningWithoutCreateFailsOnAMissingKey) {
    fw::Registry reg;
    EXPECT_FALSE(reg.OpenKey(kKey, false));
    EXPECT_FALSE(reg.ReadInteger(L"x").has_value());
    EXPECT_TRUE(reg.OpenKey(kKey, true));
    fw::Registry again;
    EXPECT_TRUE(again.OpenKey(kKey, false));
}

TEST_F(RegistryTest, IntegersMustBeDwords) {
    const DWORD dword = 0xFFFFFFFF;
    SetRaw(L"dword", REG_DWORD, &dword, sizeof(dword));
    SetRaw(L"text", REG_SZ, L"12", 6);
    const unsigned long long qword = 5;
    SetRaw(L"qword", REG_QWORD, &qword, sizeof(qword));

    fw::Registry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_EQ(reg.ReadInteger(L"dword"), -1);
    EXPECT_FALSE(reg.ReadInteger(L"text").has_value());
    EXPECT_FALSE(reg.ReadInteger(L"qword").has_value());
    EXPECT_FALSE(reg.ReadInteger(L"missing").has_value());
}

TEST_F(RegistryTest, StringsReadByTheirRules) {
    SetRaw(L"sz", REG_SZ, L"C:\\絵\\face.bmp", 28);
    SetRaw(L"expand", REG_EXPAND_SZ, L"%TEMP%\\a\0tail", 26);
    SetRaw(L"empty", REG_SZ, L"", 0);
    const BYTE bytes[] = {1, 2};
    SetRaw(L"binary", REG_BINARY, bytes, sizeof(bytes));
    const DWORD dword = 1;
    SetRaw(L"dword", REG_DWORD, &dword, sizeof(dword));

    fw::Registry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_EQ(reg.ReadString(L"sz"), L"C:\\絵\\face.bmp");
    EXPECT_EQ(reg.ReadString(L"expand"), L"%TEMP%\\a");  // not expanded, cut at the NUL
    EXPECT_EQ(reg.ReadString(L"empty"), L"");
    EXPECT_EQ(reg.ReadString(L"missing"), L"");
    EXPECT_FALSE(reg.ReadString(L"binary").has_value());
    EXPECT_FALSE(reg.ReadString(L"dword").has_value());
}

TEST_F(RegistryTest, StringsAndIntegersAreWrittenWithTheirTypes) {
    fw::Registry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    ASSERT_TRUE(reg.WriteString(L"name", L"日本語"));
    ASSERT_TRUE(reg.WriteString(L"blank", L""));
    ASSERT_TRUE(reg.WriteInteger(L"number", -5));

    DWORD type = 0, size = 0;
    wchar_t data[16] = {};
    size = sizeof(data);
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kKey, L"name", RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    HKEY key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    // With the terminating NUL, which other programs reading the value rely on.
    size = 0;
    ::RegQueryValueExW(key, L"name", nullptr, &type, nullptr, &size);
    EXPECT_EQ(size, 8u);
    size = 99;
    ::RegQueryValueExW(key, L"blank", nullptr, &type, nullptr, &size);
    EXPECT_EQ(size, 2u);
    DWORD number = 0;
    size = sizeof(number);
    ::RegQueryValueExW(key, L"number", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, 0xFFFFFFFBu);
    ::RegCloseKey(key);
    EXPECT_EQ(reg.ReadString(L"name"), L"日本語");
}

}  // namespace
