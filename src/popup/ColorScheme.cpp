#include "popup/ColorScheme.h"

#include <dwmapi.h>
#include <uxtheme.h>

namespace {

// The dark scheme's twins of the item colours: the same hue, light enough to be read on the dark face
// (and the face colour on them, as a hot row shows it) at a contrast of at least 4.5:1.
struct Twin {
    fw::Color light;
    fw::Color dark;
};
constexpr Twin kItemTwins[] = {
    {TItemColors::kReadOnly, 0x006EC86E}, {TItemColors::kLink, 0x00C8C850},
    {TItemColors::kShare, 0x0050BEC8},    {TItemColors::kSystem, 0x007878F5},
    {TItemColors::kHidden, 0x00969696},
};

const Twin* TwinOf(fw::Color color) noexcept {
    for (const Twin& twin : kItemTwins) {
        if (twin.light == color) return &twin;
    }
    return nullptr;
}

bool DarkAppsChosen() noexcept {
    DWORD light = 1;
    DWORD size = sizeof(light);
    if (::RegGetValueW(HKEY_CURRENT_USER,
                       L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                       L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size) != ERROR_SUCCESS)
        return false;
    return light == 0;
}

bool HighContrastOn() noexcept {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// Windows 10 from 20H1 on names the dark caption attribute 20, earlier builds 19; elsewhere both fail.
constexpr DWORD kDarkCaption = 20;
constexpr DWORD kDarkCaptionBefore20H1 = 19;
constexpr DWORD kDarkField = 0x002D2D2D;

DWORD WindowsBuild() noexcept {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto get =
        ntdll
            ? reinterpret_cast<GetVersion>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!get || get(&version) != 0 || version.dwMajorVersion < 10) return 0;
    return version.dwBuildNumber;
}

// The process's menus drawn by the system (the tray menu, context menus) follow the dark theme through
// the theme library's unnamed entries of Windows 10 1903 and later (SetPreferredAppMode, FlushMenuThemes);
// elsewhere nothing is called, for the numbers may name other entries.
void SetSystemMenusDark(bool dark) noexcept {
    static const DWORD build = WindowsBuild();
    if (build < 18362) return;
    const HMODULE theme = ::GetModuleHandleW(L"uxtheme.dll");
    if (!theme) return;
    using SetPreferredAppMode = int(WINAPI*)(int);
    using FlushMenuThemes = void(WINAPI*)();
    const auto setMode = reinterpret_cast<SetPreferredAppMode>(
        reinterpret_cast<void*>(::GetProcAddress(theme, MAKEINTRESOURCEA(135))));
    const auto flush = reinterpret_cast<FlushMenuThemes>(
        reinterpret_cast<void*>(::GetProcAddress(theme, MAKEINTRESOURCEA(136))));
    if (!setMode || !flush) return;
    setMode(dark ? 2 : 0);  // force dark, or the default
    flush();
}

bool IsCheckBox(HWND control) noexcept {
    wchar_t name[16]{};
    if (!::GetClassNameW(control, name, 16) || ::lstrcmpiW(name, L"Button") != 0) return false;
    const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
           type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

}  // namespace

TColorScheme& TColorScheme::Menus() {
    static TColorScheme scheme;
    return scheme;
}

bool TColorScheme::Refresh() {
    const TSchemeKind before = kind_;
    if (HighContrastProbe ? HighContrastProbe() : HighContrastOn()) {
        kind_ = TSchemeKind::HighContrast;
    } else {
        kind_ = DarkAppsChosen() ? TSchemeKind::Dark : TSchemeKind::Light;
    }
    if (kind_ != before || (first_ && kind_ == TSchemeKind::Dark))
        SetSystemMenusDark(kind_ == TSchemeKind::Dark);
    first_ = false;
    return kind_ != before;
}

bool TColorScheme::MayChange(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    // Not WM_THEMECHANGED: dressing a window (SetWindowTheme) sends it that very message.
    if (msg == WM_SYSCOLORCHANGE) return true;
    if (msg != WM_SETTINGCHANGE) return false;
    if (wParam == SPI_SETHIGHCONTRAST) return true;
    const auto* area = reinterpret_cast<const wchar_t*>(lParam);
    return area && ::lstrcmpW(area, L"ImmersiveColorSet") == 0;
}

COLORREF TColorScheme::Resolve(fw::Color color) const noexcept {
    switch (kind_) {
        case TSchemeKind::Light:
            break;
        case TSchemeKind::Dark:
            if (color == fw::clBtnFace) return kDarkFace;
            if (color == fw::clWindowText || color == fw::SystemColor(COLOR_BTNTEXT)) return kDarkText;
            if (color == fw::clBtnShadow) return kDarkShadow;
            if (color == fw::clBtnHighlight) return kDarkLight;
            if (color == fw::clNavy) return kDarkHot;
            if (color == fw::SystemColor(COLOR_WINDOW)) return kDarkField;
            if (const Twin* twin = TwinOf(color)) return twin->dark;
            break;
        case TSchemeKind::HighContrast:
            // The system's colours only: the menu's own, grey text for hidden items, no item colours.
            if (color == fw::clBtnFace) return ::GetSysColor(COLOR_MENU);
            if (color == fw::clWindowText || color == fw::SystemColor(COLOR_BTNTEXT))
                return ::GetSysColor(COLOR_MENUTEXT);
            if (color == TItemColors::kHidden) return ::GetSysColor(COLOR_GRAYTEXT);
            if (TwinOf(color)) return ::GetSysColor(COLOR_MENUTEXT);
            if (color == fw::clNavy) return ::GetSysColor(COLOR_HIGHLIGHT);
            break;
    }
    return fw::ColorToRGB(color);
}

fw::Color TColorScheme::HotBack(fw::Color hot) const noexcept {
    if (kind_ == TSchemeKind::HighContrast) return fw::SystemColor(COLOR_HIGHLIGHT);
    return hot;
}

fw::Color TColorScheme::HotText(fw::Color hot) const noexcept {
    switch (kind_) {
        case TSchemeKind::Light:
            return fw::clWhite;
        case TSchemeKind::Dark:
            // An item's colour is light in the dark scheme: the face's colour is read on it.
            return TwinOf(hot) ? kDarkFace : fw::clWhite;
        case TSchemeKind::HighContrast:
            return fw::SystemColor(COLOR_HIGHLIGHTTEXT);
    }
    return fw::clWhite;
}

void TColorScheme::Dress(HWND window) const noexcept {
    if (!window) return;
    const BOOL dark = kind_ == TSchemeKind::Dark;
    // The dark scroll bar theme where the platform has one; the usual one otherwise.
    ::SetWindowTheme(window, dark ? L"DarkMode_Explorer" : nullptr, nullptr);
    if (FAILED(::DwmSetWindowAttribute(window, kDarkCaption, &dark, sizeof(dark))))
        ::DwmSetWindowAttribute(window, kDarkCaptionBefore20H1, &dark, sizeof(dark));
    ::EnumChildWindows(
        window,
        [](HWND control, LPARAM self) -> BOOL {
            reinterpret_cast<const TColorScheme*>(self)->DressControl(control);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
}

void TColorScheme::DressControl(HWND control) const noexcept {
    if (!control) return;
    const bool light = kind_ == TSchemeKind::Light;
    if (IsCheckBox(control)) {
        // A themed check box draws its text black whatever it is told; the classic one takes the scheme's.
        ::SetWindowTheme(control, light ? nullptr : L"", light ? nullptr : L"");
        return;
    }
    ::SetWindowTheme(control, kind_ == TSchemeKind::Dark ? L"DarkMode_Explorer" : nullptr, nullptr);
}
