// What shell item entries look like: caption colours from the shell's and the file system's attributes, the
// longer hover delay of removable drives, and the icon, looked up only once the entry is painted.
#include "support/operations/ShellEntryTest.h"

namespace {

using popuptest::Rgb;
using popuptest::ScreenGrab;
using popuptest::ScreenRect;

class EntryLook : public optest::ShellEntryTest {};

Rgb RgbOf(fw::Color c) {
    return popuptest::ToRgb(fw::ColorToRGB(c));
}

TEST_F(EntryLook, CaptionColoursFollowTheAttributesAndTheFileAttributesWin) {
    TPopupMenuBase* w = NewWindow();
    // Read-only and hidden on disk: the shell reports it read-only (green), the hidden file attribute
    // then wins (grey).
    const std::wstring hiddenPath = MakeItem(L"隠し.txt");
    ASSERT_TRUE(::SetFileAttributesW(hiddenPath.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    auto* hidden = AddItem<TFileButton>(w, hiddenPath);
    EXPECT_NE(hidden->Attributes & SFGAO_READONLY, 0u) << "the shell did not call the file read-only";
    EXPECT_EQ(hidden->GetFont().GetColor(), TFileButtonBase::kReadOnlyColor);
    hidden->SetFileAttributes(::GetFileAttributesW(hiddenPath.c_str()));
    EXPECT_EQ(hidden->GetFont().GetColor(), TFileButtonBase::kHiddenColor);
    EXPECT_EQ(hidden->HotColor, TFileButtonBase::kHiddenColor);

    // A read-only shortcut: read-only comes first.
    auto* shortcut = AddItem<TFileButton>(w, MakeItem(L"リンク.txt"));
    shortcut->SetAttributes(SFGAO_READONLY | SFGAO_LINK | SFGAO_SHARE);
    shortcut->SetFileAttributes(FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(shortcut->GetFont().GetColor(), TFileButtonBase::kReadOnlyColor);
    EXPECT_EQ(shortcut->HotColor, TFileButtonBase::kReadOnlyColor);

    auto* system = AddItem<TFileButton>(w, MakeItem(L"システム.sys"));
    system->SetFileAttributes(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(system->GetFont().GetColor(), TFileButtonBase::kSystemColor);

    auto* plain = AddItem<TFileButton>(w, MakeItem(L"普通.txt"));
    const fw::Color plainColor = plain->GetFont().GetColor();
    plain->SetFileAttributes(FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(plain->GetFont().GetColor(), plainColor);
    EXPECT_EQ(plain->HotColor, fw::clNavy);

    // On the screen: each caption is drawn in its colour.
    ShowAt(w, 300, 200);
    for (auto* e : {static_cast<TFileButtonBase*>(hidden), static_cast<TFileButtonBase*>(shortcut),
                    static_cast<TFileButtonBase*>(system)}) {
        // The caption only: the icon has colours of its own.
        RECT r = ScreenRect(e, 1);
        r.left += TIconButton::kIconWidth + TIconButton::kGap;
        const ScreenGrab grab(r);
        ASSERT_TRUE(grab.Ok());
        EXPECT_GT(grab.Count(r, RgbOf(e->GetFont().GetColor())), 0) << e->Caption();
    }
}

TEST_F(EntryLook, ARemovableDriveWaitsLongerBeforeItOpens) {
    TPopupMenuBase* w = NewWindow();
    auto* drive = AddItem<TRemovableFolder>(w, MakeItem(L"ドライブ", true));
    auto* other = AddItem<TRemovableFolder>(w, MakeItem(L"フォルダ", true));
    const int delay = drive->HoverDelay();
    drive->SetAttributes(SFGAO_REMOVABLE | SFGAO_FILESYSANCESTOR | SFGAO_FOLDER);
    other->SetAttributes(SFGAO_REMOVABLE | SFGAO_FOLDER);
    EXPECT_EQ(drive->HoverDelay(), delay + 1000);
    EXPECT_EQ(other->HoverDelay(), delay);
}

TEST_F(EntryLook, TheIconIsLookedUpWhenTheEntryIsFirstPaintedAndIsDrawn) {
    TPopupMenuBase* w = NewWindow();
    auto* entry = AddItem<TFileButton>(w, MakeItem(L"アイコン.txt"));
    w->ButtonManager->FinishLayout();
    EXPECT_EQ(entry->ImageList, nullptr) << "looked up before anyone needed it";

    ShowAt(w, 320, 220);
    ASSERT_NE(entry->ImageList, nullptr);
    const POINT tl = popuptest::OnEntry(entry, 0, 0);
    const RECT icon{tl.x, tl.y, tl.x + TIconButton::kIconWidth, tl.y + TIconButton::kIconHeight};
    const ScreenGrab grab(icon);
    ASSERT_TRUE(grab.Ok());
    const Rgb face = popuptest::SysRgb(COLOR_BTNFACE);
    EXPECT_GT(grab.Count(icon, [&](Rgb c) { return c != face; }), 20) << "no icon on the screen";
}

}  // namespace
