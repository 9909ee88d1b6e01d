// The app theme the user picks in the system's settings (light or dark), set for a test as Windows sets
// it: the registry value written and the change broadcast to every window. The value the user had comes
// back at the end.
#pragma once

#include "support/TestSupport.h"

#include <windows.h>

#include <chrono>

namespace qbtest {

class AppTheme {
public:
    AppTheme() {
        DWORD size = sizeof(saved_);
        had_ = ::RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &saved_, &size) ==
               ERROR_SUCCESS;
    }
    ~AppTheme() {
        if (had_) {
            ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &saved_, sizeof(saved_));
        } else {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
        }
        Broadcast(0, L"ImmersiveColorSet");
    }
    AppTheme(const AppTheme&) = delete;
    AppTheme& operator=(const AppTheme&) = delete;

    static void SetLight(bool light) {
        const DWORD value = light ? 1 : 0;
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &value, sizeof(value));
        Broadcast(0, L"ImmersiveColorSet");
    }
    // A change of the system's settings told to every top-level window, and a moment to repaint.
    static void Broadcast(WPARAM what, const wchar_t* area) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, what, reinterpret_cast<LPARAM>(area),
                              SMTO_ABORTIFHUNG, 2000, &result);
        PumpFor(std::chrono::milliseconds(200));
    }

private:
    static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    static constexpr wchar_t kValue[] = L"AppsUseLightTheme";
    DWORD saved_ = 1;
    bool had_ = false;
};

}  // namespace qbtest
