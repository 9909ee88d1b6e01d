// The menus in the user's colour scheme, as the display shows them: the light scheme as always, the dark
// app theme and high contrast switched while a menu is open (the registry value or the system setting
// changed and the change broadcast, as Windows does), with every row's text readable on its background.
#include "support/popup/MenuTest.h"

#include "popup/ColorScheme.h"
#include "popup/PopupButton.h"
#include "support/AppTheme.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using popuptest::AddCaptioned;
using popuptest::Rgb;
using popuptest::ScreenGrab;
using popuptest::ScreenRect;

using qbtest::AppTheme;
using qbtest::Luminance;

qbtest::TextLook LookOf(const TPopupButtonBase* e) {
    return qbtest::LookOf(ScreenRect(e, 1));
}

class ColorScheme : public popuptest::MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        AppTheme::SetLight(true);
    }
    void TearDown() override {
        SetHighContrast(false);
        TColorScheme::HighContrastProbe = nullptr;
        MenuTest::TearDown();
    }
    static void SetHighContrast(bool on) {
        HIGHCONTRASTW contrast{};
        contrast.cbSize = sizeof(contrast);
        contrast.dwFlags = on ? HCF_HIGHCONTRASTON : 0;
        ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, SPIF_SENDCHANGE);
        AppTheme::Broadcast(SPI_SETHIGHCONTRAST, nullptr);
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
            const qbtest::TextLook look = LookOf(e);
            EXPECT_GE(look.Contrast(), 4.5)
                << scheme << ": " << *e->CaptionText() << " " << look.ink << " on " << look.back;
        }
    }

    TPopupButton* hot_ = nullptr;
    std::vector<TPopupButton*> hotRows_;
    const AppTheme theme_;  // the user's theme comes back at the end
};

TEST_F(ColorScheme, AnOpenMenuTurnsDarkAndBackWithEveryRowReadable) {
    TPopupMenuBase* w = ShowRows();
    Highlight();
    const TPopupButtonBase* plain = w->ButtonManager->Entries(0);
    EXPECT_EQ(LookOf(plain).back, popuptest::SysRgb(COLOR_BTNFACE)) << "the light scheme is as it was";
    EXPECT_EQ(LookOf(hot_).back, (Rgb{0, 0, 128}));

    AppTheme::SetLight(false);
    Highlight();
    EXPECT_LT(Luminance(LookOf(plain).back), 0.05) << LookOf(plain).back;
    const Rgb hot = LookOf(hot_).back;
    EXPECT_GT(hot.b, hot.r + 60) << "the hot row stays navy: " << hot;
    ExpectReadable(w, "dark");

    AppTheme::SetLight(true);
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
        AppTheme::Broadcast(SPI_SETHIGHCONTRAST, nullptr);
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
