// The context menu of a shell item: the shell's commands with our rename item, its identifier, the submenu
// that closes when the menu opens, and a refill of the window while the menu's loop runs.
#include "support/operations/ShellEntryTest.h"

#include "framework/UniqueAny.h"
#include "operations/ShellCommands.h"
#include "support/MallocSpy.h"

namespace {

using optest::g_liveEntries;
using optest::TestMenu;

struct MenuItem {
    UINT id = 0;
    bool separator = false;
    std::wstring text;
};

std::vector<MenuItem> ItemsOf(HMENU menu) {
    std::vector<MenuItem> items;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = L"";
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 128;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back({info.wID, (info.fType & MFT_SEPARATOR) != 0, text});
    }
    return items;
}

// Every identifier in the menu and its submenus.
void CollectIds(HMENU menu, std::vector<UINT>& ids) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (!(info.fType & MFT_SEPARATOR) && !info.hSubMenu) ids.push_back(info.wID);
        if (info.hSubMenu) CollectIds(info.hSubMenu, ids);
    }
}

// Counts the edit boxes this thread makes while it lives: one made and freed at once leaves no window to
// find.
class EditBoxWatch {
public:
    EditBoxWatch() : hook_(::SetWindowsHookExW(WH_CBT, &Proc, nullptr, ::GetCurrentThreadId())) { made_ = 0; }
    ~EditBoxWatch() {
        if (hook_) ::UnhookWindowsHookEx(hook_);
    }
    EditBoxWatch(const EditBoxWatch&) = delete;
    EditBoxWatch& operator=(const EditBoxWatch&) = delete;
    bool Hooked() const noexcept { return hook_ != nullptr; }
    int Made() const noexcept { return made_; }

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
        // The class is asked of the new window: the creation record may carry an atom instead of the name.
        wchar_t name[16] = L"";
        if (code == HCBT_CREATEWND && ::GetClassNameW(reinterpret_cast<HWND>(wParam), name, 16) &&
            ::lstrcmpiW(name, L"Edit") == 0)
            ++made_;
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline int made_ = 0;
    HHOOK hook_;
};

class ContextMenu : public optest::ShellEntryTest {};

TEST_F(ContextMenu, TheRenameItemStandsAboveTheShellsLastTwoItemsAboveEveryShellIdentifier) {
    TestMenu* w = NewTestMenu();
    auto* entry = AddItem<TFileButton>(w, MakeItem(L"メモ.txt"));
    ASSERT_NE(entry->Attributes & SFGAO_CANRENAME, 0u);
    ShowAt(w, 300, 200);
    std::vector<MenuItem> items;
    std::vector<UINT> ids;
    bool hooked = false;
    const bool shown = RightClickWithMenu(entry, [&](HMENU menu) {
        items = ItemsOf(menu);
        CollectIds(menu, ids);
        hooked = static_cast<bool>(w->MenuMessageHook);
        qbtest::TapKey(VK_ESCAPE);
        return true;
    });
    ASSERT_TRUE(shown) << "no context menu";
    ASSERT_GE(items.size(), 3u);
    const MenuItem& rename = items[items.size() - 3];
    EXPECT_EQ(rename.text, kRenameItemText);
    EXPECT_TRUE(items[items.size() - 2].separator);
    EXPECT_GE(rename.id, kFirstOwnCommand);
    for (UINT id : ids) {
        if (id != rename.id) {
            EXPECT_LT(id, rename.id) << "the rename identifier is not above the shell's";
        }
    }
    EXPECT_EQ(std::count(ids.begin(), ids.end(), rename.id), 1);
    EXPECT_TRUE(hooked) << "the shell's menu handler did not get the menu's messages";
    EXPECT_FALSE(w->MenuMessageHook) << "the hook outlived the menu";
    EXPECT_TRUE(w->ButtonManager->CloseAllowed);
}

