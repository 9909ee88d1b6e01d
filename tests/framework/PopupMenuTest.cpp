#include "framework/PopupMenu.h"

#include "support/Input.h"
#include "support/NestedStep.h"
#include "support/ScreenGrab.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// What the user does while the menu is open: wait for it to show, note where, press a key. Gives up
// with EndMenu so that a failing test cannot hang.
struct MenuUser {
    WORD key = 0;
    std::function<void(HWND menuWindow)> seen;
    RECT rect{};

    std::unique_ptr<qbtest::NestedStep> Start() {
        return std::make_unique<qbtest::NestedStep>(
            [this] {
                HWND menu = qbtest::FindThreadWindow(L"#32768");
                if (!menu) return false;
                ::GetWindowRect(menu, &rect);
                if (seen) seen(menu);
                if (key) qbtest::TapKey(key);
                return true;
            },
            [] { ::EndMenu(); });
    }
};

// A menu as the tray icon builds it, recording the items clicked.
class TrayMenu : public testing::Test {
protected:
    void SetUp() override {
        qbtest::MoveMouseTo(POINT{5, 5});  // away from where the menu opens
        menu_ = std::make_unique<fw::PopupMenu>(nullptr);
        for (const wchar_t* caption : {L"開く(&O)", L"設定(&S)...", L"終了(&X)"}) {
            if (caption[1] == L'了') menu_->AddSeparator();
            menu_->AddItem(caption, [this, caption](fw::PopupMenu& sender) {
                EXPECT_EQ(&sender, menu_.get());
                // The menu has closed before the item runs.
                EXPECT_EQ(qbtest::FindThreadWindow(L"#32768"), nullptr);
                clicked_.push_back(caption);
            });
        }
    }

    std::unique_ptr<fw::PopupMenu> menu_;
    std::vector<std::wstring> clicked_;
};

TEST_F(TrayMenu, ShowsAtThePointAndAnAcceleratorRunsItsItemOnce) {
    ASSERT_EQ(menu_->Count(), 4);
    MenuUser user{'S'};
    auto step = user.Start();
    EXPECT_TRUE(menu_->Popup(300, 200, nullptr));
    EXPECT_FALSE(step->TimedOut());
    EXPECT_LE(std::abs(user.rect.left - 300), 4);
    EXPECT_LE(std::abs(user.rect.top - 200), 4);
    EXPECT_GT(user.rect.bottom - user.rect.top, 40);
    EXPECT_EQ(clicked_, (std::vector<std::wstring>{L"設定(&S)..."}));

    // Escape closes it without a click.
    MenuUser escaper{VK_ESCAPE};
    step = escaper.Start();
    EXPECT_FALSE(menu_->Popup(300, 200, nullptr));
    EXPECT_FALSE(step->TimedOut());
    EXPECT_EQ(clicked_.size(), 1u);
    EXPECT_EQ(qbtest::FindThreadWindow(L"#32768"), nullptr);
}

TEST_F(TrayMenu, TheDefaultItemIsDrawnBold) {
    // The same item, drawn once plain and once as the default: bold text has more ink.
    auto inkOfFirstItem = [&](int defaultItem) {
        menu_->SetDefaultItem(defaultItem);
        int ink = -1;
        MenuUser user{VK_ESCAPE};
        user.seen = [&](HWND menuWindow) {
            qbtest::PumpFor(100ms);  // painted
            RECT item{};
            if (!::GetMenuItemRect(menuWindow, menu_->Handle(), 0, &item)) return;
            // Ink: how much darker than the item's background its pixels are, summed.
            const qbtest::ScreenGrab grab(item);
            const qbtest::Rgb back = grab.At(POINT{item.left + 1, item.top + 1});
            const int backSum = back.r + back.g + back.b;
            ink = 0;
            grab.Count(item, [&](qbtest::Rgb c) {
                ink += std::max(0, backSum - (c.r + c.g + c.b));
                return false;
            });
        };
        auto step = user.Start();
        menu_->Popup(300, 200, nullptr);
        return ink;
    };
    const int plain = inkOfFirstItem(-1);
    const int bold = inkOfFirstItem(0);
    ASSERT_GT(plain, 1000);  // some text was read
    EXPECT_GT(bold, plain * 3 / 2) << "plain " << plain << ", bold " << bold;
    EXPECT_TRUE(clicked_.empty());
}

int g_deletedMenus = 0;
class CountedMenu : public fw::PopupMenu {
public:
    using fw::PopupMenu::PopupMenu;
    ~CountedMenu() override { ++g_deletedMenus; }
};

TEST(PopupMenu, FreedByItsOwnItemOrWhileOpenItGoesWhenPopupReturns) {
    g_deletedMenus = 0;
    auto* menu = new CountedMenu(nullptr);
    menu->AddItem(L"閉じる(&C)", [](fw::PopupMenu& sender) {
        sender.Free();
        EXPECT_EQ(g_deletedMenus, 0);
    });
    MenuUser user{'C'};
    auto step = user.Start();
    EXPECT_TRUE(menu->Popup(200, 150, nullptr));
    EXPECT_EQ(g_deletedMenus, 1);

    // Freed from the queue while the user looks at it (its owner went): the menu closes by itself and
    // no item runs.
    g_deletedMenus = 0;
    auto* owner = new fw::Component(nullptr);
    menu = new CountedMenu(owner);
    bool clicked = false;
    menu->AddItem(L"項目(&I)", [&](fw::PopupMenu&) { clicked = true; });
    MenuUser freer;
    freer.seen = [&](HWND) {
        delete owner;
        EXPECT_EQ(g_deletedMenus, 0);
    };
    step = freer.Start();
    EXPECT_FALSE(menu->Popup(200, 150, nullptr));
    EXPECT_FALSE(step->TimedOut());
    EXPECT_EQ(g_deletedMenus, 1);
    EXPECT_FALSE(clicked);
}

}  // namespace
