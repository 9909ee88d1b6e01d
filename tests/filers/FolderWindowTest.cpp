// Folder windows on real folders: what they list and in which order, how a folder entry opens the next
// level, how a window follows its folder on disk (the watcher, F5, a burst of changes), a drag onto a
// window, and a whole round: into the second level, a rename through the context menu, the window showing
// the new name.
#include "filers/RootMenuFiler.h"
#include "filers/SubFolderFiler.h"
#include "support/shell/DragTest.h"
#include "support/operations/ShellEntryTest.h"
#include "support/MallocSpy.h"
#include "shell/FileSystemPath.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using optest::ShellEntryTest;

// The windows of these tests (and of the keyboard's) are read as soon as they are made: they wait for
// their listing however busy the machine is.
[[maybe_unused]] const bool kWaitForListings = (TSubFolderFiler::ListingBudget = 20000, true);

// A refill, and its listing shown.
void Refilled(TSubFolderFiler* w) {
    w->Refill();
    ASSERT_TRUE(qbtest::WaitUntil([w] { return !w->ListingPending(); }, 10s));
}

// A folder window that counts the refill requests that reach it (those not answered by an earlier
// refill of the same burst).
class CountingFolderWindow : public TSubFolderFiler {
public:
    using TSubFolderFiler::TSubFolderFiler;
    int requests = 0;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kFolderChanged) ++requests;
        return TSubFolderFiler::WndProc(msg, wParam, lParam);
    }
};

// A drop source of the test: the usual answers, and the effect the target under the cursor chose each
// time OLE asks for the cursor.
class FeedbackSource final : public fw::ComObject<IDropSource> {
public:
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) noexcept override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    STDMETHODIMP GiveFeedback(DWORD effect) noexcept override {
        effects.push_back(effect);
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }
    std::vector<DWORD> effects;

private:
    ~FeedbackSource() override = default;
};

// A folder entry whose opening runs a modal loop of its own once (as a drive asking for its disk does):
// `inLoop` runs inside it. It counts the hovers that reach it.
class AskingFolder : public TFolderButton {
public:
    using TFolderButton::TFolderButton;
    std::function<void()> inLoop;
    int hovers = 0;
    void Hover() override {
        ++hovers;
        TFolderButton::Hover();
    }

protected:
    void PrepareIcon() override {
        if (auto step = std::exchange(inLoop, nullptr)) step();
        TFolderButton::PrepareIcon();
    }
};

std::vector<std::wstring> Captions(const TPopupMenuBase* w) {
    std::vector<std::wstring> captions;
    for (TPopupButtonBase* e : *w->ButtonManager)
        captions.push_back(e->CaptionText() ? *e->CaptionText() : L"");
    return captions;
}

TFileObject* EntryOf(const TPopupMenuBase* w, const std::wstring& caption) {
    for (TPopupButtonBase* e : *w->ButtonManager) {
        if (e->CaptionText() && *e->CaptionText() == caption) return dynamic_cast<TFileObject*>(e);
    }
    return nullptr;
}

bool Shows(const TPopupMenuBase* w, const std::wstring& caption) {
    return EntryOf(w, caption) != nullptr;
}

class FolderWindow : public ShellEntryTest {
protected:
    // A window on `path` as a submenu would get it, owned by the test's menu manager.
    template <class Window = TSubFolderFiler>
    Window* Open(const std::wstring& path) {
        unique_absolute_idlist absolute = ParseDisplayPath(path);
        EXPECT_TRUE(absolute);
        unique_child_idlist last = LastItemOf(absolute.get());
        TFileObject stand(std::move(absolute), std::move(last));
        stand.SetCaption(path.substr(path.rfind(L'\\') + 1));
        return new Window(menus.get(), false, stand, menus.get());
    }
    // Shows a window in front, so that it watches its folder.
    static void ShowActive(TPopupMenuBase* w, int left, int top) {
        ShowAt(w, left, top);
        ASSERT_TRUE(qbtest::BringToFront(w->Handle(), 5s));
        ASSERT_TRUE(qbtest::WaitUntil([&] { return TMenuFilerBase::Watchers()->Count() > 0; }));
    }
};

