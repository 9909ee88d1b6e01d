// Menu windows as the user sees them: where submenus open, how tall windows scroll, how a moved
// submenu leaves the cascade, and what the manager answers about the open menus.
#include "framework/Screen.h"
#include "popup/PopupBase.h"
#include "support/popup/MenuTest.h"
#include "popup/TreeButton.h"
#include "support/Input.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <type_traits>

#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;

class RootMenu : public TPopupMenuBase {
public:
    RootMenu(fw::Component* owner, fw::Component* adopter) : TPopupMenuBase(owner, adopter) {}
    bool IsRootMenu() const noexcept override { return true; }
};

void AddButtons(TPopupButtonManager& manager, int count, const std::wstring& prefix = L"項目") {
    for (int i = 0; i < count; ++i) {
        auto* b = new TPopupButton();
        b->SetCaption(prefix + L" " + std::to_wstring(i + 1));
        manager.AddEntry(b);
    }
    manager.FinishLayout();
}

TPopupMenuBase::FillProc Buttons(int count) {
    return [count](TPopupButtonManager& m) { AddButtons(m, count, L"子"); };
}

class MenuWindow : public testing::Test {
protected:
    void SetUp() override {
        manager = std::make_unique<TPopupMenuManager>(nullptr);
        work = fw::WorkArea();
    }
    void TearDown() override {
        manager.reset();
        qbtest::PumpFor(20ms);
    }
    TPopupMenuBase* NewTop(int left, int top, int entries) {
        auto* w = new TPopupMenuBase(manager.get(), manager.get());
        AddButtons(*w->ButtonManager, entries);
        w->SetLeft(left);
        w->SetTop(top);
        w->Show();
        return w;
    }
    std::unique_ptr<TPopupMenuManager> manager;
    RECT work{};
};

TEST_F(MenuWindow, ChildOpensToTheRightLevelWithItsEntryAndFlipsAtTheWorkAreaEdge) {
    TPopupMenuBase* top = NewTop(100, 120, 6);
    TPopupButtonBase* third = top->ButtonManager->Entries(2);
    TPopupMenuBase* child = top->OpenChildFor(third, Buttons(3));
    ASSERT_EQ(top->ChildMenu, child);
    EXPECT_TRUE(child->Visible());
    EXPECT_EQ(child->Left(), top->Left() + top->Width() - 5);
    EXPECT_EQ(child->Top(), top->Top() + third->Top());
    EXPECT_TRUE(child->OpensRight);
    EXPECT_EQ(child->Caption(), L"項目 3");

    // Near the right edge the child goes to the left, overlapping by 5, and its own children follow.
    TPopupMenuBase* edge = NewTop(work.right - top->Width() - 10, 120, 6);
    TPopupMenuBase* left = edge->OpenChildFor(edge->ButtonManager->Entries(0), Buttons(3));
    EXPECT_EQ(left->Left(), edge->Left() - left->Width() + 5);
    EXPECT_FALSE(left->OpensRight);
    TPopupMenuBase* further = left->OpenChildFor(left->ButtonManager->Entries(0), Buttons(2));
    EXPECT_EQ(further->Left(), left->Left() - further->Width() + 5);

    // A child that would start left of x = 0 goes to the right side whatever the right edge says.
    TPopupMenuBase* nearLeft = NewTop(20, 400, 3);
    nearLeft->OpensRight = false;
    TPopupMenuBase* right = nearLeft->OpenChildFor(nearLeft->ButtonManager->Entries(0), Buttons(2));
    EXPECT_EQ(right->Left(), nearLeft->Left() + nearLeft->Width() - 5);
    EXPECT_TRUE(right->OpensRight);

    // Opening another child releases the previous one (later, through the deferred release).
    TPopupMenuBase* second = top->OpenChildFor(top->ButtonManager->Entries(0), Buttons(1));
    EXPECT_EQ(top->ChildMenu, second);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return top->ComponentCount() == 2; }));  // container + one child
}

