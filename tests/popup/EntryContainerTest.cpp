// The entry container of a menu window as the user meets it: how entries are stacked and sized, which
// entry a point hits, how real mouse input reaches the entries (enter and leave, clicks, drags), and how
// the hover delay and the submenu triangles open and close submenus.
#include "support/popup/MenuTest.h"

#include "popup/PopupBase.h"
#include "popup/PopupButton.h"
#include "popup/SeparateBar.h"
#include "popup/TreeButton.h"
#include "support/Input.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using popuptest::AddCaptioned;
using popuptest::EntryCenter;
using popuptest::kNeutral;
using popuptest::OnEntry;
using popuptest::Repeat;
using qbtest::MoveMouseTo;
using Log = std::vector<std::string>;

// A popup button that writes down the mouse calls the container makes on it, in order.
class ProbeButton : public TPopupButton {
public:
    ProbeButton(Log& log, std::string name) : log_(log), name_(std::move(name)) {}
    void MouseEnter() override {
        log_.push_back("enter " + name_);
        TPopupButton::MouseEnter();
    }
    void MouseLeave() override {
        log_.push_back("leave " + name_);
        TPopupButton::MouseLeave();
    }
    void MouseMove(fw::ShiftState shift, int x, int y) override {
        log_.push_back("move " + name_);
        TPopupButton::MouseMove(shift, x, y);
    }

private:
    Log& log_;
    std::string name_;
};

void FillThree(TPopupButtonManager& m) {
    for (int i = 1; i <= 3; ++i) AddCaptioned(m, new TPopupButton, L"Child entry " + std::to_wstring(i));
}

class EntryContainer : public popuptest::MenuTest {};
class EntryHover : public popuptest::MenuTest {};

