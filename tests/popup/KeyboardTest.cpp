// The menus from the keyboard, real keys sent to a menu window with the focus: the highlight moving over
// what can act and scrolling into view, submenus opened and left, Enter, and type-ahead.
#include "support/popup/MenuTest.h"
#include "popup/SeparateBar.h"
#include "popup/TreeButton.h"

namespace {

using namespace std::chrono_literals;
using popuptest::AddCaptioned;
using popuptest::HotCaption;
using popuptest::Press;

bool LitOnScreen(const TPopupButtonBase* e) {
    const RECT r = popuptest::ScreenRect(e, 1);
    return popuptest::ScreenGrab(r).Count(r, popuptest::Rgb{0, 0, 128}) > popuptest::Area(r) / 2;
}

class Keyboard : public popuptest::MenuTest {
protected:
    // Entries with these captions (an empty one is a separator), shown with the focus.
    TPopupMenuBase* Menu(std::initializer_list<const wchar_t*> captions) {
        TPopupMenuBase* w = NewWindow();
        for (const wchar_t* c : captions) {
            if (*c) {
                AddCaptioned(*w->ButtonManager, new TPopupButton, c, 100);
            } else {
                w->ButtonManager->AddEntry(&(new TSeparateBar)->SetHeight(10));
            }
        }
        ShowAt(w, 200, 150);
        w->TakeFocus(false);
        EXPECT_TRUE(qbtest::WaitUntil([w] { return w->Focused(); }));
        return w;
    }
};

TEST_F(Keyboard, TheHighlightSkipsSeparatorsAndLabelsWrapsAroundScrollsIntoViewAndIsTheMousesToo) {
    TPopupMenuBase* w = Menu({L"りんご", L"", L"バナナ"});
    TPopupButtonManager& m = *w->ButtonManager;
    AddCaptioned(m, new TLabel, L"ラベル");
    for (int i = 0; i < 150; ++i) AddCaptioned(m, new TPopupButton, L"項目 " + std::to_wstring(i));
    m.FinishLayout();
    w->SetTop(0);
    FitHeightToWorkArea(w);
    fw::FormScrollBar& bar = w->VertScrollBar();
    ASSERT_TRUE(bar.IsShowing());
    Press(VK_DOWN);
    EXPECT_EQ(HotCaption(w), L"りんご");
    EXPECT_TRUE(LitOnScreen(m.Entries(0)));
    Press(VK_DOWN);
    EXPECT_EQ(HotCaption(w), L"バナナ") << "the separator took the highlight";
    Press(VK_DOWN);
    EXPECT_EQ(HotCaption(w), L"項目 0") << "the label took the highlight";
    Press(VK_UP);
    Press(VK_UP);
    Press(VK_UP);
    EXPECT_EQ(HotCaption(w), L"項目 149") << "Up did not wrap around";
    EXPECT_EQ(bar.Position(), bar.Range() - w->ClientHeight());
    Press(VK_HOME);
    Press(VK_NEXT);
    Press(VK_NEXT);
    const TPopupButtonBase* e = m.HotEntry();
    EXPECT_GT(bar.Position(), 0);
    EXPECT_TRUE(e->Top() >= bar.Position() && e->Top() + e->Height() <= bar.Position() + w->ClientHeight());

    // One highlight: the mouse moves it, and a key moves it on from there.
    int at = 0;
    while (m.Entries(at) != e) ++at;
    TPopupButtonBase* above = m.Entries(at - 1);
    qbtest::MoveMouseTo(popuptest::EntryCenter(above));
    EXPECT_EQ(m.HotEntry(), above);
    Press(VK_DOWN);
    EXPECT_EQ(m.HotEntry(), e);
    EXPECT_FALSE(LitOnScreen(above));
}

TEST_F(Keyboard, RightOrEnterOpensTheSubmenuAndLeftOrEscapeComeBackWhileTheMouseRestsElsewhere) {
    TPopupMenuBase* w = Menu({L"開く"});
    TPopupButtonManager& m = *w->ButtonManager;
    int clicks = 0;
    m.Entries(0)->OnClick = [&](TPopupButtonBase&) { ++clicks; };
    AddCaptioned(m, new TTreeButton([](TPopupButtonManager& c) {
                     c.AddEntry(&(new TSeparateBar)->SetHeight(10));
                     AddCaptioned(c, new TPopupButton, L"子 1");
                     AddCaptioned(c, new TPopupButton, L"子 2");
                 }),
                 L"サブメニュー", 100);
    AddCaptioned(m, new TPopupButton, L"最後", 100);
    m.FinishLayout();

    // The mouse rests on the last entry, whose hover closes submenus; a key takes the highlight from it.
    const POINT resting = popuptest::EntryCenter(m.Entries(2));
    qbtest::MoveMouseTo(resting);
    Press(VK_UP);
    Press(VK_RIGHT);
    TPopupMenuBase* child = w->ChildMenu;
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->Focused());
    EXPECT_EQ(HotCaption(child), L"子 1");
    // The system repeats a resting cursor's position when windows change under it.
    ::SetCursorPos(resting.x, resting.y);
    qbtest::PumpFor(400ms);
    EXPECT_EQ(w->ChildMenu, child) << "the resting mouse closed the submenu";
    EXPECT_EQ(HotCaption(w), L"サブメニュー");

