// The menus in the user's colour scheme, as the display shows them: the light scheme as always, the dark
// app theme and high contrast switched while a menu is open (the registry value or the system setting
// changed and the change broadcast, as Windows does), with every row's text readable on its background.
#include "support/popup/MenuTest.h"

#include "popup/ColorScheme.h"
#include "popup/PopupButton.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using popuptest::AddCaptioned;
using popuptest::Rgb;
using popuptest::ScreenGrab;
using popuptest::ScreenRect;

constexpr wchar_t kPersonalize[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

double Luminance(Rgb c) {
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}
double Contrast(Rgb a, Rgb b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A row as the screen shows it: its background (the most common colour) and its text's strongest ink
// (the pixel that differs most from the background; smoothed glyphs have fully covered pixels too).
struct RowLook {
    Rgb back;
    Rgb ink;
};
RowLook LookOf(const TPopupButtonBase* e) {
    const RECT r = ScreenRect(e, 1);
    const ScreenGrab grab(r);
    std::vector<std::pair<Rgb, int>> counts;
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) {
            const Rgb c = grab.At(POINT{x, y});
            auto it = std::find_if(counts.begin(), counts.end(), [c](const auto& p) { return p.first == c; });
            if (it == counts.end()) {
                counts.emplace_back(c, 1);
            } else {
                ++it->second;
            }
        }
    }
    RowLook look;
    int most = 0;
    for (const auto& [c, n] : counts) {
        if (n > most) most = n, look.back = c;
    }
    double strongest = 0;
    for (const auto& [c, n] : counts) {
        if (Contrast(c, look.back) > strongest) strongest = Contrast(c, look.back), look.ink = c;
    }
    return look;
}

class ColorScheme : public popuptest::MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        DWORD size = sizeof(savedTheme_);
        hadTheme_ = ::RegGetValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", RRF_RT_REG_DWORD,
                                   nullptr, &savedTheme_, &size) == ERROR_SUCCESS;
        SetLightApps(true);
    }
    void TearDown() override {
        SetHighContrast(false);
        TColorScheme::HighContrastProbe = nullptr;
        if (hadTheme_) {
            ::RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", REG_DWORD, &savedTheme_,
                              sizeof(savedTheme_));
        } else {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme");
        }
        Broadcast(0, L"ImmersiveColorSet");
        MenuTest::TearDown();
    }
    // What Windows does when the user picks the app theme in the settings.
    static void SetLightApps(bool light) {
        const DWORD value = light ? 1 : 0;
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", REG_DWORD, &value,
                          sizeof(value));
        Broadcast(0, L"ImmersiveColorSet");
    }
    static void SetHighContrast(bool on) {
        HIGHCONTRASTW contrast{};
        contrast.cbSize = sizeof(contrast);
        contrast.dwFlags = on ? HCF_HIGHCONTRASTON : 0;
        ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, SPIF_SENDCHANGE);
        Broadcast(SPI_SETHIGHCONTRAST, nullptr);
    }
    static void Broadcast(WPARAM what, const wchar_t* area) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, what, reinterpret_cast<LPARAM>(area),
                              SMTO_ABORTIFHUNG, 2000, &result);
        qbtest::PumpFor(std::chrono::milliseconds(200));
    }

    // A window with a plain row, a highlighted one, and a row in each item colour, highlighted or not.
    TPopupMenuBase* ShowRows() {
        TPopupMenuBase* w = NewWindow();
        TPopupButtonManager& m = *w->ButtonManager;
        AddCaptioned(m, new TPopupButton, L"普通の行 Normal");
        hot_ = AddCaptioned(m, new TPopupButton, L"選ばれた行 Hot");
        for (const fw::Color c : {TItemColors::kReadOnly, TItemColors::kLink, TItemColors::kShare,
                                  TItemColors::kSystem, TItemColors::kHidden}) {
            for (int hot = 0; hot < 2; ++hot) {
                auto* row = new TPopupButton;
                row->GetFont().SetColor(c);
                row->HotColor = c;  // as a shell item's row: its hot background is its colour
                AddCaptioned(m, row, L"色の行 Coloured");
                if (hot) hotRows_.push_back(row);
            }
        }
        popuptest::MenuTest::ShowAt(w, 100, 100);
        return w;
    }
    void Highlight() {
        hot_->SetHighlight(true);
        for (TPopupButton* row : hotRows_) row->SetHighlight(true);
        qbtest::PumpFor(std::chrono::milliseconds(100));
    }
    // Every row's text reaches 4.5:1 against its background.
    static void ExpectReadable(TPopupMenuBase* w, const char* scheme) {
        for (TPopupButtonBase* e : *w->ButtonManager) {
            const RowLook look = LookOf(e);
            EXPECT_GE(Contrast(look.ink, look.back), 4.5)
                << scheme << ": " << *e->CaptionText() << " " << look.ink << " on " << look.back;
        }
    }

    TPopupButton* hot_ = nullptr;
    std::vector<TPopupButton*> hotRows_;

private:
    DWORD savedTheme_ = 1;
    bool hadTheme_ = false;
};

TEST_F(ColorScheme, AnOpenMenuTurnsDarkAndBackWithEveryRowReadable) {
    TPopupMenuBase* w = ShowRows();
    Highlight();
    const TPopupButtonBase* plain = w->ButtonManager->Entries(0);
    EXPECT_EQ(LookOf(plain).back, popuptest::SysRgb(COLOR_BTNFACE)) << "the light scheme is as it was";
    EXPECT_EQ(LookOf(hot_).back, (Rgb{0, 0, 128}));

    SetLightApps(false);
    Highlight();
    EXPECT_LT(Luminance(LookOf(plain).back), 0.05) << LookOf(plain).back;
    const Rgb hot = LookOf(hot_).back;
    EXPECT_GT(hot.b, hot.r + 60) << "the hot row stays navy: " << hot;
    ExpectReadable(w, "dark");

    SetLightApps(true);
    EXPECT_EQ(LookOf(plain).back, popuptest::SysRgb(COLOR_BTNFACE));
}

TEST_F(ColorScheme, HighContrastDrawsWithTheSystemColoursOnly) {
    TPopupMenuBase* w = ShowRows();
    SetHighContrast(true);
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0);
    if (!(contrast.dwFlags & HCF_HIGHCONTRASTON)) {
        // Wine does not keep the setting: the system's answer is stood in for, and the change told alike.
        TColorScheme::HighContrastProbe = []() noexcept { return true; };
        Broadcast(SPI_SETHIGHCONTRAST, nullptr);
    }
    Highlight();
    EXPECT_EQ(LookOf(w->ButtonManager->Entries(0)).back, popuptest::SysRgb(COLOR_MENU));
    EXPECT_EQ(LookOf(hot_).back, popuptest::SysRgb(COLOR_HIGHLIGHT));
    EXPECT_EQ(LookOf(hotRows_.front()).back, popuptest::SysRgb(COLOR_HIGHLIGHT)) << "no item colours";
    // Hidden items keep a colour of their own: the system's grey text.
    const TPopupButtonBase* hidden = w->ButtonManager->Entries(w->ButtonManager->EntryCount() - 2);
    EXPECT_EQ(LookOf(hidden).ink, popuptest::SysRgb(COLOR_GRAYTEXT));
}

}  // namespace