TEST_F(EntryContainer, StacksEntriesInOneColumnAndSizesItselfAndItsWindow) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    const std::vector<std::wstring> captions{L"Open", Repeat(L"The widest entry ", 5), L"短い項目",
                                             Repeat(L"Middle ", 4)};
    const fw::Font font;
    int widest = 0;
    int total = 0;
    std::vector<int> heights;
    for (const auto& caption : captions) {
        AddCaptioned(m, new TPopupButton, caption);
        const SIZE size = popuptest::MeasureText(font, caption);
        widest = std::max<int>(widest, size.cx);
        heights.push_back(size.cy);
        total += size.cy;
    }
    auto* bar = new TSeparateBar;
    bar->SetHeight(10);
    m.AddEntry(bar);
    heights.push_back(10);
    total += 10;
    ASSERT_GT(widest, ::GetSystemMetrics(SM_CXMINTRACK)) << "the widest caption must be wider than any frame";
    ShowAt(w, 320, 120);

    ASSERT_EQ(m.EntryCount(), 5);
    int y = 0;
    for (int i = 0; i < m.EntryCount(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        TPopupButtonBase* e = m.Entries(i);
        EXPECT_EQ(e->Left(), 0);
        EXPECT_EQ(e->Top(), y);
        EXPECT_EQ(e->Width(), widest);  // the separator too: every entry is as wide as the column
        EXPECT_EQ(e->Height(), heights[static_cast<size_t>(i)]);
        y += e->Height();
    }
    EXPECT_EQ(m.Width(), widest);
    EXPECT_EQ(m.Height(), total);
    EXPECT_EQ(w->ClientWidth(), widest);
    EXPECT_EQ(w->ClientHeight(), total);
    EXPECT_EQ(m.ColumnCount(), 0);
    EXPECT_EQ(m.ColumnWidth(0), widest);

    // A refill with fewer and narrower entries lays out from scratch: the window shrinks to them.
    const int oldWidth = w->ClientWidth();
    const int oldHeight = w->ClientHeight();
    m.ClearEntries();
    EXPECT_EQ(m.EntryCount(), 0);
    const std::wstring first = Repeat(L"Narrow ", 4);
    const std::wstring second = L"Two";
    AddCaptioned(m, new TPopupButton, first);
    AddCaptioned(m, new TPopupButton, second);
    m.FinishLayout();
    const SIZE s1 = popuptest::MeasureText(font, first);
    const SIZE s2 = popuptest::MeasureText(font, second);
    ASSERT_GT(s1.cx, ::GetSystemMetrics(SM_CXMINTRACK));
    EXPECT_EQ(m.Entries(0)->Top(), 0);
    EXPECT_EQ(m.Entries(1)->Top(), s1.cy);
    EXPECT_EQ(m.Entries(1)->Width(), s1.cx);
    EXPECT_EQ(m.Width(), s1.cx);
    EXPECT_EQ(m.Height(), s1.cy + s2.cy);
    EXPECT_EQ(w->ClientWidth(), s1.cx);
    EXPECT_EQ(w->ClientHeight(), s1.cy + s2.cy);
    EXPECT_LT(w->ClientWidth(), oldWidth);
    EXPECT_LT(w->ClientHeight(), oldHeight);

    // A window that takes any height keeps one column however many entries it gets, even when they
    // are taller than the screen.
    TPopupMenuBase* tall = NewWindow();
    TPopupButtonManager& t = *tall->ButtonManager;
    for (int i = 1; i <= 120; ++i) AddCaptioned(t, new TPopupButton, L"Entry number " + std::to_wstring(i));
    t.FinishLayout();
    ASSERT_GT(t.Height(), ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(t.ColumnCount(), 0);
    int tallY = 0;
    const int tallWidth = t.Entries(0)->Width();
    for (TPopupButtonBase* e : t) {
        EXPECT_EQ(e->Left(), 0);
        EXPECT_EQ(e->Top(), tallY);
        EXPECT_EQ(e->Width(), tallWidth);
        tallY += e->Height();
    }
    EXPECT_EQ(t.Height(), tallY);
    EXPECT_EQ(t.Width(), tallWidth);
}

TEST_F(EntryContainer, RemovingEntriesClosesTheGapShrinksTheWindowAndForgetsHotAndPressed) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    int clicks = 0;
    for (int i = 1; i <= 5; ++i) {
        auto* b = AddCaptioned(m, new TPopupButton, Repeat(L"Removable entry ", 2) + std::to_wstring(i));
        b->OnClick = [&clicks](TPopupButtonBase&) { ++clicks; };
        if (i == 2) {
            auto* bar = new TSeparateBar;
            bar->SetHeight(10);
            m.AddEntry(bar);
        }
    }
    TPopupMenuBase* other = NewWindow();
    TPopupButtonBase* foreign = AddCaptioned(*other->ButtonManager, new TPopupButton, L"Elsewhere");
    other->ButtonManager->FinishLayout();
    ShowAt(w, 340, 140);

    const int height = m.Height();
    const int clientHeight = w->ClientHeight();
    TPopupButtonBase* bar = m.Entries(2);
    TPopupButtonBase* below = m.Entries(3);
    const int gapTop = bar->Top();
    m.RemoveEntry(bar);
    ASSERT_EQ(m.EntryCount(), 5);
    EXPECT_EQ(m.Entries(2), below);
    EXPECT_EQ(below->Top(), gapTop);
    EXPECT_EQ(m.Height(), height - 10);
    EXPECT_EQ(w->ClientHeight(), clientHeight - 10);
    int y = 0;
    for (TPopupButtonBase* e : m) {
        EXPECT_EQ(e->Top(), y);
        y += e->Height();
    }
    EXPECT_EQ(y, m.Height());

    // Indexes past either end, null and an entry of another container change nothing.
    m.RemoveEntryAt(m.EntryCount());
    m.RemoveEntryAt(100);
    m.RemoveEntryAt(-1);
    m.RemoveEntry(nullptr);
    m.RemoveEntry(foreign);
    EXPECT_EQ(m.EntryCount(), 5);
    EXPECT_EQ(m.Height(), height - 10);
    EXPECT_EQ(w->ClientHeight(), clientHeight - 10);
    ASSERT_EQ(other->ButtonManager->EntryCount(), 1);
    EXPECT_EQ(other->ButtonManager->Entries(0), foreign);

    // The entry under the mouse is removed: nothing is hot any more.
    TPopupButtonBase* hot = m.Entries(1);
    MoveMouseTo(EntryCenter(hot));
    ASSERT_EQ(m.HotEntry(), hot);
    m.RemoveEntry(hot);
    EXPECT_EQ(m.HotEntry(), nullptr);
    EXPECT_EQ(m.EntryCount(), 4);

    // The pressed entry is removed while the button is down: the release clicks nothing.
    TPopupButtonBase* pressed = m.Entries(0);
    MoveMouseTo(EntryCenter(pressed));
    qbtest::PressLeft();
    ASSERT_EQ(m.PressedEntry(), pressed);
    m.RemoveEntryAt(0);
    EXPECT_EQ(m.PressedEntry(), nullptr);
    EXPECT_EQ(m.HotEntry(), nullptr);
    EXPECT_EQ(m.EntryCount(), 3);
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, 0);

    // The container goes on working with the entries that are left.
    MoveMouseTo(EntryCenter(m.Entries(1)));
    EXPECT_EQ(m.HotEntry(), m.Entries(1));
    qbtest::PressLeft();
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, 1);
}

