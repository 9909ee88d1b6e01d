// Menus while an entry's handler runs a nested message loop (a context menu and the command it runs, a
// modal dialog): a refill, the menu manager closing everything, or Escape in a window above may arrive
// from the queue inside the loop. The entry and its window stay alive for the handler, out of sight and
// out of the lists, and go when it returns; what the user sees changes at once.
#include "support/popup/MenuTest.h"

#include "popup/PopupBase.h"
#include "popup/PopupButton.h"
#include "support/Later.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using popuptest::EntryCenter;
using qbtest::MoveMouseTo;

int g_liveEntries = 0;
int g_liveMenus = 0;
int g_liveForms = 0;

class LiveEntry : public TPopupButton {
public:
    explicit LiveEntry(const std::wstring& caption) {
        ++g_liveEntries;
        SetHoverDelay(5000);
        SetCaption(caption);
    }
    ~LiveEntry() override { --g_liveEntries; }
};

// A menu window that refills itself when asked through its queue, as a folder window does when its
// folder changes.
class LiveMenu : public TPopupMenuBase {
public:
    static constexpr UINT kRefill = WM_USER + 100;
    LiveMenu(fw::Component* owner, fw::Component* adopter) : TPopupMenuBase(owner, adopter) { ++g_liveMenus; }
    ~LiveMenu() override { --g_liveMenus; }
    std::vector<std::wstring> refillWith;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kRefill) {
            ButtonManager->ClearEntries();
            for (const auto& caption : refillWith) ButtonManager->AddEntry(new LiveEntry(caption));
            ButtonManager->FinishLayout();
        }
        return TPopupMenuBase::WndProc(msg, wParam, lParam);
    }
};

class LiveForm : public fw::Form {
public:
    explicit LiveForm(fw::Component* owner) : fw::Form(owner) { ++g_liveForms; }
    ~LiveForm() override { --g_liveForms; }
};

class NestedLoop : public popuptest::MenuTest {
protected:
    void SetUp() override {
        popuptest::MenuTest::SetUp();
        g_liveEntries = g_liveMenus = g_liveForms = 0;
    }
    void TearDown() override {
        popuptest::MenuTest::TearDown();
        EXPECT_EQ(g_liveEntries, 0);
        EXPECT_EQ(g_liveMenus, 0);
        EXPECT_EQ(g_liveForms, 0);
        EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 0) << "an object freed during a handler never went";
    }

    LiveMenu* NewMenu(fw::Component* owner, std::initializer_list<const wchar_t*> captions) {
        auto* w = new LiveMenu(owner, menus.get());
        for (const wchar_t* caption : captions) w->ButtonManager->AddEntry(new LiveEntry(caption));
        return w;
    }
};

TEST_F(NestedLoop, ARefillDuringAnEntrysRightButtonHandlerShowsAtOnceAndTheEntryGoesAfterIt) {
    LiveMenu* w = NewMenu(menus.get(), {L"右クリックする項目", L"二番目", L"三番目"});
    w->refillWith = {L"新しい一番目", L"新しい二番目"};
    TPopupButtonManager& m = *w->ButtonManager;
    TPopupButtonBase* entry = m.Entries(0);
    int clicks = 0;
    entry->OnClick = [&](TPopupButtonBase&) { ++clicks; };
    struct Seen {
        int liveEntries = -1;
        bool marked = false;
        bool inList = false;
        std::wstring caption;
        std::wstring firstShown;
    } seen;
    entry->OnMouseUp = [&](TPopupButtonBase& self, fw::MouseButton button, fw::ShiftState, int, int) {
        if (button != fw::MouseButton::Right) return;
        // The context menu's loop: the folder changes meanwhile and the window refills.
        ::PostMessageW(w->Handle(), LiveMenu::kRefill, 0, 0);
        qbtest::WaitUntil([&] { return m.EntryCount() == 2; }, 1s);
        seen.liveEntries = g_liveEntries;
        if (g_liveEntries != 3) return;  // the entry was freed under this very handler
        seen.marked = self.Marked();
        for (TPopupButtonBase* e : m) seen.inList = seen.inList || e == &self;
        seen.caption = *self.CaptionText();
        seen.firstShown = *m.Entries(0)->CaptionText();
    };
    ShowAt(w, 300, 200);
    MoveMouseTo(EntryCenter(entry));
    qbtest::PressRight();
    qbtest::ReleaseRight();

    EXPECT_EQ(seen.liveEntries, 3) << "two old entries gone, two new ones, and the one whose handler runs";
    EXPECT_TRUE(seen.marked);
    EXPECT_FALSE(seen.inList);
    EXPECT_EQ(seen.caption, L"右クリックする項目");
    EXPECT_EQ(seen.firstShown, L"新しい一番目") << "the new content shows while the old handler still runs";
    EXPECT_EQ(g_liveEntries, 2) << "the old entry outlived its handler";
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(m.PressedEntry(), nullptr);

    // The new entries take input as usual.
    int newClicks = 0;
    m.Entries(1)->OnClick = [&](TPopupButtonBase&) { ++newClicks; };
    MoveMouseTo(EntryCenter(m.Entries(1)));
    qbtest::PressLeft();
    qbtest::ReleaseLeft();
    EXPECT_EQ(newClicks, 1);
}

