// Renaming a shell item in place: the rename item of the context menu opens an edit box over the caption,
// Enter renames the file on disk, Escape leaves everything as it was, and a refill takes the box away.
#include "support/operations/ShellEntryTest.h"

#include "operations/ShellCommands.h"
#include "support/MallocSpy.h"
#include "support/Process.h"

namespace {

using optest::g_liveEntries;
using optest::TestMenu;

class Rename : public optest::ShellEntryTest {
protected:
    // Right-click, then the rename item by its accelerator.
    static void OpenRenameBox(TFileObject* entry) {
        ASSERT_TRUE(RightClickWithMenu(entry, [](HMENU) {
            qbtest::TapKey('M');
            return true;
        }));
        ASSERT_NE(entry->EditBox, nullptr) << "no rename box";
        EXPECT_TRUE(entry->EditBox->Visible());
        EXPECT_TRUE(entry->EditBox->Focused());
    }
    // Replaces the box's text the way a user does: select it all, then type.
    static void TypeOver(const std::wstring& text) {
        qbtest::TapKey(VK_END);
        qbtest::KeyDown(VK_SHIFT);
        qbtest::TapKey(VK_HOME);
        qbtest::KeyUp(VK_SHIFT);
        optest::TypeText(text);
    }
    static bool Exists(const std::wstring& path) {
        return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
};

TEST_F(Rename, EscapeKeepsTheNameAndEnterRenamesTheFileOnDiskWithoutLeaks) {
    const std::wstring oldPath = MakeItem(L"old-name.txt");
    const std::wstring newName = L"新しい名前 ２.txt";
    const std::wstring newPath = folder_->Child(newName);
    WarmUpShell(oldPath);
    std::optional<qbtest::MallocSpyScope> spy(std::in_place);
    TestMenu* w = NewTestMenu();
    auto* entry = AddItem<TFileButton>(w, oldPath);
    ShowAt(w, 300, 200);

    OpenRenameBox(entry);
    ASSERT_NE(entry->EditBox, nullptr);
    EXPECT_EQ(entry->EditBox->Text(), L"old-name.txt");
    EXPECT_EQ(entry->EditBox->Left(), entry->Left() + TIconButton::kIconWidth + TIconButton::kGap);
    EXPECT_EQ(entry->EditBox->Top(), entry->Top());
    TypeOver(newName);
    EXPECT_EQ(entry->EditBox->Text(), newName);
    qbtest::TapKey(VK_ESCAPE);
    qbtest::SettleInput();
    EXPECT_FALSE(entry->EditBox->Visible());
    EXPECT_TRUE(Exists(oldPath));
    EXPECT_FALSE(Exists(newPath));
    EXPECT_EQ(entry->Caption(), L"old-name.txt");
    EXPECT_TRUE(w->Visible()) << "Escape in the box closed the menu window";

    OpenRenameBox(entry);
    TypeOver(newName);
    qbtest::TapKey(VK_RETURN);
    qbtest::SettleInput();
    EXPECT_TRUE(Exists(newPath)) << "the file was not renamed";
    EXPECT_FALSE(Exists(oldPath));
    EXPECT_EQ(entry->Caption(), newName);
    EXPECT_EQ(qbtest::ParsingNameOf(entry->AbsoluteId()), newPath);
    EXPECT_TRUE(IdListsEqual(LastItemOf(entry->AbsoluteId()).get(), entry->RelativeId()));
    ASSERT_NE(entry->EditBox, nullptr);
    EXPECT_FALSE(entry->EditBox->Visible());

    w->ButtonManager->ClearEntries();
    EXPECT_EQ(g_liveEntries, 0);
    EXPECT_EQ(spy->Outstanding(), 0u) << "identifier lists left behind";
}

TEST_F(Rename, ARefillWhileTheBoxIsOpenTakesTheBoxAndEnterReachesNoShell) {
    const std::wstring path = MakeItem(L"そのまま.txt");
    TestMenu* w = NewTestMenu();
    auto* entry = AddItem<TFileButton>(w, path);
    ShowAt(w, 300, 200);
    OpenRenameBox(entry);
    ASSERT_NE(entry->EditBox, nullptr);
    const HWND box = entry->EditBox->Handle();
    TypeOver(L"別の名前");

    ::PostMessageW(w->Handle(), TestMenu::kRefill, 0, 0);
    EXPECT_TRUE(qbtest::WaitUntil([] { return g_liveEntries == 0; }));
    EXPECT_FALSE(::IsWindow(box)) << "the rename box outlived its entry";
    qbtest::TapKey(VK_RETURN);
    qbtest::SettleInput();
    EXPECT_TRUE(Exists(path));
    EXPECT_FALSE(Exists(folder_->Child(L"別の名前")));
}

TEST_F(Rename, NamesTheFileSystemWouldMangleAreRefusedWithTheBoxOpenAndTheCaptionIsTheShellsName) {
    const std::wstring path = MakeItem(L"とても長い名前のファイルです 0123456789.txt");
    MakeItem(L"ある.txt");
    TestMenu* w = NewTestMenu();
    auto* entry = AddItem<TFileButton>(w, path);
    ShowAt(w, 300, 200);
    OpenRenameBox(entry);
    EXPECT_EQ(entry->EditBox->Left() + entry->EditBox->Width(), entry->Left() + entry->Width())
        << "the box does not reach the row's end";
    // A change of letter case only: the caption is what the shell now calls the file (Wine keeps the name).
    entry->EditBox->SetText(L"とても長い名前のファイルです 0123456789.TXT");
    entry->ApplyRename();
    WIN32_FIND_DATAW data{};
    ::FindClose(
        ::FindFirstFileW(folder_->Child(L"とても長い名前のファイルです 0123456789.txt").c_str(), &data));
    EXPECT_EQ(entry->Caption(), data.cFileName);
    entry->BeginRename();
    // Empty, only blanks, too long, and the name of another file (which the shell refuses).
    for (const std::wstring& bad :
         {std::wstring(), std::wstring(L"   "), std::wstring(300, L'x'), std::wstring(L"ある.txt")}) {
        entry->EditBox->SetText(bad);
        std::wstring caption;
        qbtest::NestedStep told(
            [&] {
                const HWND box = qbtest::FindThreadWindow(L"#32770");
                if (box) caption = qbtest::WindowText(box), ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                return box != nullptr;
            },
            [] { ::PostMessageW(qbtest::FindThreadWindow(L"#32770"), WM_COMMAND, IDOK, 0); });
        entry->ApplyRename();
        EXPECT_TRUE(told.Done()) << "no message for " << bad.size() << " characters";
        EXPECT_EQ(caption, L"Quillbrook");
        EXPECT_TRUE(entry->EditBox->Visible() && entry->EditBox->Text() == bad) << "the box closed";
        EXPECT_TRUE(Exists(path));
    }
}

}  // namespace