TEST_F(EntryContainer, HitTestLeavesOutTheLeftColumnAndTopRowOfEveryEntry) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    for (int i = 1; i <= 3; ++i) AddCaptioned(m, new TPopupButton, Repeat(L"Edge ", 6) + std::to_wstring(i));
    ShowAt(w, 360, 160);

    for (TPopupButtonBase* e : m) {
        SCOPED_TRACE("entry at top " + std::to_string(e->Top()));
        const int l = e->Left();
        const int t = e->Top();
        const int r = l + e->Width();
        const int b = t + e->Height();
        const int mx = l + e->Width() / 2;
        const int my = t + e->Height() / 2;
        EXPECT_EQ(m.EntryAt(l, my), nullptr);
        EXPECT_EQ(m.EntryAt(mx, t), nullptr);
        EXPECT_EQ(m.EntryAt(l, t), nullptr);
        EXPECT_EQ(m.EntryAt(l + 1, t + 1), e);
        EXPECT_EQ(m.EntryAt(l + 1, my), e);
        EXPECT_EQ(m.EntryAt(mx, t + 1), e);
        EXPECT_EQ(m.EntryAt(r - 1, b - 1), e);
        EXPECT_EQ(m.EntryAt(r, my), nullptr);
        EXPECT_EQ(m.EntryAt(mx, b), nullptr);  // the next entry's top row, or below the last
    }
    EXPECT_EQ(m.EntryAt(-5, 3), nullptr);
    EXPECT_EQ(m.EntryAt(m.Width() / 2, m.Height() + 5), nullptr);

    // The real mouse on an edge highlights nothing; one pixel further in it does.
    auto* mid = dynamic_cast<TPopupButton*>(m.Entries(1));
    ASSERT_NE(mid, nullptr);
    const int my = mid->Height() / 2;
    MoveMouseTo(OnEntry(mid, 0, my));
    EXPECT_EQ(m.HotEntry(), nullptr);
    EXPECT_FALSE(mid->Hot);
    MoveMouseTo(OnEntry(mid, 1, my));
    EXPECT_EQ(m.HotEntry(), mid);
    EXPECT_TRUE(mid->Hot);
    MoveMouseTo(OnEntry(mid, mid->Width() / 2, 0));
    EXPECT_EQ(m.HotEntry(), nullptr);
    EXPECT_FALSE(mid->Hot);
    MoveMouseTo(OnEntry(mid, mid->Width() / 2, 1));
    EXPECT_EQ(m.HotEntry(), mid);
    MoveMouseTo(OnEntry(mid, mid->Width() / 2, mid->Height()));  // the top row of the entry below
    EXPECT_EQ(m.HotEntry(), nullptr);
    EXPECT_FALSE(mid->Hot);
}