    for (WORD back : {VK_LEFT, VK_ESCAPE}) {
        const HWND gone = w->ChildMenu->Handle();
        Press(back);
        EXPECT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(gone); }));
        EXPECT_TRUE(w->Focused());
        EXPECT_EQ(HotCaption(w), L"サブメニュー");
        if (back != VK_LEFT) break;
        Press(VK_RETURN);
        ASSERT_NE(w->ChildMenu, nullptr);
        EXPECT_EQ(HotCaption(w->ChildMenu), L"子 1");
    }

    // Enter clicks an entry without a submenu.
    Press(VK_HOME);
    Press(VK_RETURN);
    EXPECT_EQ(clicks, 1);
}

// A submenu entry always made at the same address, as a heap may give a freed entry's place to the next.
class TSamePlaceTree : public TTreeButton {
public:
    TSamePlaceTree()
        : TTreeButton([](TPopupButtonManager& c) { AddCaptioned(c, new TPopupButton, L"中"); }) {}
    static void* operator new(std::size_t) {
        static_assert(sizeof(TSamePlaceTree) <= 4096);
        alignas(16) static unsigned char place[4096];
        return place;
    }
    static void operator delete(void*) noexcept {}
};

TEST_F(Keyboard, AfterARefillRightOpensTheHighlightedEntryAlsoWhereTheOldSubmenusEntryWas) {
    TPopupMenuBase* w = Menu({L"先頭"});
    TPopupButtonManager& m = *w->ButtonManager;
    AddCaptioned(m, new TSamePlaceTree, L"古いフォルダ", 100);
    m.FinishLayout();
    Press(VK_END);
    Press(VK_RIGHT);
    ASSERT_NE(w->ChildMenu, nullptr);
    // Filled anew (F5, a change on disk) while the submenu stays open: another folder is made where the
    // old entry was, and the user opens it.
    m.ClearEntries();
    TPopupButtonBase* again = AddCaptioned(m, new TSamePlaceTree, L"新しいフォルダ", 100);
    m.FinishLayout();
    m.SetHighlight(again);
    w->TakeFocus(false);
    Press(VK_RIGHT);
    ASSERT_NE(w->ChildMenu, nullptr);
    EXPECT_EQ(w->ChildMenu->Caption(), L"新しいフォルダ") << "the old submenu took the focus instead";
    EXPECT_TRUE(w->ChildMenu->Focused());
}

TEST_F(Keyboard, TypedLettersFindEntriesByTheirCaptionsAndAPauseStartsAfresh) {
    TPopupMenuBase* w = Menu({L"apple", L"Banana", L"blueberry", L"ＢＩＧ", L"さくら", L"スイカ"});
    Press('B');
    Press('L');
    EXPECT_EQ(HotCaption(w), L"blueberry");
    qbtest::PumpFor(1200ms);
    Press('B');
    EXPECT_EQ(HotCaption(w), L"ＢＩＧ") << "the pause did not start the typed text afresh";
    Press('B');
    EXPECT_EQ(HotCaption(w), L"Banana") << "the same letter again did not step on";
    qbtest::PumpFor(1200ms);
    // A character as an input method hands it over.
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wScan = in[1].ki.wScan = L'す';
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
    qbtest::SettleInput();
    EXPECT_EQ(HotCaption(w), L"スイカ");

    // A caption that changed and entries that went are found as they are now (a key starts afresh).
    TPopupButtonManager& m = *w->ButtonManager;
    dynamic_cast<TPopupButton&>(*m.Entries(0)).SetCaption(L"cherry");
    m.RemoveEntryAt(2);  // blueberry
    Press(VK_END);
    Press('C');
    EXPECT_EQ(HotCaption(w), L"cherry");
    Press(VK_HOME);
    Press('B');
    Press('I');
    EXPECT_EQ(HotCaption(w), L"ＢＩＧ");
}

}  // namespace