TEST_F(FolderWindow, ListsItsFolderInTheFoldersOwnOrderWithEntryKindsColoursAndPlaceholders) {
    MakeItem(L"サブフォルダ", true);
    MakeItem(L"空のフォルダ", true);
    for (const wchar_t* name : {L"b.txt", L"A.txt", L"10.txt", L"9.txt", L"メモ.txt"}) MakeItem(name);
    const std::wstring hidden = MakeItem(L"隠し.txt");
    const std::wstring system = MakeItem(L"システム.txt");
    const std::wstring readOnly = MakeItem(L"読み取り専用.txt");
    ::SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    // The shell keeps a few blocks of its own after the first listing of a folder; a leak of ours recurs.
    TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
    TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Child(L"空のフォルダ"), false);
    menus->DestroyComponents();
    {
        qbtest::MallocSpyScope spy;
        TSubFolderFiler* w = TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->Caption(), folder_->Path().substr(folder_->Path().rfind(L'\\') + 1));
        TPopupButtonManager& m = *w->ButtonManager;
        ASSERT_EQ(m.EntryCount(), 10) << "hidden and system files are listed too";
        // Files dropped on the window go to the folder's own drop target, registered for the window.
        ASSERT_NE(w->DropTarget(), nullptr);
        EXPECT_EQ(::RegisterDragDrop(w->Handle(), w->DropTarget()), DRAGDROP_E_ALREADYREGISTERED);

        // In the folder's own order, each of its kind.
        {
            const TShellFolder folder(w->Folder());
            for (int i = 0; i + 1 < m.EntryCount(); ++i) {
                auto* a = dynamic_cast<TFileObject*>(m.Entries(i));
                auto* b = dynamic_cast<TFileObject*>(m.Entries(i + 1));
                ASSERT_TRUE(a && b);
                EXPECT_LE(
                    static_cast<short>(HRESULT_CODE(folder->CompareIDs(0, a->RelativeId(), b->RelativeId()))),
                    0)
                    << "out of order at " << i;
            }
        }
        for (TPopupButtonBase* e : m) {
            const std::wstring& caption = *e->CaptionText();
            const bool isFolder = caption == L"サブフォルダ" || caption == L"空のフォルダ";
            EXPECT_EQ(dynamic_cast<TFolderButton*>(e) != nullptr, isFolder);
            EXPECT_EQ(dynamic_cast<TFileButton*>(e) != nullptr, !isFolder);
        }

        // Colours from the file attributes, which come after the shell's and win; system before hidden.
        auto colour = [&](const std::wstring& caption) {
            for (TPopupButtonBase* e : m) {
                if (*e->CaptionText() == caption) return dynamic_cast<TFileObject*>(e)->GetFont().GetColor();
            }
            return fw::Color{0xFFFFFFFF};
        };
        EXPECT_EQ(colour(L"隠し.txt"), 0x808080u);
        EXPECT_EQ(colour(L"システム.txt"), 0x000080u);
        EXPECT_EQ(colour(L"読み取り専用.txt"), 0x008000u);
        EXPECT_EQ(colour(L"メモ.txt"), fw::clWindowText);

        // An empty folder shows "(なし)"; a path that names nothing opens no window.
        TSubFolderFiler* empty =
            TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Child(L"空のフォルダ"), false);
        ASSERT_NE(empty, nullptr);
        EXPECT_EQ(Captions(empty), std::vector<std::wstring>{TSubFolderFiler::kNothing});
        EXPECT_GT(empty->ClientHeight(), 0) << "the placeholder's window has no size";
        EXPECT_EQ(TSubFolderFiler::OpenFolderByPath(menus.get(), L"C:\\どこにもない\\場所", false), nullptr);

        menus->DestroyComponents();
        EXPECT_EQ(TMenuFilerBase::Watchers(), nullptr)
            << "the watcher manager outlived the last folder window";
        EXPECT_EQ(spy.Outstanding(), 0u) << "identifier lists left behind";
    }
}