TEST_F(EntryContainer, TheEntryLeftIsToldBeforeTheEntryEnteredWhichGetsNoMoveForThatEvent) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    Log log;
    auto* a = AddCaptioned(m, new ProbeButton(log, "A"), Repeat(L"Upper entry ", 3));
    auto* b = AddCaptioned(m, new ProbeButton(log, "B"), Repeat(L"Middle entry ", 3));
    auto* c = AddCaptioned(m, new ProbeButton(log, "C"), Repeat(L"Lower entry ", 3));
    ShowAt(w, 380, 180);
    const int x = a->Width() / 2;

    MoveMouseTo(OnEntry(a, x, a->Height() / 2));
    EXPECT_EQ(log, (Log{"enter A"}));
    EXPECT_EQ(m.HotEntry(), a);
    log.clear();
    MoveMouseTo(OnEntry(a, x + 3, a->Height() - 1));  // A's last row
    EXPECT_EQ(log, (Log{"move A"}));
    log.clear();

    // Down across the boundary row one pixel at a time: A goes, nothing is hot on the row, then B.
    MoveMouseTo(OnEntry(b, x + 3, 0));
    EXPECT_EQ(log, (Log{"leave A"}));
    EXPECT_EQ(m.HotEntry(), nullptr);
    EXPECT_FALSE(a->Hot);
    log.clear();
    MoveMouseTo(OnEntry(b, x + 3, 1));
    EXPECT_EQ(log, (Log{"enter B"}));
    EXPECT_EQ(m.HotEntry(), b);
    EXPECT_TRUE(b->Hot);
    log.clear();
    MoveMouseTo(OnEntry(b, x, b->Height() / 2));
    EXPECT_EQ(log, (Log{"move B"}));
    log.clear();

    // Straight from one entry into the next in one move, downwards and upwards.
    MoveMouseTo(OnEntry(c, x, c->Height() / 2));
    EXPECT_EQ(log, (Log{"leave B", "enter C"}));
    EXPECT_EQ(m.HotEntry(), c);
    EXPECT_FALSE(b->Hot);
    EXPECT_TRUE(c->Hot);
    log.clear();
    MoveMouseTo(OnEntry(a, x, a->Height() / 2));
    EXPECT_EQ(log, (Log{"leave C", "enter A"}));
    EXPECT_EQ(m.HotEntry(), a);
    log.clear();
    MoveMouseTo(OnEntry(a, x + 5, a->Height() / 2));
    EXPECT_EQ(log, (Log{"move A"}));
}

TEST_F(EntryContainer, OnlyALeftPressAndReleaseOnTheSameEntryClicksIt) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    std::vector<TPopupButtonBase*> clicks;
    auto record = [&clicks](TPopupButtonBase& e) { clicks.push_back(&e); };
    auto* a = AddCaptioned(m, new TPopupButton, Repeat(L"Click me ", 4));
    auto* b = AddCaptioned(m, new TPopupButton, Repeat(L"Or me ", 4));
    a->OnClick = record;
    b->OnClick = record;
    ShowAt(w, 400, 200);

    MoveMouseTo(EntryCenter(a));
    qbtest::PressLeft();
    EXPECT_EQ(m.PressedEntry(), a);
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, (std::vector<TPopupButtonBase*>{a}));
    EXPECT_EQ(m.PressedEntry(), nullptr);
    clicks.clear();

    // Pressed on no entry (A's left edge, inside the container), released on A.
    MoveMouseTo(OnEntry(a, 0, a->Height() / 2));
    qbtest::PressLeft();
    EXPECT_EQ(m.PressedEntry(), nullptr);
    MoveMouseTo(EntryCenter(a));
    qbtest::ReleaseLeft();
    EXPECT_TRUE(clicks.empty());

    // Pressed on A, released on B; and the other way round.
    MoveMouseTo(EntryCenter(a));
    qbtest::PressLeft();
    MoveMouseTo(EntryCenter(b));
    qbtest::ReleaseLeft();
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(m.PressedEntry(), nullptr);
    qbtest::PressLeft();
    MoveMouseTo(EntryCenter(a));
    qbtest::ReleaseLeft();
    EXPECT_TRUE(clicks.empty());

    // The right button.
    MoveMouseTo(EntryCenter(a));
    qbtest::PressRight();
    qbtest::ReleaseRight();
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(m.PressedEntry(), nullptr);

    // Pressed outside the window, released on A.
    MoveMouseTo(kNeutral);
    qbtest::PressLeft();
    MoveMouseTo(EntryCenter(a));
    qbtest::ReleaseLeft();
    EXPECT_TRUE(clicks.empty());

    // After all that a plain click still clicks once.
    MoveMouseTo(EntryCenter(b));
    qbtest::PressLeft();
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, (std::vector<TPopupButtonBase*>{b}));
}

