// A folder window on a real folder from the keyboard alone: the rename box on F2, the shell's context menu
// on the Apps key and Shift+F10 placed at the item, and the highlight kept when F5 lists the folder again.
#include "filers/SubFolderFiler.h"
#include "support/operations/ShellEntryTest.h"

#include <cstdlib>

namespace {

using popuptest::HotCaption;
using popuptest::Press;

class KeyboardFolder : public optest::ShellEntryTest {};

TEST_F(KeyboardFolder, F2AppsShiftF10AndF5ActOnTheHighlightedItem) {
    MakeItem(L"sub", true);
    MakeItem(L"memo.txt");
    TSubFolderFiler* w = TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
    ASSERT_NE(w, nullptr);
    ShowAt(w, 200, 150);
    w->TakeFocus(false);
    ASSERT_TRUE(qbtest::WaitUntil([w] { return w->Focused(); }));

    // F2: the rename box, which keeps the letters typed into it; Escape gives the keys back to the window.
    Press('M');
    auto* memo = dynamic_cast<TFileObject*>(w->ButtonManager->HotEntry());
    ASSERT_TRUE(memo && memo->Caption() == L"memo.txt");
    Press(VK_F2);
    ASSERT_NE(memo->EditBox, nullptr) << "F2 opened no rename box";
    EXPECT_TRUE(memo->EditBox->Focused());
    Press('S');
    EXPECT_NE(memo->EditBox->Text(), L"memo.txt");
    EXPECT_EQ(HotCaption(w), L"memo.txt") << "a letter for the rename box moved the highlight";
    Press(VK_ESCAPE);
    EXPECT_FALSE(memo->EditBox->Visible());
    EXPECT_TRUE(w->Focused());

    // The context menu opens under the item, not at the mouse (parked in the corner).
    const RECT item = popuptest::ScreenRect(memo);
    for (WORD modifier : {WORD{0}, WORD{VK_SHIFT}}) {
        RECT menu{};
        qbtest::NestedStep step(
            [&] {
                const HWND shown = qbtest::FindThreadWindow(L"#32768");
                if (!shown) return false;
                ::GetWindowRect(shown, &menu);
                ::EndMenu();
                return true;
            },
            [] { ::EndMenu(); });
        Press(modifier ? VK_F10 : VK_APPS, modifier);
        ASSERT_TRUE(qbtest::WaitUntil([&] { return step.Done(); }))
            << "no context menu, modifier " << modifier;
        EXPECT_TRUE(std::abs(menu.top - item.bottom) <= 2 && menu.left >= item.left &&
                    menu.left < item.left + 40);
    }

    // F5 lists the folder again; the highlight stays on the item.
    int changes = 0;
    w->ButtonManager->OnHighlightChange = [&](TPopupButtonManager&) { ++changes; };
    Press(VK_F5);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return changes >= 2; }));
    EXPECT_EQ(HotCaption(w), L"memo.txt");
}

}  // namespace