TEST_F(FolderWindow, TheDesktopLevelListsTheDesktopsFoldersUnderItsName) {
    auto* root = new TRootMenuFiler(menus.get(), false, menus.get());
    EXPECT_TRUE(root->IsRootMenu());
    EXPECT_FALSE(root->Caption().empty());
    EXPECT_NE(root->Icon(), nullptr);
    ASSERT_GT(root->ButtonManager->EntryCount(), 0);
    for (TPopupButtonBase* e : *root->ButtonManager) EXPECT_NE(dynamic_cast<TFolderButton*>(e), nullptr);
    EXPECT_GT(root->ClientHeight(), 0);
    // A top menu takes no drops: no drop target is registered for it, so one of the test's registers.
    const fw::ComPtr<dragtest::RecordingTarget> probe = fw::MakeComObject<dragtest::RecordingTarget>();
    EXPECT_EQ(::RegisterDragDrop(root->Handle(), probe.get()), S_OK);
    EXPECT_EQ(::RevokeDragDrop(root->Handle()), S_OK);
}

TEST_F(FolderWindow, ItsFoldersOwnDropTargetAnswersADragOfAFileWithTheShellsEffects) {
    const std::wstring into = MakeItem(L"受け取る", true);
    MakeItem(L"出す", true);
    const std::wstring file = MakeItem(L"出す\\届く.txt");
    auto* w = Open(into);
    ShowAt(w, 500, 200);
    ASSERT_NE(w->DropTarget(), nullptr);
    EXPECT_EQ(::RegisterDragDrop(w->Handle(), w->DropTarget()), DRAGDROP_E_ALREADYREGISTERED);

    // The shell's data object for a file in another folder, as a drag from the explorer carries it.
    const unique_absolute_idlist absolute = ParseDisplayPath(file);
    const unique_absolute_idlist parentList = ParentIdList(absolute.get());
    const unique_child_idlist last = LastItemOf(absolute.get());
    const TShellFolder parent(parentList.get());
    ASSERT_TRUE(parent);
    PCUITEMID_CHILD items[] = {last.get()};
    fw::ComPtr<IDataObject> data;
    ASSERT_HRESULT_SUCCEEDED(
        parent->GetUIObjectOf(nullptr, 1, items, IID_IDataObject, nullptr, data.put_void()));
    ASSERT_TRUE(data);

    // The drag starts from a window of the test (the left button goes down on a window of this thread)
    // and a helper thread moves it onto the folder window and releases it there.
    const dragtest::TargetWindow pad(RECT{150, 200, 300, 300}, nullptr);
    qbtest::MoveMouseTo(pad.Center());
    qbtest::PressLeft();
    const fw::ComPtr<FeedbackSource> source = fw::MakeComObject<FeedbackSource>();
    const RECT client = popuptest::ClientOnScreen(w);
    dragtest::DragDriver driver(pad.Handle(), POINT{(client.left + client.right) / 2, client.top + 8},
                                dragtest::Ending::Release);
    driver.Start();
    constexpr DWORD kOffered = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = ::DoDragDrop(data.get(), source.get(), kOffered, &effect);
    EXPECT_TRUE(driver.Finish()) << "the drag did not begin";
    EXPECT_TRUE(driver.Ended());

    // Over the pad, which takes nothing, the cursor said so; over the folder window its target chose the
    // shell's own effect for a file from the same drive with no key held: a move.
    ASSERT_FALSE(source->effects.empty());
    EXPECT_EQ(source->effects.front(), static_cast<DWORD>(DROPEFFECT_NONE));
    const DWORD chosen = source->effects.back() & ~static_cast<DWORD>(DROPEFFECT_SCROLL);
    EXPECT_EQ(chosen, static_cast<DWORD>(DROPEFFECT_MOVE))
        << "the folder's target did not answer as the shell";
    EXPECT_EQ(result, DRAGDROP_S_DROP);
    const std::wstring landed = into + L"\\届く.txt";
    if (dragtest::RunningOnWine()) {
        // Wine's shell folders take a drag but do not carry out the drop: what lands is for Windows to show.
        return;
    }
    EXPECT_TRUE(qbtest::WaitUntil(
        [&] {
            return ::GetFileAttributesW(landed.c_str()) != INVALID_FILE_ATTRIBUTES &&
                   ::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES;
        },
        10s))
        << "the dropped file did not move into the window's folder";
}

