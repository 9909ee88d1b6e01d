// The registry class: one open key at a time under a root key (HKEY_CURRENT_USER unless told
// otherwise), opened with full access. Reads and writes report failure by their result and never throw.
//
// Read rules:
// - ReadInteger succeeds only for an existing REG_DWORD value.
// - ReadString gives the empty text for a missing value or empty data, accepts REG_SZ and REG_EXPAND_SZ
//   (up to the first NUL, not expanded) and fails for every other type.
// Write rules: integers as REG_DWORD; strings as REG_SZ whose data is the UTF-16 text with its
// terminating NUL (the empty text gives the NUL alone). Reading takes data with or without one.
#pragma once

#include "framework/UniqueAny.h"

#include <optional>
#include <string>

namespace fw {

class Registry {
public:
    explicit Registry(HKEY root = HKEY_CURRENT_USER, REGSAM access = KEY_ALL_ACCESS) noexcept;

    bool OpenKey(const std::wstring& path, bool canCreate) noexcept;
    void CloseKey() noexcept { key_.reset(); }
    bool IsOpen() const noexcept { return static_cast<bool>(key_); }

    std::optional<int> ReadInteger(const std::wstring& name) const;
    std::optional<std::wstring> ReadString(const std::wstring& name) const;
    bool WriteInteger(const std::wstring& name, int value) const noexcept;
    bool WriteString(const std::wstring& name, const std::wstring& value) const noexcept;
    bool ValueExists(const std::wstring& name) const noexcept;
    bool DeleteValue(const std::wstring& name) const noexcept;

    // Removes a key and everything below it.
    static bool DeleteKeyTree(HKEY root, const std::wstring& path) noexcept;

private:
    HKEY root_;
    REGSAM access_;
    unique_hkey key_;
};

}  // namespace fw
