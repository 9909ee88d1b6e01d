// A three-level cascade of tree buttons opened by resting the mouse on them, as a user does.
#include "popup/PopupBase.h"
#include "popup/SeparateBar.h"
#include "popup/TreeButton.h"
#include "support/Input.h"
#include "support/Process.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;

TTreeButton* AddTree(TPopupButtonManager& manager, const std::wstring& caption,
                     TTreeButton::FillProcType fill) {
    auto* button = new TTreeButton(std::move(fill));
    button->SetHoverDelay(100);
    button->SetCaption(caption);  // before AddEntry, which measures it
    manager.AddEntry(button);
    return button;
}

void FillLevel(TPopupButtonManager& manager, int level) {
    for (int i = 0; i < 4; ++i) {
        std::wstring caption = L"レベル" + std::to_wstring(level) + L" 項目 " + std::to_wstring(i + 1);
        if (i == 1) caption += L" (長い名前の項目)";
        TTreeButton::FillProcType next;
        if (level < 3) next = [level](TPopupButtonManager& m) { FillLevel(m, level + 1); };
        AddTree(manager, caption, next);
    }
}

POINT EntryCenter(TPopupButtonManager& manager, TPopupButtonBase* entry) {
    return manager.ClientToScreen(
        POINT{entry->Left() + entry->Width() / 2, entry->Top() + entry->Height() / 2});
}

TEST(Cascade, HoverOpensThreeLevelsBesideEachOther) {
    auto manager = std::make_unique<TPopupMenuManager>(nullptr);
    auto* top = new TPopupMenuBase(manager.get(), manager.get());
    FillLevel(*top->ButtonManager, 1);
    top->ButtonManager->FinishLayout();
    top->SetCaption(L"Quillbrook");
    top->SetLeft(60);
    top->SetTop(80);
    top->Show();
    ASSERT_TRUE(qbtest::WaitUntil([&] { return top->Visible(); }));

    // Every entry of a column is as wide as the widest one.
    int widest = 0;
    for (TPopupButtonBase* e : *top->ButtonManager) widest = std::max(widest, e->Width());
    for (TPopupButtonBase* e : *top->ButtonManager) EXPECT_EQ(e->Width(), widest);

    TPopupMenuBase* window = top;
    qbtest::MoveMouseTo(POINT{5, 5});
    for (int level = 1; level <= 3; ++level) {
        TPopupButtonBase* entry = window->ButtonManager->Entries(level - 1);
        ASSERT_NE(entry, nullptr);
        qbtest::MoveMouseTo(EntryCenter(*window->ButtonManager, entry));
        if (level == 3) break;  // the last level has no submenus
        ASSERT_TRUE(qbtest::WaitUntil([&] { return window->ChildMenu && window->ChildMenu->Visible(); }, 3s))
            << "level " << level << " did not open";
        TPopupMenuBase* child = window->ChildMenu;
        EXPECT_EQ(child->Left(), window->Left() + window->Width() - 5);
        EXPECT_EQ(child->Top(), window->Top() + entry->Top());
        EXPECT_EQ(child->Caption(), dynamic_cast<TStringButton*>(entry)->Caption());
        EXPECT_EQ(child->Owner(), window);
        window = child;
    }
    qbtest::PumpFor(300ms);

    RECT all{top->Left(), top->Top(), window->Left() + window->Width(), window->Top() + window->Height()};
    all.bottom = std::max<LONG>(all.bottom, top->Top() + top->Height());
    EXPECT_TRUE(qbtest::SaveScreenshot(all, qbtest::OutputFolder() + L"\\cascade.bmp"));

    // Escape in the middle window closes it and the one below it; the top stays.
    TPopupMenuBase* middle = top->ChildMenu;
    ASSERT_NE(middle, nullptr);
    ::PostMessageW(middle->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(
        qbtest::WaitUntil([&] { return top->ChildMenu == nullptr && manager->ComponentCount() == 1; }));
    EXPECT_TRUE(top->Visible());

    manager.reset();
}

}  // namespace