TEST_F(FolderWindow, FollowsItsFolderOnDiskButNotChangesInsideASubfolderAndRefillsOnF5) {
    MakeItem(L"サブ", true);
    MakeItem(L"最初.txt");
    auto* w = Open<CountingFolderWindow>(folder_->Path());
    ShowActive(w, 200, 150);
    ASSERT_TRUE(Shows(w, L"最初.txt"));

    const std::wstring added = MakeItem(L"新しい.txt");
    EXPECT_TRUE(qbtest::WaitUntil([&] { return Shows(w, L"新しい.txt"); }, 5s)) << "a new file did not show";
    ASSERT_TRUE(::MoveFileW(added.c_str(), folder_->Child(L"改名.txt").c_str()));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return Shows(w, L"改名.txt") && !Shows(w, L"新しい.txt"); }, 5s));
    ASSERT_TRUE(::DeleteFileW(folder_->Child(L"改名.txt").c_str()));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !Shows(w, L"改名.txt"); }, 5s));

    // A change inside a subfolder is not this window's.
    qbtest::PumpFor(300ms);
    const int before = w->requests;
    qbtest::MakeFile(folder_->Child(L"サブ\\奥.txt"));
    qbtest::PumpFor(500ms);
    EXPECT_EQ(w->requests, before);

    ::SendMessageW(w->Handle(), WM_KEYDOWN, VK_F5, 0);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return w->requests == before + 1; }, 2s)) << "F5 did not refill";

    // A change while an entry's context menu is open: the entry stays for the menu, the window shows
    // the change once the menu has closed.
    auto* entry = dynamic_cast<TFileObject*>(w->ButtonManager->Entries(1));
    ASSERT_NE(entry, nullptr);
    int entriesDuringMenu = -1;
    bool entryKept = false;
    ASSERT_TRUE(RightClickWithMenu(entry, [&](HMENU) {
        qbtest::MakeFile(folder_->Child(L"メニューの間.txt"));
        qbtest::PumpFor(400ms);
        entriesDuringMenu = w->ButtonManager->EntryCount();
        entryKept = !entry->Marked();
        ::EndMenu();
        return true;
    }));
    EXPECT_EQ(entriesDuringMenu, 2) << "the window refilled under its open context menu";
    EXPECT_TRUE(entryKept);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return Shows(w, L"メニューの間.txt"); }, 5s));
}

TEST_F(FolderWindow, ABurstOfChangesIsAnsweredByAFewRefillsAndEscapeStillAtOnce) {
    auto* w = Open<CountingFolderWindow>(folder_->Path());
    ShowActive(w, 220, 160);
    const HWND window = w->Handle();
    // An unzip into a shown folder: hundreds of names appear while the window is busy.
    for (int i = 0; i < 400; ++i) qbtest::MakeFile(folder_->Child(L"展開 " + std::to_wstring(i) + L".txt"));
    ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    int requests = 0;
    ASSERT_TRUE(qbtest::WaitUntil(
        [&] {
            if (::IsWindow(window)) requests = w->requests;
            return !::IsWindow(window);
        },
        10s))
        << "Escape was kept waiting behind the refills";
    EXPECT_LT(requests, 40) << "every change of the burst refilled the window";
}

TEST_F(FolderWindow, AClosedWindowStopsWatchingItsFolderAtOnce) {
    const std::wstring first = MakeItem(L"一", true);
    const std::wstring second = MakeItem(L"二", true);
    TSubFolderFiler* a = Open(first);
    TSubFolderFiler* b = Open(second);
    ShowActive(a, 200, 150);
    ShowActive(b, 400, 150);
    ASSERT_TRUE(qbtest::WaitUntil([] { return TMenuFilerBase::Watchers()->Count() == 2; }));
    const HWND closed = a->Handle();
    ::PostMessageW(closed, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(closed); }));
    const auto watched = TMenuFilerBase::Watchers()->Watched();
    ASSERT_EQ(watched.size(), 1u) << "the closed window's folder is still watched";
    EXPECT_EQ(watched[0].first, b->Handle());
    EXPECT_EQ(watched[0].second, second);
}