TEST_F(MenuWindow, ChildNearTheBottomIsMovedUpButNeverAboveZero) {
    TPopupMenuBase* top = NewTop(100, work.bottom - 120, 6);
    TPopupButtonBase* last = top->ButtonManager->Entries(5);
    TPopupMenuBase* child = top->OpenChildFor(last, Buttons(8));
    EXPECT_EQ(child->Top() + child->Height(), work.bottom);
    EXPECT_FALSE(child->VertScrollBar().IsShowing());
    EXPECT_EQ(child->ClientHeight(), child->ButtonManager->Height());
}

TEST_F(MenuWindow, TallWindowIsCutToTheWorkAreaAndScrollsWithoutNarrowingItsEntries) {
    TPopupMenuBase* top = NewTop(100, 100, 3);
    TPopupMenuBase* child = top->OpenChildFor(top->ButtonManager->Entries(1), [](TPopupButtonManager& m) {
        AddButtons(m, 200, L"スクロールする長いメニューの項目");
    });
    ASSERT_GT(child->ButtonManager->Width(), ::GetSystemMetrics(SM_CXMINTRACK));
    const int contentWidth = child->ButtonManager->Width();
    const int contentHeight = child->ButtonManager->Height();
    ASSERT_GT(contentHeight, work.bottom - work.top);
    EXPECT_EQ(child->Top(), 0);
    EXPECT_EQ(child->Height(), (work.bottom - work.top) - child->Top());
    EXPECT_TRUE(child->VertScrollBar().IsShowing());
    EXPECT_EQ(child->VertScrollBar().Range(), contentHeight);
    EXPECT_EQ(child->ClientWidth(), contentWidth);  // the window grew by the bar instead
    EXPECT_EQ(child->ButtonManager->ColumnCount(), 0);

    // Scrolling moves the content; a grandchild lines up with its entry where the user sees it.
    child->VertScrollBar().SetPosition(160);
    EXPECT_EQ(child->VertScrollBar().Position(), 160);
    EXPECT_EQ(child->ButtonManager->Top(), -160);
    TPopupButtonBase* entry = child->ButtonManager->Entries(20);
    TPopupMenuBase* grandchild = child->OpenChildFor(entry, Buttons(2));
    EXPECT_EQ(grandchild->Top(), child->Top() + entry->Top() - 160);
    // The bar keeps the position inside the range.
    child->VertScrollBar().SetPosition(1 << 20);
    EXPECT_EQ(child->VertScrollBar().Position(), contentHeight - child->ClientHeight());
}

TEST_F(MenuWindow, AWindowWiderThanTheScreenIsCutToItWithItsCaptionEllipsizedAndItsSubmenusStayOnIt) {
    qbtest::MoveMouseTo(POINT{5, 5});
    const auto onScreen = [this](TPopupMenuBase* w) {
        return w->Left() >= work.left && w->Left() + w->Width() <= work.right;
    };
    // The longest name a file may have: 255 characters, far wider than the screen.
    const std::wstring name(255, L'川');
    TPopupMenuBase* top = NewTop(100, 100, 3);
    TPopupMenuBase* wide = top->OpenChildFor(top->ButtonManager->Entries(0), [&](TPopupButtonManager& m) {
        AddButtons(m, 2, L"子");
        AddButtons(m, 1, name);
    });
    EXPECT_TRUE(onScreen(wide)) << wide->Left() << " + " << wide->Width();
    TPopupButtonBase* named = wide->ButtonManager->Entries(2);
    EXPECT_EQ(named->Left() + named->Width(), wide->ClientWidth());

    // The caption ends in an ellipsis (small dots of ink), not in a character cut through (a stroke of 川
    // from top to bottom).
    ::UpdateWindow(wide->Handle());
    qbtest::PumpFor(50ms);
    const RECT r = popuptest::ScreenRect(named);
    const popuptest::ScreenGrab grab(r);
    const popuptest::Rgb face = popuptest::SysRgb(COLOR_BTNFACE);
    const auto ink = [face](popuptest::Rgb c) {
        return std::abs(c.r - face.r) + std::abs(c.g - face.g) + std::abs(c.b - face.b) > 90;
    };
    LONG inkRight = r.right - 1;
    while (inkRight > r.left && grab.Count(RECT{inkRight, r.top, inkRight + 1, r.bottom}, ink) == 0)
        --inkRight;
    ASSERT_GT(inkRight, (r.left + r.right) / 2);
    EXPECT_LT(grab.Count(RECT{inkRight - 3, r.top, inkRight + 1, r.bottom}, ink), named->Height() / 3)
        << "the caption is cut through a character";

    // Its submenus fit on neither side: they are pulled onto the screen, over their parent.
    TPopupMenuBase* below = wide->OpenChildFor(wide->ButtonManager->Entries(1), Buttons(3));
    EXPECT_TRUE(onScreen(below));
    EXPECT_TRUE(onScreen(below->OpenChildFor(below->ButtonManager->Entries(0), Buttons(2))));

    // Started at a point, as a one-shot window is, it is cut and pulled in the same way.
    TPopupMenuBase* oneShot = NewTop(300, 200, 0);
    AddButtons(*oneShot->ButtonManager, 1, name);
    ClampToWorkArea(oneShot);
    EXPECT_TRUE(onScreen(oneShot)) << oneShot->Left() << " + " << oneShot->Width();
}

