// Folder entries: a click runs the folder's default command, and the hover (or the triangle, when
// triangles are shown) asks the menu window to open the folder as its submenu, once.
#include "support/operations/ShellEntryTest.h"

#include "framework/UniqueAny.h"

namespace {

using namespace std::chrono_literals;
using optest::TestMenu;

// Under Wine the default command of a folder's context menu is Explore, which Wine's shell carries out
// through the "explore" verb of the Folder class; a verb of our own there makes it observable. (Wine does
// not merge HKCU\Software\Classes into HKEY_CLASSES_ROOT, and carries out no verb of a file's own type
// from the item's menu, so a made-up file type cannot serve.) Removed afterwards.
class ExploreVerb {
public:
    static constexpr wchar_t kVerb[] = L"Software\\Classes\\Folder\\shell\\explore";

    explicit ExploreVerb(const std::wstring& command) {
        fw::unique_hkey key;
        DWORD disposition = 0;
        const std::wstring name = std::wstring(kVerb) + L"\\command";
        if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              key.put(), &disposition) != ERROR_SUCCESS)
            return;
        // A system that has the verb already (Windows) keeps its own.
        created_ = disposition == REG_CREATED_NEW_KEY;
        if (!created_) return;
        ::RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    ~ExploreVerb() {
        if (created_) ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kVerb);
    }
    ExploreVerb(const ExploreVerb&) = delete;
    ExploreVerb& operator=(const ExploreVerb&) = delete;
    bool Created() const noexcept { return created_; }

private:
    bool created_ = false;
};

class Folder : public optest::ShellEntryTest {};

TEST_F(Folder, AClickRunsTheFoldersDefaultCommand) {
    const std::wstring marker = folder_->Child(L"ran.txt");
    const ExploreVerb verb(L"cmd /c echo done > \"" + marker + L"\"");
    if (!verb.Created()) GTEST_SKIP() << "the Folder class has an explore verb of its own";
    TestMenu* w = NewTestMenu();
    auto* entry = AddItem<TFolderButton>(w, MakeItem(L"開くフォルダ", true));
    int clicks = 0;
    entry->OnClick = [&](TPopupButtonBase&) { ++clicks; };
    ShowAt(w, 300, 200);
    qbtest::MoveMouseTo(popuptest::EntryCenter(entry));
    qbtest::PressLeft();
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(qbtest::WaitUntil(
        [&] { return ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10s))
        << "the default command did not run";
    EXPECT_TRUE(w->ButtonManager->CloseAllowed);
}

TEST_F(Folder, TheHoverOpensTheSubfolderOnceAndTheTriangleWhenTrianglesShow) {
    TestMenu* w = NewTestMenu();
    auto* folder = AddItem<TFolderButton>(w, MakeItem(L"サブフォルダ", true));
    folder->SetHoverDelay(50);
    // Opening a slow folder pumps messages: the same entry asks again meanwhile.
    w->whileOpening = [&] {
        if (w->opened.size() == 1) folder->Hover();
    };
    ShowAt(w, 300, 200);
    qbtest::MoveMouseTo(popuptest::EntryCenter(folder));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !w->opened.empty(); }, 2s));
    qbtest::PumpFor(100ms);
    ASSERT_EQ(w->opened.size(), 1u) << "a request from inside the opening was not dropped";
    EXPECT_EQ(w->opened[0], folder);

    folder->SetTriangleSide(1);
    folder->Hover();
    EXPECT_EQ(w->opened.size(), 1u) << "with triangles the hover opens nothing";
    folder->OpenFromTriangle();
    EXPECT_EQ(w->opened.size(), 2u);
}

}  // namespace
