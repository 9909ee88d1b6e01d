// Dragging shell items out of menu windows: the drop source's answers, the shell's data object and the
// allowed effects arriving at a drop target of the test, a refill of the window and Escape during the drag
// loop, and a submenu that leaves its cascade when a drag starts from it.
#include "support/shell/DragTest.h"
#include "support/operations/ShellEntryTest.h"

#include "operations/DropSource.h"
#include "support/MallocSpy.h"
#include "support/Process.h"

#include <type_traits>

namespace {

using dragtest::DragDriver;
using dragtest::Ending;
using dragtest::RecordingTarget;
using dragtest::TargetWindow;
using optest::g_liveEntries;
using optest::TestMenu;
using namespace std::chrono_literals;

static_assert(!std::is_destructible_v<TDropSource>, "only the last Release may end the drop source");

constexpr RECT kTargetBounds{700, 200, 900, 360};

TEST(DropSource, CancelsOnEscapeGoesOnWhileTheLeftButtonIsDownDropsOtherwiseAndShowsTheSystemCursors) {
    ASSERT_EQ(TDropSourceManager::Current(), nullptr);
    {
        const TDropSourceManager::Use use = TDropSourceManager::Shared();
        IDropSource* source = use->Source();
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
        EXPECT_EQ(source->QueryContinueDrag(TRUE, 0), DRAGDROP_S_CANCEL);
        EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
        EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON | MK_SHIFT | MK_CONTROL), S_OK);
        EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
        EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_RBUTTON), DRAGDROP_S_DROP);
        for (DWORD effect : {DROPEFFECT_NONE, DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
            EXPECT_EQ(source->GiveFeedback(effect), DRAGDROP_S_USEDEFAULTCURSORS);

        // One drop source for the program.
        const TDropSourceManager::Use second = TDropSourceManager::Shared();
        EXPECT_EQ(second->Source(), source);
        EXPECT_EQ(TDropSourceManager::Current(), use.get());
    }
    EXPECT_EQ(TDropSourceManager::Current(), nullptr) << "the drop source outlived its last use";

    // It answers IUnknown and IDropSource with one identity, nothing else; the last Release ends it.
    fw::ComPtr<TDropSource> made = fw::MakeComObject<TDropSource>();
    TDropSource* raw = made.detach();
    void* unknown = nullptr;
    void* asSource = nullptr;
    void* other = reinterpret_cast<void*>(1);
    ASSERT_EQ(raw->QueryInterface(IID_IUnknown, &unknown), S_OK);
    ASSERT_EQ(raw->QueryInterface(IID_IDropSource, &asSource), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(static_cast<IDropSource*>(raw)));
    EXPECT_EQ(asSource, static_cast<IDropSource*>(raw));
    EXPECT_EQ(raw->QueryInterface(IID_IDropSourceNotify, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(raw->QueryInterface(IID_IDropTarget, &other), E_NOINTERFACE);
    EXPECT_EQ(raw->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
    EXPECT_EQ(raw->Release(), 2u);
    EXPECT_EQ(raw->Release(), 1u);
    EXPECT_EQ(raw->Release(), 0u);
}

class Drag : public optest::ShellEntryTest {
protected:
    // Presses the left button on `entry`, then a helper thread moves the mouse to `to` and ends the drag
    // there while this thread runs the window's messages (and the drag loop inside them). Whether the drag
    // began; false also when it never ended.
    static bool DragEntry(TPopupButtonBase* entry, POINT to, Ending ending) {
        const HWND source = entry->Container()->OwnerWindow()->Handle();
        qbtest::MoveMouseTo(popuptest::EntryCenter(entry));
        qbtest::PressLeft();
        DragDriver driver(source, to, ending);
        const bool began = driver.Run();
        EXPECT_TRUE(driver.Ended()) << "the drag loop did not end with the release or Escape";
        return began;
    }

    // A shown window in front with one entry for the file at `path`.
    TestMenu* WindowWith(const std::wstring& path, optest::Counted<TFileButton>*& entry) {
        TestMenu* w = NewTestMenu();
        entry = AddItem<TFileButton>(w, path);
        ShowAt(w, 300, 200);
        EXPECT_TRUE(qbtest::BringToFront(w->Handle(), 5s));
        return w;
    }
};

TEST_F(Drag, AFileDraggedOutGivesTheTargetTheShellsDataObjectForExactlyThatFileWithItsEffects) {
    const std::wstring path = MakeItem(L"引っ張る.txt");
    MakeItem(L"そのまま.txt");
    WarmUpShell(path);
    const fw::ComPtr<RecordingTarget> target = fw::MakeComObject<RecordingTarget>();
    const TargetWindow drop(kTargetBounds, target.get());
    ASSERT_TRUE(drop.Registered());
    {
        qbtest::MallocSpyScope spy;
        optest::Counted<TFileButton>* entry = nullptr;
        TestMenu* w = WindowWith(path, entry);
        const DWORD allowed = entry->Attributes & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
        ASSERT_NE(allowed, DROPEFFECT_NONE) << "the shell allows nothing for a plain file";
        bool sourceDuringDrag = false;
        target->whileOver = [&] { sourceDuringDrag = TDropSourceManager::Current() != nullptr; };

        ASSERT_TRUE(DragEntry(entry, drop.Center(), Ending::Release)) << "no drag began";
        EXPECT_EQ(target->enters, 1);
        EXPECT_GT(target->overs, 0);
        EXPECT_EQ(target->drops, 1);
        EXPECT_EQ(target->offered, allowed) << "the offered effects are not the item's";
        EXPECT_EQ(target->enterFiles, std::vector<std::wstring>{path});
        EXPECT_EQ(target->dropFiles, std::vector<std::wstring>{path});
        EXPECT_EQ(target->enterIdListPaths, std::vector<std::wstring>{path})
            << "no Shell IDList Array naming the file";
        EXPECT_TRUE(sourceDuringDrag);
        EXPECT_EQ(TDropSourceManager::Current(), nullptr) << "the drop source outlived the drag";
        // The entry stays, and the window takes input as before: a second drag of it works too.
        ASSERT_EQ(w->ButtonManager->EntryCount(), 1);
        EXPECT_TRUE(DragEntry(entry, drop.Center(), Ending::Release));
        EXPECT_EQ(target->drops, 2);
        menus->DestroyComponents();
        EXPECT_EQ(g_liveEntries, 0);
        EXPECT_EQ(spy.Outstanding(), 0u) << "identifier lists left behind by the drag";
    }
}

TEST_F(Drag, ARefillDuringTheDragKeepsTheEntryUntilTheDragEndsAndFreesItThen) {
    const std::wstring path = MakeItem(L"消える.txt");
    WarmUpShell(path);
    const fw::ComPtr<RecordingTarget> target = fw::MakeComObject<RecordingTarget>();
    const TargetWindow drop(kTargetBounds, target.get());
    qbtest::MallocSpyScope spy;
    optest::Counted<TFileButton>* entry = nullptr;
    TestMenu* w = WindowWith(path, entry);
    TPopupButtonManager& m = *w->ButtonManager;
    // The folder changes while the drag rests over the target: the window empties itself through its queue.
    bool posted = false;
    int liveAfterRefill = -1;
    bool markedAfterRefill = false;
    int shownAfterRefill = -1;
    target->whileOver = [&] {
        if (!posted) {
            posted = ::PostMessageW(w->Handle(), TestMenu::kRefill, 0, 0) != FALSE;
            return;
        }
        if (m.EntryCount() != 0 || liveAfterRefill >= 0) return;
        liveAfterRefill = g_liveEntries;
        if (liveAfterRefill == 1) markedAfterRefill = entry->Marked();
        shownAfterRefill = m.EntryCount();
    };

    ASSERT_TRUE(DragEntry(entry, drop.Center(), Ending::Release));
    EXPECT_EQ(liveAfterRefill, 1) << "the entry was freed under its own drag";
    EXPECT_TRUE(markedAfterRefill);
    EXPECT_EQ(shownAfterRefill, 0) << "the refill did not show while the drag ran";
    EXPECT_EQ(target->drops, 1);
    EXPECT_EQ(target->dropFiles, std::vector<std::wstring>{path}) << "the drag lost its item to the refill";
    EXPECT_EQ(g_liveEntries, 0) << "the entry outlived the drag";
    EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 0);
    EXPECT_EQ(spy.Outstanding(), 0u) << "the freed entry's identifier lists were left behind";
}

TEST_F(Drag, ACopyOnlyItemOffersCopyAloneEscapeCancelsItAndAnItemThatAllowsNothingIsNotDragged) {
    const std::wstring path = MakeItem(L"複製だけ.txt");
    const fw::ComPtr<RecordingTarget> target = fw::MakeComObject<RecordingTarget>();
    const TargetWindow drop(kTargetBounds, target.get());
    optest::Counted<TFileButton>* entry = nullptr;
    WindowWith(path, entry);

    entry->SetAttributes(SFGAO_CANCOPY);
    ASSERT_TRUE(DragEntry(entry, drop.Center(), Ending::Escape));
    EXPECT_EQ(target->offered, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(target->enters, 1);
    EXPECT_EQ(target->leaves, 1) << "the cancelled drag did not leave the target";
    EXPECT_EQ(target->drops, 0);
    EXPECT_NE(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(entry->Marked());

    entry->SetAttributes(SFGAO_CANRENAME | SFGAO_CANDELETE);
    EXPECT_FALSE(DragEntry(entry, drop.Center(), Ending::Release));
    EXPECT_EQ(target->enters, 1) << "an item that allows no effect was dragged";
}

TEST_F(Drag, ADragOutOfASubmenuLeavesItOpenOnItsOwnAndItsParentOpensAnotherBesideIt) {
    const std::wstring path = MakeItem(L"子の中.txt");
    const fw::ComPtr<RecordingTarget> target = fw::MakeComObject<RecordingTarget>();
    const TargetWindow drop(kTargetBounds, target.get());
    TestMenu* parent = NewTestMenu();
    TPopupButtonBase* first = popuptest::AddCaptioned(*parent->ButtonManager, new TPopupButton, L"一つ目");
    TPopupButtonBase* second = popuptest::AddCaptioned(*parent->ButtonManager, new TPopupButton, L"二つ目");
    ShowAt(parent, 200, 200);
    optest::Counted<TFileButton>* entry = nullptr;
    TPopupMenuBase* child = parent->OpenChildFor(first, [&](TPopupButtonManager& m) {
        unique_absolute_idlist absolute = ParseDisplayPath(path);
        unique_child_idlist last = LastItemOf(absolute.get());
        entry = new optest::Counted<TFileButton>(std::move(absolute), std::move(last));
        entry->SetAttributes(optest::ShellAttributesOf(entry->AbsoluteId()));
        popuptest::AddCaptioned(m, entry, L"子の中.txt");
    });
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return child->Visible(); }));
    ASSERT_TRUE(qbtest::BringToFront(child->Handle(), 5s));
    bool detachedDuringDrag = false;
    target->whileOver = [&] { detachedDuringDrag = !child->ParentMenu && parent->ChildMenu != child; };

    ASSERT_TRUE(DragEntry(entry, drop.Center(), Ending::Release));
    EXPECT_EQ(target->drops, 1);
    EXPECT_TRUE(detachedDuringDrag) << "the submenu was still in its parent's cascade during the drag";
    EXPECT_EQ(parent->ChildMenu, nullptr);
    EXPECT_EQ(child->Owner(), menus.get()) << "the detached window was not adopted";
    const HWND childWindow = child->Handle();
    TPopupMenuBase* other = parent->OpenChildFor(
        second, [](TPopupButtonManager& m) { popuptest::AddCaptioned(m, new TPopupButton, L"別の子"); });
    qbtest::PumpFor(100ms);
    EXPECT_EQ(parent->ChildMenu, other);
    EXPECT_TRUE(::IsWindow(childWindow) && ::IsWindowVisible(childWindow))
        << "the dragged-from window closed";
    EXPECT_TRUE(other->Visible());
    EXPECT_EQ(g_liveEntries, 1);
}

}  // namespace