TEST_F(MenuWindow, MovedSubmenuLeavesTheCascadeAndOutlivesItsParent) {
    TPopupMenuBase* top = NewTop(100, 100, 4);
    TPopupMenuBase* child = top->OpenChildFor(top->ButtonManager->Entries(0), Buttons(3));
    TPopupMenuBase* grandchild = child->OpenChildFor(child->ButtonManager->Entries(0), Buttons(2));
    qbtest::PumpFor(20ms);
    ASSERT_EQ(child->Owner(), top);

    // The user drags the child by its caption.
    child->SetLeft(child->Left() + 40);
    EXPECT_EQ(top->ChildMenu, nullptr);
    EXPECT_EQ(child->Owner(), manager.get());
    EXPECT_EQ(child->ChildMenu, grandchild);  // it keeps its own children
    EXPECT_EQ(manager->ComponentCount(), 2);

    // The parent opens another child, then closes: the moved window stays open.
    HWND moved = child->Handle();
    top->OpenChildFor(top->ButtonManager->Entries(1), Buttons(1));
    ::PostMessageW(top->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return manager->ComponentCount() == 1; }));
    EXPECT_TRUE(::IsWindow(moved));
    EXPECT_TRUE(::IsWindowVisible(moved));
    EXPECT_EQ(manager->Components(0), child);

    // A detached window closes like any other (the close box arrives as WM_CLOSE), with its children.
    HWND grand = grandchild->Handle();
    ::PostMessageW(moved, WM_CLOSE, 0, 0);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return manager->ComponentCount() == 0; }));
    EXPECT_FALSE(::IsWindow(grand));
}

TEST_F(MenuWindow, EscapeClosesOneWindowAndTheOnesBelowIt) {
    TPopupMenuBase* top = NewTop(100, 100, 4);
    TPopupMenuBase* child = top->OpenChildFor(top->ButtonManager->Entries(0), Buttons(3));
    TPopupMenuBase* grandchild = child->OpenChildFor(child->ButtonManager->Entries(0), Buttons(2));
    HWND childWindow = child->Handle();
    HWND grandWindow = grandchild->Handle();
    ::PostMessageW(childWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(childWindow); }));
    EXPECT_FALSE(::IsWindow(grandWindow));
    EXPECT_EQ(top->ChildMenu, nullptr);
    EXPECT_TRUE(top->Visible());
    EXPECT_EQ(manager->ComponentCount(), 1);

    // A plain window (no adopter) ignores Escape.
    auto* plain = new TPopupMenuBase(manager.get());
    ::SendMessageW(plain->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    qbtest::PumpFor(20ms);
    EXPECT_EQ(manager->ComponentCount(), 2);
}

// A window made with an owner and a null adopter is an adopting window without an adopter: the call is
// not ambiguous between the two constructors.
static_assert(std::is_constructible_v<TPopupMenuBase, fw::Component*, std::nullptr_t>);