TEST_F(ContextMenu, AChosenCommandRunsWhileTheMenusAreKeptFromClosing) {
    TestMenu* w = NewTestMenu();
    auto* entry = AddItem<TFileButton>(w, MakeItem(L"プロパティを見る.txt"));
    ShowAt(w, 300, 200);
    // Properties opens a modal property sheet: the command's own loop.
    bool dialogSeen = false;
    bool closeAllowedDuringCommand = true;
    const auto closeDialog = [] {
        if (HWND dialog = qbtest::FindThreadWindow(L"#32770"))
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    const qbtest::NestedStep inDialog(
        [&] {
            if (!qbtest::FindThreadWindow(L"#32770")) return false;
            dialogSeen = true;
            closeAllowedDuringCommand = w->ButtonManager->CloseAllowed;
            closeDialog();
            return true;
        },
        closeDialog);
    ASSERT_TRUE(RightClickWithMenu(entry, [](HMENU) {
        qbtest::TapKey('P');
        return true;
    }));
    EXPECT_TRUE(dialogSeen) << "the chosen command did not run";
    EXPECT_FALSE(closeAllowedDuringCommand);
    EXPECT_TRUE(w->ButtonManager->CloseAllowed);
}

TEST(FreeCommandId, SkipsOurTopLevelItemsAndEveryIdentifierTheShellUsed) {
    const fw::unique_hmenu ours(::CreatePopupMenu());
    for (UINT id : {1u, 2u, 300u, 301u}) ::AppendMenuW(ours.get(), MF_STRING, id, L"項目");
    EXPECT_EQ(FreeCommandId(ours.get(), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2)), 302u);

    // The shell's range reaches past 300 inside a submenu, which the top level does not show.
    const fw::unique_hmenu shell(::CreatePopupMenu());
    HMENU sendTo = ::CreatePopupMenu();
    ::AppendMenuW(sendTo, MF_STRING, 310, L"送る先");
    ::AppendMenuW(shell.get(), MF_STRING, 1, L"開く");
    ::AppendMenuW(shell.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sendTo), L"送る");
    EXPECT_EQ(FreeCommandId(shell.get(), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 310)), 311u);
}

TEST_F(ContextMenu, TheOpenSubmenuClosesWhenTheMenuOpens) {
    TestMenu* w = NewTestMenu();
    auto* entry = AddItem<TFileButton>(w, MakeItem(L"ファイル.txt"));
    ShowAt(w, 300, 200);
    TPopupMenuBase* child = w->OpenChildFor(nullptr, [](TPopupButtonManager& m) {
        popuptest::AddCaptioned(m, new TPopupButton, L"サブメニューの項目");
    });
    const HWND childWindow = child->Handle();
    ASSERT_TRUE(qbtest::WaitUntil([&] { return ::IsWindowVisible(childWindow) != FALSE; }));
    bool childSeen = true;
    const bool shown = RightClickWithMenu(entry, [&](HMENU) {
        childSeen = ::IsWindow(childWindow) && ::IsWindowVisible(childWindow);
        qbtest::TapKey(VK_ESCAPE);
        return true;
    });
    ASSERT_TRUE(shown);
    EXPECT_FALSE(childSeen) << "the submenu stayed beside the context menu";
    EXPECT_EQ(w->ChildMenu, nullptr);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(childWindow); }));
}

TEST_F(ContextMenu, ARefillDuringTheMenuFreesTheEntryAfterItsMenuAndLeaksNothing) {
    const std::wstring path = MakeItem(L"消える項目.txt");
    WarmUpShell(path);
    std::optional<qbtest::MallocSpyScope> spy(std::in_place);
    TestMenu* w = NewTestMenu();
    auto* entry = AddItem<TFileButton>(w, path);
    ShowAt(w, 300, 200);
    const EditBoxWatch boxes;
    ASSERT_TRUE(boxes.Hooked());
    bool posted = false;
    int liveDuringMenu = -1;
    bool markedDuringMenu = false;
    const bool shown = RightClickWithMenu(entry, [&](HMENU) {
        if (!posted) posted = ::PostMessageW(w->Handle(), TestMenu::kRefill, 0, 0) != FALSE;
        if (w->ButtonManager->EntryCount() != 0) return false;
        liveDuringMenu = g_liveEntries;
        markedDuringMenu = entry->Marked();
        // The user chooses the rename item of an entry that has left the window.
        qbtest::TapKey('M');
        return true;
    });
    ASSERT_TRUE(shown);
    EXPECT_EQ(liveDuringMenu, 1) << "the entry was freed under its own menu";
    EXPECT_TRUE(markedDuringMenu);
    EXPECT_EQ(g_liveEntries, 0) << "the entry outlived its menu";
    EXPECT_EQ(boxes.Made(), 0) << "a rename box for a gone entry";
    EXPECT_EQ(spy->Outstanding(), 0u) << "identifier lists or shell objects left behind";
}

}  // namespace
