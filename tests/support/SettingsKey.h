// The program's settings key (HKEY_CURRENT_USER\Software\Quillbrook) for tests: emptied before a test
// and removed after it, with what tests write into it and read back from it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

namespace qbtest {

inline constexpr wchar_t kSettingsKey[] = L"Software\\Quillbrook";

// Removes the key when made and when gone.
class ScratchSettings {
public:
    ScratchSettings();
    ~ScratchSettings();
    ScratchSettings(const ScratchSettings&) = delete;
    ScratchSettings& operator=(const ScratchSettings&) = delete;

    // Removes the key now (a test that starts over half-way).
    static void Clear();
    // Writes a value of any type and size, creating the key.
    static void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size);
    static void SetDword(const wchar_t* name, DWORD value);
    // A REG_SZ with its terminating NUL.
    static void SetString(const wchar_t* name, const std::wstring& value);

    // A stored REG_DWORD, or nothing (missing or of another type).
    static std::optional<DWORD> Dword(const wchar_t* name);
    // A stored REG_SZ or REG_EXPAND_SZ up to its first NUL, or nothing.
    static std::optional<std::wstring> String(const wchar_t* name);
    // Type and size in bytes of a stored value, if it exists.
    static std::optional<std::pair<DWORD, DWORD>> TypeAndSize(const wchar_t* name);
    static bool Stored(const wchar_t* name) { return TypeAndSize(name).has_value(); }
};

// A test that starts with no settings and leaves none behind; the key's helpers are its own.
class SettingsTest : public testing::Test, protected ScratchSettings {};

}  // namespace qbtest