TEST_F(FolderWindow, IntoTheSecondLevelThenARenameThroughTheContextMenuShowsTheNewName) {
    MakeItem(L"書類", true);
    MakeItem(L"書類\\古い名前.txt");
    auto* top = Open(folder_->Path());
    ShowActive(top, 150, 120);
    TPopupButtonBase* folderEntry = top->ButtonManager->Entries(0);
    ASSERT_EQ(*folderEntry->CaptionText(), L"書類");

    // Resting on the folder entry opens its window beside this one, with the entry's caption and icon.
    qbtest::MoveMouseTo(popuptest::EntryCenter(folderEntry));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return top->ChildMenu && top->ChildMenu->Visible(); }, 3s));
    auto* child = dynamic_cast<TSubFolderFiler*>(top->ChildMenu);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->Caption(), L"書類");
    EXPECT_NE(child->Icon(), nullptr);
    EXPECT_EQ(child->Left(), top->Left() + top->Width() - 5);
    ASSERT_TRUE(qbtest::BringToFront(child->Handle(), 5s));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return TMenuFilerBase::Watchers()->Count() == 2; }));

    // Right-click the file, choose rename, type the new name, Enter.
    auto* file = dynamic_cast<TFileObject*>(child->ButtonManager->Entries(0));
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(RightClickWithMenu(file, [](HMENU) {
        qbtest::TapKey('M');
        return true;
    }));
    ASSERT_NE(file->EditBox, nullptr);
    qbtest::TapKey(VK_END);
    qbtest::KeyDown(VK_SHIFT);
    qbtest::TapKey(VK_HOME);
    qbtest::KeyUp(VK_SHIFT);
    optest::TypeText(L"新しい名前.txt");
    qbtest::TapKey(VK_RETURN);
    const std::wstring renamed = folder_->Child(L"書類\\新しい名前.txt");
    EXPECT_TRUE(qbtest::WaitUntil([&] {
        return ::GetFileAttributesW(renamed.c_str()) != INVALID_FILE_ATTRIBUTES;
    })) << "the file was not renamed on disk";
    EXPECT_TRUE(qbtest::WaitUntil(
        [&] {
            return top->ChildMenu && Shows(top->ChildMenu, L"新しい名前.txt") &&
                   !Shows(top->ChildMenu, L"古い名前.txt");
        },
        5s))
        << "the window did not show the new name";
    if (top->ChildMenu) {
        qbtest::SaveScreenshot(popuptest::ClientOnScreen(top->ChildMenu),
                               qbtest::OutputFolder() + L"\\renamed.bmp");
    }
}

TEST_F(FolderWindow, ARenameBoxLeftOpenFollowsItsItemThroughChangesOnDiskAndEndsWithIt) {
    const std::wstring renamed = MakeItem(L"b.txt");
    auto* w = Open(folder_->Path());
    ShowActive(w, 200, 150);
    EntryOf(w, L"b.txt")->BeginRename();
    qbtest::TapKey(VK_END);
    optest::TypeText(L"新");
    MakeItem(L"a.txt");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return Shows(w, L"a.txt"); }, 5s))
        << "the open box kept the change out";
    TFileObject* entry = EntryOf(w, L"b.txt");
    ASSERT_TRUE(entry && entry->EditBox && entry->EditBox->Visible()) << "the box went with the refill";
    EXPECT_EQ(entry->EditBox->Text(), L"b.txt新");
    EXPECT_EQ(entry->EditBox->Top(), entry->Top()) << "the box is not over its item";
    EXPECT_TRUE(entry->EditBox->Focused());

    // The item goes away: so does its rename.
    ASSERT_TRUE(::DeleteFileW(renamed.c_str()));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return !Shows(w, L"b.txt"); }, 5s));
    EXPECT_FALSE(::IsWindowVisible(::FindWindowExW(w->Handle(), nullptr, L"Edit", nullptr)))
        << "a rename box outlived its item";
}

TEST_F(FolderWindow, AFolderRestedOnWhileAnotherIsListedOpensAfterItAndItsWindowStaysTracked) {
    const int windowsBefore = fw::LiveCount<TPopupMenuBase>::Live();
    auto* w = new TMenuFilerBase(menus.get(), false, menus.get(), fw::FormParams{L"QbTestFiler"});
    auto* first = AddItem<AskingFolder>(w, MakeItem(L"一", true));
    auto* second = AddItem<AskingFolder>(w, MakeItem(L"二", true));
    second->SetHoverDelay(100);
    ShowAt(w, 200, 150);
    first->inLoop = [&] {
        // While the first folder is listed, the user rests on the second.
        qbtest::MoveMouseTo(popuptest::EntryCenter(second));
        qbtest::WaitUntil([&] { return second->hovers > 0; }, 5s);
        qbtest::PumpFor(100ms);
    };
    EXPECT_EQ(first->OpenSubmenu(), nullptr) << "the first request was replaced";
    ASSERT_GT(second->hovers, 0);
    ASSERT_NE(w->ChildMenu, nullptr);
    EXPECT_EQ(w->ChildMenu->Caption(), L"二");
    qbtest::PumpFor(100ms);
    EXPECT_EQ(fw::LiveCount<TPopupMenuBase>::Live(), windowsBefore + 2) << "a submenu escaped its parent";
}

