#include "framework/Registry.h"

#include <vector>

namespace fw {

Registry::Registry(HKEY root, REGSAM access) noexcept : root_(root), access_(access) {}

bool Registry::OpenKey(const std::wstring& path, bool canCreate) noexcept {
    CloseKey();
    LSTATUS status;
    if (canCreate) {
        status = ::RegCreateKeyExW(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                                   key_.put(), nullptr);
    } else {
        status = ::RegOpenKeyExW(root_, path.c_str(), 0, access_, key_.put());
    }
    if (status != ERROR_SUCCESS) key_.release();
    return status == ERROR_SUCCESS;
}

std::optional<int> Registry::ReadInteger(const std::wstring& name) const {
    if (!key_) return std::nullopt;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type != REG_DWORD || size != sizeof(value)) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::wstring> Registry::ReadString(const std::wstring& name) const {
    if (!key_) return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    const LSTATUS status = ::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::wstring();
    if (status != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    if (size == 0) return std::wstring();
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    if (::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &got) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    buffer[got / sizeof(wchar_t)] = L'\0';
    return std::wstring(buffer.data());  // up to the first NUL
}

bool Registry::WriteInteger(const std::wstring& name, int value) const noexcept {
    if (!key_) return false;
    const DWORD data = static_cast<DWORD>(value);
    return ::RegSetValueExW(key_.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof(data)) == ERROR_SUCCESS;
}

bool Registry::WriteString(const std::wstring& name, const std::wstring& value) const noexcept {
    if (!key_) return false;
    // With its terminating NUL, as other programs that read the value expect (c_str() holds one).
    return ::RegSetValueExW(key_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool Registry::ValueExists(const std::wstring& name) const noexcept {
    if (!key_) return false;
    return ::RegQueryValueExW(key_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool Registry::DeleteValue(const std::wstring& name) const noexcept {
    if (!key_) return false;
    return ::RegDeleteValueW(key_.get(), name.c_str()) == ERROR_SUCCESS;
}

bool Registry::DeleteKeyTree(HKEY root, const std::wstring& path) noexcept {
    // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
    if (::RegDeleteTreeW(root, path.c_str()) != ERROR_SUCCESS) return false;
    return ::RegDeleteKeyW(root, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace fw