TEST_F(EntryContainer, LeavingTheWindowUnhighlightsTheHotEntryAndForgetsThePress) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    int clicks = 0;
    auto* a = AddCaptioned(m, new TPopupButton, Repeat(L"Leave me ", 4));
    AddCaptioned(m, new TPopupButton, Repeat(L"Neighbour ", 4));
    a->OnClick = [&clicks](TPopupButtonBase&) { ++clicks; };
    ShowAt(w, 420, 220);
    const RECT client = popuptest::ClientOnScreen(w);
    const POINT outside{client.left - 40, EntryCenter(a).y};

    MoveMouseTo(EntryCenter(a));
    ASSERT_EQ(m.HotEntry(), a);
    ASSERT_TRUE(a->Hot);
    MoveMouseTo(outside);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return m.HotEntry() == nullptr; }, 3s));
    EXPECT_FALSE(a->Hot);

    // With the button down the window keeps the mouse until the release outside it.
    MoveMouseTo(EntryCenter(a));
    ASSERT_EQ(m.HotEntry(), a);
    qbtest::PressLeft();
    ASSERT_EQ(m.PressedEntry(), a);
    MoveMouseTo(outside);
    qbtest::ReleaseLeft();
    EXPECT_TRUE(
        qbtest::WaitUntil([&] { return m.HotEntry() == nullptr && m.PressedEntry() == nullptr; }, 3s));
    EXPECT_FALSE(a->Hot);
    EXPECT_EQ(clicks, 0);

    // When something else takes the mouse from the window while the button is down (a drag loop, a
    // menu), leaving the window forgets the press even though the window never sees the release.
    MoveMouseTo(EntryCenter(a));
    qbtest::PressLeft();
    ASSERT_EQ(m.PressedEntry(), a);
    ::ReleaseCapture();
    MoveMouseTo(outside);
    EXPECT_TRUE(
        qbtest::WaitUntil([&] { return m.HotEntry() == nullptr && m.PressedEntry() == nullptr; }, 3s));
    EXPECT_FALSE(a->Hot);
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, 0);

    // Back in, the entry lights up and clicks as before.
    MoveMouseTo(EntryCenter(a));
    EXPECT_EQ(m.HotEntry(), a);
    EXPECT_TRUE(a->Hot);
    qbtest::PressLeft();
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, 1);
}

TEST_F(EntryContainer, AStepRunInsideAnotherDoesNotEndTheOuterStepsRefusalToClose) {
    TPopupMenuBase* w = NewWindow();
    AddCaptioned(*w->ButtonManager, new TPopupButton, L"設定");
    {
        TCloseRefusal dialog(w->ButtonManager);  // the open-file dialog of a settings row is up
        {
            TCloseRefusal command(w->ButtonManager);  // a command chosen in it runs and ends
        }
        EXPECT_FALSE(menus->AllMenusMayClose()) << "the inner step's end allowed closing under the dialog";
    }
    EXPECT_TRUE(menus->AllMenusMayClose());
}

// An entry that can be dragged out, like a shell item, and writes down the drags it was asked to start
// and the right-button releases it saw (where a shell item shows its context menu).
class DragProbe : public TPopupButton {
public:
    explicit DragProbe(std::vector<TPopupButtonBase*>& drags) : drags_(drags) {}
    bool IsDraggable() const override { return draggable; }
    void StartDrag() override { drags_.push_back(this); }
    void MouseUp(fw::MouseButton button, fw::ShiftState shift, int x, int y) override {
        if (button == fw::MouseButton::Right) ++rightReleases;
        TPopupButton::MouseUp(button, shift, x, y);
    }
    bool draggable = true;
    int rightReleases = 0;

private:
    std::vector<TPopupButtonBase*>& drags_;
};

TEST_F(EntryContainer, DragStartsOnlyWhenThePointerMovesMoreThanFivePixelsFromThePress) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    int clicks = 0;
    std::vector<TPopupButtonBase*> drags;
    auto* a = AddCaptioned(m, new DragProbe(drags), Repeat(L"Drag me out ", 4));
    AddCaptioned(m, new TPopupButton, Repeat(L"Below ", 4));
    a->OnClick = [&clicks](TPopupButtonBase&) { ++clicks; };
    ShowAt(w, 440, 240);
    const POINT p = EntryCenter(a);
    auto moveBy = [p](int dx, int dy) { MoveMouseTo(POINT{p.x + dx, p.y + dy}); };

    // Five pixels in any one direction is not yet a drag; six is.
    moveBy(0, 0);
    qbtest::PressLeft();
    for (const POINT d : {POINT{3, 0}, POINT{5, 0}, POINT{0, 5}, POINT{-5, 0}, POINT{0, -5}, POINT{3, 4}}) {
        moveBy(d.x, d.y);
        EXPECT_TRUE(drags.empty()) << "drag at " << d.x << "," << d.y;
    }
    EXPECT_EQ(m.PressedEntry(), a);
    moveBy(6, 0);
    EXPECT_EQ(drags, (std::vector<TPopupButtonBase*>{a}));
    EXPECT_EQ(m.PressedEntry(), nullptr);
    moveBy(20, 0);
    moveBy(-20, 3);
    moveBy(0, 0);
    EXPECT_EQ(drags.size(), 1u) << "one press started a second drag";
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, 0);

    // Four and four diagonally is more than five.
    moveBy(0, 0);
    qbtest::PressLeft();
    moveBy(-4, -4);
    EXPECT_EQ(drags.size(), 2u);
    qbtest::ReleaseLeft();

    // An entry that cannot be dragged stays pressed however far the mouse goes, and clicks.
    a->draggable = false;
    moveBy(0, 0);
    qbtest::PressLeft();
    moveBy(30, 0);
    EXPECT_EQ(drags.size(), 2u);
    EXPECT_EQ(m.PressedEntry(), a);
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, 1);
}