TEST_F(FolderWindow, ARefillKeepsTheTrianglesOnTheSideItsSubmenusOpenTo) {
    MakeItem(L"親", true);
    MakeItem(L"親\\子", true);
    TSubFolderFiler* top = TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), true);
    ShowAt(top, ::GetSystemMetrics(SM_CXSCREEN) - top->Width(), 150);
    auto* child = dynamic_cast<TSubFolderFiler*>(top->OpenSubFolder(top->ButtonManager->Entries(0)));
    ASSERT_TRUE(child && !child->OpensRight);
    auto side = [&] { return dynamic_cast<TFolderButton&>(*child->ButtonManager->Entries(0)).TriangleSide; };
    EXPECT_EQ(side(), 0);
    Refilled(child);
    EXPECT_EQ(side(), 0) << "the triangle moved to the other side";
}

TEST_F(FolderWindow, AFolderThatIsGoneOrBeyondTheShellsReachCannotBeAccessed) {
    const std::wstring gone = MakeItem(L"消える", true);
    MakeItem(L"消える\\中.txt");
    auto* w = Open(gone);
    ASSERT_TRUE(Shows(w, L"中.txt"));
    const std::vector<std::wstring> noAccess{TSubFolderFiler::kNoAccess};
    ASSERT_TRUE(::MoveFileW(gone.c_str(), (gone + L"2").c_str()));
    Refilled(w);
    EXPECT_EQ(Captions(w), noAccess) << "renamed";
    ASSERT_TRUE(qbtest::MakeFile(gone));
    Refilled(w);
    EXPECT_EQ(Captions(w), noAccess) << "replaced by a file";

    // A folder deeper than MAX_PATH, reached from its parent, and watched by its whole path.
    std::wstring parent = folder_->Path();
    while (parent.size() < 200)
        ASSERT_TRUE(::CreateDirectoryW((parent += L"\\深い階層のフォルダ").c_str(), nullptr));
    const std::wstring deep = parent + L"\\" + std::wstring(70, L'底');
    ASSERT_TRUE(::CreateDirectoryW(ExtendedLengthPath(deep).c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(ExtendedLengthPath(deep + L"\\先").c_str(), nullptr));
    auto* top = Open(parent);
    ShowActive(top, 100, 100);
    auto* w2 = dynamic_cast<TSubFolderFiler*>(top->OpenSubFolder(top->ButtonManager->Entries(0)));
    ASSERT_NE(w2, nullptr);
    ASSERT_TRUE(qbtest::BringToFront(w2->Handle(), 5s));
    // Wine's shell lists no folder deeper than MAX_PATH.
    EXPECT_EQ(Captions(w2), dragtest::RunningOnWine() ? noAccess : std::vector<std::wstring>{L"先"});
    EXPECT_TRUE(qbtest::WaitUntil([&] {
        const auto watched = TMenuFilerBase::Watchers()->Watched();
        return !watched.empty() && watched.back().second == deep;
    })) << "not watched by its whole path";
    menus->DestroyComponents();
    ::RemoveDirectoryW(ExtendedLengthPath(deep + L"\\先").c_str());
    ::RemoveDirectoryW(ExtendedLengthPath(deep).c_str());
}

TEST_F(FolderWindow, AWindowWatchedAgainShowsWhatChangedWhileItWasNot) {
    std::vector<TSubFolderFiler*> w;
    for (const wchar_t* name : {L"一", L"二", L"三"}) w.push_back(Open(MakeItem(name, true)));
    ShowActive(w[0], 100, 100);
    ShowActive(w[1], 300, 100);
    ShowActive(w[2], 500, 100);  // the first loses its watcher
    MakeItem(L"一\\その間.txt");
    ASSERT_TRUE(qbtest::BringToFront(w[0]->Handle(), 5s));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return Shows(w[0], L"その間.txt"); }, 5s));
}

}  // namespace