TEST_F(MenuWindow, ManagerQueriesAndTheMayCloseChain) {
    EXPECT_EQ(manager->FindRootMenu(), nullptr);
    EXPECT_EQ(manager->CountRootMenus(), 0);
    EXPECT_TRUE(manager->AllMenusMayClose());

    TPopupMenuBase* plain = NewTop(100, 100, 2);
    auto* root = new RootMenu(manager.get(), manager.get());
    AddButtons(*root->ButtonManager, 3);
    auto* root2 = new RootMenu(manager.get(), manager.get());
    EXPECT_EQ(manager->FindRootMenu(), root);
    EXPECT_EQ(manager->CountRootMenus(), 2);
    EXPECT_TRUE(manager->AllMenusMayClose());
    delete root2;
    EXPECT_EQ(manager->CountRootMenus(), 1);

    TPopupMenuBase* child = root->OpenChildFor(root->ButtonManager->Entries(0), Buttons(2));
    EXPECT_TRUE(MayCloseChain(root));
    child->ButtonManager->SetCloseAllowed(false);  // a context-menu command runs in the submenu
    EXPECT_FALSE(MayCloseChain(root));
    EXPECT_FALSE(manager->AllMenusMayClose());
    child->ButtonManager->SetCloseAllowed(true);
    child->Ready = false;  // busy opening its own child
    EXPECT_FALSE(MayCloseChain(root));
    child->Ready = true;
    // A window that refuses answers for itself, whatever is below it.
    root->ButtonManager->SetCloseAllowed(false);
    EXPECT_FALSE(MayCloseChain(root));
    root->ButtonManager->SetCloseAllowed(true);
    EXPECT_TRUE(manager->AllMenusMayClose());

    // A step that takes the focus away refuses closing for as long as it runs, however it ends.
    try {
        TCloseRefusal refusal(child->ButtonManager);
        EXPECT_FALSE(manager->AllMenusMayClose());
        throw std::runtime_error("the command failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(manager->AllMenusMayClose()) << "a failed command left the menus unable to close";
    try {
        TScopedMenuMessageHook hook(child, [](UINT, WPARAM, LPARAM) {});
        EXPECT_TRUE(child->MenuMessageHook);
        throw std::runtime_error("tracking failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(child->MenuMessageHook);

    // Closing everything is immediate.
    HWND childWindow = child->Handle();
    manager->DestroyComponents();
    EXPECT_FALSE(::IsWindow(childWindow));
    EXPECT_EQ(manager->FindRootMenu(), nullptr);
    (void)plain;
}

TEST_F(MenuWindow, ClampToWorkAreaAndTheFrame) {
    TPopupMenuBase* w = NewTop(work.right - 20, work.bottom - 10, 5);
    ClampToWorkArea(w);
    EXPECT_EQ(w->Left() + w->Width(), work.right);
    EXPECT_EQ(w->Top() + w->Height(), work.bottom);
    w->SetLeft(-50);
    w->SetTop(-50);
    ClampToWorkArea(w);
    EXPECT_EQ(w->Left(), work.left);
    EXPECT_EQ(w->Top(), work.top);

    // An ordinary framed window with a caption and only the close box.
    const LONG_PTR style = ::GetWindowLongPtrW(w->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(::GetWindowLongPtrW(w->Handle(), GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
}

TEST_F(MenuWindow, AnEntryThatRefillsItsWindowOnReleaseIsNotClickedAfterwards) {
    TPopupMenuBase* w = NewTop(300, 300, 0);
    int clicks = 0;
    auto* b = new TPopupButton();
    b->SetCaption(L"押すと中身が入れ替わる");
    b->OnClick = [&](TPopupButtonBase&) { ++clicks; };
    b->OnMouseUp = [w](TPopupButtonBase&, fw::MouseButton, fw::ShiftState, int, int) {
        w->ButtonManager->ClearEntries();  // frees this very entry
        AddButtons(*w->ButtonManager, 2, L"新しい");
    };
    w->ButtonManager->AddEntry(b);
    w->ButtonManager->FinishLayout();
    qbtest::MoveMouseTo(POINT{5, 5});
    qbtest::MoveMouseTo(w->ButtonManager->ClientToScreen(POINT{b->Left() + 10, b->Top() + b->Height() / 2}));
    qbtest::PressLeft();
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(w->ButtonManager->EntryCount(), 2);
    EXPECT_EQ(w->ButtonManager->PressedEntry(), nullptr);
    qbtest::MoveMouseTo(POINT{5, 5});
}

}  // namespace