TEST_F(EntryContainer, OnlyTheLeftButtonDragsAndAFastMoveOutOfTheWindowStillDoes) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    std::vector<TPopupButtonBase*> drags;
    auto* a = AddCaptioned(m, new DragProbe(drags), Repeat(L"Right-click me ", 4));
    AddCaptioned(m, new TPopupButton, Repeat(L"Below ", 4));
    ShowAt(w, 460, 260);
    const POINT p = EntryCenter(a);

    // A right click with a few pixels of jitter (a touchpad) is a right click: no drag, and the
    // release still reaches the entry.
    MoveMouseTo(p);
    qbtest::PressRight();
    EXPECT_EQ(m.PressedEntry(), a);
    MoveMouseTo(POINT{p.x + 6, p.y + 1});
    MoveMouseTo(POINT{p.x + 9, p.y});
    EXPECT_TRUE(drags.empty()) << "a right-button press armed a drag";
    qbtest::ReleaseRight();
    EXPECT_EQ(a->rightReleases, 1);

    // Pressed 3 pixels inside the left edge, then one fast move to 8 pixels outside the window: the
    // pressed entry still sees that move and starts the drag.
    const RECT client = popuptest::ClientOnScreen(w);
    const POINT nearEdge{client.left + 3, p.y};
    MoveMouseTo(nearEdge);
    ASSERT_EQ(m.EntryAt(3, a->Top() + a->Height() / 2), a);
    qbtest::PressLeft();
    ASSERT_EQ(m.PressedEntry(), a);
    MoveMouseTo(POINT{client.left - 8, p.y});
    EXPECT_EQ(drags, (std::vector<TPopupButtonBase*>{a}));
    qbtest::ReleaseLeft();
    // Then the leave: nothing is hot or pressed any more.
    EXPECT_TRUE(qbtest::WaitUntil([&] { return m.HotEntry() == nullptr && m.PressedEntry() == nullptr; }));
}

