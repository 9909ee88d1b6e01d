#include "support/SettingsKey.h"

#include "framework/Registry.h"
#include "framework/UniqueAny.h"

#include <vector>

namespace qbtest {

ScratchSettings::ScratchSettings() {
    Clear();
}

ScratchSettings::~ScratchSettings() {
    Clear();
}

void ScratchSettings::Clear() {
    fw::Registry::DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKey);
}

void ScratchSettings::SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    fw::unique_hkey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
}

void ScratchSettings::SetDword(const wchar_t* name, DWORD value) {
    SetRaw(name, REG_DWORD, &value, sizeof(value));
}

void ScratchSettings::SetString(const wchar_t* name, const std::wstring& value) {
    SetRaw(name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::optional<DWORD> ScratchSettings::Dword(const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::wstring> ScratchSettings::String(const wchar_t* name) {
    const auto stored = TypeAndSize(name);
    if (!stored || (stored->first != REG_SZ && stored->first != REG_EXPAND_SZ)) return std::nullopt;
    std::vector<wchar_t> text(stored->second / sizeof(wchar_t) + 1, L'\0');
    DWORD size = stored->second;
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name,
                       RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, text.data(),
                       &size) != ERROR_SUCCESS) {
        return stored->second == 0 ? std::optional<std::wstring>(L"") : std::nullopt;
    }
    return std::wstring(text.data());
}

std::optional<std::pair<DWORD, DWORD>> ScratchSettings::TypeAndSize(const wchar_t* name) {
    fw::unique_hkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::make_pair(type, size);
}

}  // namespace qbtest
