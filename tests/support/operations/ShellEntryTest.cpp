#include "support/operations/ShellEntryTest.h"

#include "support/Input.h"
#include "support/NestedStep.h"

namespace optest {

HMENU TrackedMenu() {
    HWND window = qbtest::FindThreadWindow(L"#32768");
    return window ? reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0)) : nullptr;
}

void ShellEntryTest::SetUp() {
    popuptest::MenuTest::SetUp();
    g_liveEntries = 0;
    folder_.emplace(L"ops");
}
void ShellEntryTest::TearDown() {
    popuptest::MenuTest::TearDown();
    EXPECT_EQ(g_liveEntries, 0) << "an entry outlived its window";
    EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 0) << "an object freed during a handler never went";
    folder_.reset();
}

std::wstring ShellEntryTest::MakeItem(const std::wstring& name, bool folder) const {
    const std::wstring path = folder_->Child(name);
    EXPECT_TRUE(folder ? ::CreateDirectoryW(path.c_str(), nullptr) != FALSE : qbtest::MakeFile(path));
    return path;
}

bool ShellEntryTest::RightClickWithMenu(TPopupButtonBase* entry, std::function<bool(HMENU)> inMenu) {
    qbtest::NestedStep step(
        [&] {
            const HMENU menu = TrackedMenu();
            return menu && inMenu(menu);
        },
        [] { ::EndMenu(); });
    qbtest::MoveMouseTo(popuptest::EntryCenter(entry));
    qbtest::PressRight();
    qbtest::ReleaseRight();
    return step.Done();
}

}  // namespace optest