TEST_F(EntryHover, RestingOnATreeButtonOpensItsSubmenuAndRestingOnASiblingClosesIt) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    auto* tree = AddCaptioned(m, new TTreeButton(FillThree), Repeat(L"Folder with entries ", 2), 400);
    auto* plain = AddCaptioned(m, new TPopupButton, L"Plain entry", 300);
    auto* late = AddCaptioned(m, new TTreeButton(FillThree), L"Another folder", 400);
    auto* quick = AddCaptioned(m, new TTreeButton(FillThree), L"Quick folder", 0);
    ShowAt(w, 300, 260);

    // Moving about inside the entry does not put the submenu off, nor does it open early.
    const auto entered = std::chrono::steady_clock::now();
    MoveMouseTo(OnEntry(tree, 10, tree->Height() / 2));
    EXPECT_EQ(w->ChildMenu, nullptr);
    auto openedAfter = std::chrono::milliseconds::max();
    for (int i = 1; i <= 12 && !w->ChildMenu; ++i) {
        qbtest::PumpFor(50ms);
        MoveMouseTo(OnEntry(tree, 10 + 7 * i, tree->Height() / 2 + (i % 2)));
        if (w->ChildMenu) {
            openedAfter = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now() - entered);
        }
    }
    ASSERT_NE(w->ChildMenu, nullptr) << "moves inside the entry kept putting the submenu off";
    EXPECT_GE(openedAfter, 350ms);
    EXPECT_LT(openedAfter, 950ms);
    TPopupMenuBase* child = w->ChildMenu;
    EXPECT_TRUE(child->Visible());
    EXPECT_EQ(child->ButtonManager->EntryCount(), 3);
    const HWND childWindow = child->Handle();

    // Resting on an ordinary entry closes the submenu, once its own delay is up.
    MoveMouseTo(EntryCenter(plain));
    EXPECT_EQ(w->ChildMenu, child);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return w->ChildMenu == nullptr; }, 2s));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(childWindow); }));

    // Leaving before the delay is up opens nothing: to the next entry, or out of the window.
    MoveMouseTo(EntryCenter(late));
    qbtest::PumpFor(100ms);
    MoveMouseTo(EntryCenter(plain));
    qbtest::PumpFor(800ms);
    EXPECT_EQ(w->ChildMenu, nullptr);
    MoveMouseTo(EntryCenter(late));
    qbtest::PumpFor(100ms);
    MoveMouseTo(kNeutral);
    qbtest::PumpFor(800ms);
    EXPECT_EQ(w->ChildMenu, nullptr);
    // ... or onto the entry's own top row or left column, which belong to no entry.
    for (const POINT edge : {POINT{late->Width() / 2, 0}, POINT{0, late->Height() / 2}}) {
        MoveMouseTo(EntryCenter(late));
        qbtest::PumpFor(100ms);
        MoveMouseTo(OnEntry(late, edge.x, edge.y));
        EXPECT_EQ(m.HotEntry(), nullptr);
        qbtest::PumpFor(800ms);
        EXPECT_EQ(w->ChildMenu, nullptr)
            << "a submenu opened for an entry the mouse had left, at " << edge.x << "," << edge.y;
        if (w->ChildMenu) w->CloseChild();
    }

    // A delay of 0 still opens, as soon as the timer can.
    MoveMouseTo(EntryCenter(quick));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return w->ChildMenu && w->ChildMenu->Visible(); }, 1s));
}

TEST_F(EntryHover, RightTriangleOpensTheSubmenuAtOnceAndAgainOnlyAfterTheCursorLeftIt) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    auto* tree = new TTreeButton(FillThree);
    tree->SetTriangleSide(1);
    AddCaptioned(m, tree, Repeat(L"Folder ", 5), 5000);
    auto* rest = new TTreeButton(FillThree);
    rest->SetTriangleSide(1);
    AddCaptioned(m, rest, L"Rest here", 100);
    ShowAt(w, 320, 280);
    const int width = tree->Width();
    const int y = tree->Height() / 2;
    auto at = [&](int x) { MoveMouseTo(OnEntry(tree, x, y)); };

    const auto start = std::chrono::steady_clock::now();
    at(width / 2);
    at(width - 15);
    EXPECT_EQ(w->ChildMenu, nullptr);
    EXPECT_FALSE(TriangleLatch);
    at(width - 14);
    ASSERT_NE(w->ChildMenu, nullptr) << "the triangle did not open the submenu";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);  // long before the 5 s hover delay
    EXPECT_TRUE(TriangleLatch);
    const HWND first = w->ChildMenu->Handle();
    EXPECT_TRUE(qbtest::WaitUntil([&] { return w->ChildMenu && w->ChildMenu->Visible(); }));
    EXPECT_EQ(w->ChildMenu->ButtonManager->EntryCount(), 3);

    // Moving about inside the triangle area does not open it again.
    at(width - 10);
    at(width - 6);
    at(width - 14);
    ASSERT_NE(w->ChildMenu, nullptr);
    EXPECT_EQ(w->ChildMenu->Handle(), first);

    // Out of the area (the submenu stays) and back in opens a new submenu.
    at(width - 15);
    EXPECT_FALSE(TriangleLatch);
    ASSERT_NE(w->ChildMenu, nullptr);
    EXPECT_EQ(w->ChildMenu->Handle(), first);
    at(width - 14);
    ASSERT_NE(w->ChildMenu, nullptr);
    const HWND second = w->ChildMenu->Handle();
    EXPECT_NE(second, first);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(first); }));

    // With triangles shown, resting on a tree button opens nothing.
    MoveMouseTo(OnEntry(rest, rest->Width() / 3, rest->Height() / 2));
    qbtest::PumpFor(500ms);
    EXPECT_TRUE(w->ChildMenu == nullptr || w->ChildMenu->Handle() == second);
}

}  // namespace