TEST_F(NestedLoop, ClosingAllMenusWhileAModalFormFromAnEntryIsUpWaitsForTheEntrysHandler) {
    LiveMenu* top = NewMenu(menus.get(), {L"バージョン情報", L"終了"});
    TPopupButtonBase* about = top->ButtonManager->Entries(0);
    const HWND topWindow = top->Handle();
    struct Seen {
        int liveMenus = -1;
        int liveEntries = -1;
        bool topVisible = true;
        int managerCount = -1;
        int result = 0;
    } seen;
    about->OnClick = [&](TPopupButtonBase& self) {
        // As the about box: owned by the menu that opened it, shown modally, freed when it returns.
        auto* dialog = new LiveForm(top);
        qbtest::Later([&] {
            menus->DestroyComponents();  // the program lost activation: every menu goes
            seen.liveMenus = g_liveMenus;
            seen.managerCount = menus->ComponentCount();
            seen.topVisible = ::IsWindowVisible(topWindow) != FALSE;
            qbtest::Later([dialog] { dialog->SetModalResult(IDOK); });  // the user presses OK
        });
        seen.result = dialog->ShowModal();
        seen.liveEntries = g_liveEntries;
        EXPECT_TRUE(self.CaptionText() && *self.CaptionText() == L"バージョン情報");
        dialog->Free();
    };
    ShowAt(top, 320, 220);
    MoveMouseTo(EntryCenter(about));
    qbtest::PressLeft();
    qbtest::ReleaseLeft();

    EXPECT_EQ(seen.liveMenus, 1) << "the menu went while its entry's dialog was up";
    EXPECT_EQ(seen.managerCount, 0);
    EXPECT_FALSE(seen.topVisible) << "closing all menus left the menu on screen";
    EXPECT_EQ(seen.result, IDOK) << "the dialog went on until the user closed it";
    EXPECT_EQ(seen.liveEntries, 2);
    EXPECT_EQ(g_liveMenus, 0);
    EXPECT_EQ(g_liveEntries, 0);
    EXPECT_EQ(g_liveForms, 0);
    EXPECT_FALSE(::IsWindow(topWindow));
}

TEST_F(NestedLoop, EscapeInAWindowAboveWhileASubmenusEntryRunsALoopTakesTheSubmenuAfterIt) {
    LiveMenu* top = NewMenu(menus.get(), {L"フォルダ", L"ファイル"});
    ShowAt(top, 280, 240);
    LiveMenu* child = NewMenu(top, {L"サブメニューの項目", L"もう一つ"});
    child->ButtonManager->FinishLayout();
    PlaceChild(top, child, top->ButtonManager->Entries(0));
    child->Show();
    top->ChildMenu = child;  // after showing, as a window opens its child (showing moves it)
    ASSERT_TRUE(qbtest::WaitUntil([&] { return child->Visible(); }));
    const HWND topWindow = top->Handle();
    const HWND childWindow = child->Handle();
    TPopupButtonBase* entry = child->ButtonManager->Entries(0);
    struct Seen {
        int liveMenus = -1;
        bool marked = false;
        bool visible = true;
        bool parentForgotten = false;
        bool containerKept = false;
    } seen;
    entry->OnMouseUp = [&](TPopupButtonBase& self, fw::MouseButton button, fw::ShiftState, int, int) {
        if (button != fw::MouseButton::Right) return;
        ::PostMessageW(topWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        qbtest::WaitUntil([&] { return !::IsWindow(topWindow); }, 1s);
        seen.liveMenus = g_liveMenus;
        if (g_liveMenus != 1) return;
        seen.marked = child->Marked();
        seen.visible = ::IsWindowVisible(childWindow) != FALSE;
        seen.parentForgotten = child->ParentMenu == nullptr;
        seen.containerKept = self.Container() == child->ButtonManager;
    };
    MoveMouseTo(EntryCenter(entry));
    qbtest::PressRight();
    qbtest::ReleaseRight();

    EXPECT_EQ(seen.liveMenus, 1) << "Escape closed the top window at once, the submenu waited";
    EXPECT_TRUE(seen.marked);
    EXPECT_FALSE(seen.visible);
    EXPECT_TRUE(seen.parentForgotten);
    EXPECT_TRUE(seen.containerKept);
    EXPECT_EQ(g_liveMenus, 0);
    EXPECT_EQ(g_liveEntries, 0);
    EXPECT_FALSE(::IsWindow(childWindow));
    EXPECT_EQ(menus->ComponentCount(), 0);
}

}  // namespace
