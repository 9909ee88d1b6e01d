// Helpers for the tests of shell item entries: real files in a scratch folder under %TEMP% (on the prefix's
// C: drive), entries built from their identifier lists the way the filer builds them, a menu window that
// records requests to open subfolders and refills itself through its queue, and the context menu driven
// from inside its own loop.
#pragma once

#include "operations/FileButton.h"
#include "operations/FolderButton.h"
#include "support/popup/MenuTest.h"
#include "support/shell/ShellTest.h"
#include "support/Input.h"
#include "support/NestedStep.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace optest {

// Entries of the tests count themselves, so a test sees when one is really gone.
inline int g_liveEntries = 0;

template <class Base>
class Counted : public Base {
public:
    Counted(unique_absolute_idlist absolute, unique_child_idlist relative)
        : Base(std::move(absolute), std::move(relative)) {
        ++g_liveEntries;
    }
    ~Counted() override { --g_liveEntries; }
};

// A menu window as the filer's: it opens subfolders on request (recorded here) and empties itself when
// its folder changes, which reaches it through its queue.
class TestMenu : public TPopupMenuBase {
public:
    static constexpr UINT kRefill = WM_APP + 7;
    using TPopupMenuBase::TPopupMenuBase;

    TPopupMenuBase* OpenSubFolder(TPopupButtonBase* entry) override {
        opened.push_back(entry);
        if (whileOpening) whileOpening();
        return nullptr;
    }
    std::vector<TPopupButtonBase*> opened;
    std::function<void()> whileOpening;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == kRefill) ButtonManager->ClearEntries();
        return TPopupMenuBase::WndProc(msg, wParam, lParam);
    }
};

using qbtest::ShellAttributesOf;
using qbtest::TypeText;

// The popup menu being tracked on this thread, or null.
HMENU TrackedMenu();

class ShellEntryTest : public popuptest::MenuTest {
protected:
    void SetUp() override;
    void TearDown() override;

    static void WarmUpShell(const std::wstring& path) { qbtest::WarmUpShell(path); }

    TestMenu* NewTestMenu() { return new TestMenu(menus.get(), menus.get()); }

    // Makes a file (or folder) in the scratch folder; its full path.
    std::wstring MakeItem(const std::wstring& name, bool folder = false) const;

    // An entry for the item at `path`, captioned with its name, added to `w` with the shell's attributes.
    template <class T>
    Counted<T>* AddItem(TPopupMenuBase* w, const std::wstring& path) {
        unique_absolute_idlist absolute = ParseDisplayPath(path);
        EXPECT_TRUE(absolute) << "cannot parse the path";
        unique_child_idlist child = LastItemOf(absolute.get());
        auto* entry = new Counted<T>(std::move(absolute), std::move(child));
        entry->SetAttributes(ShellAttributesOf(entry->AbsoluteId()));
        return popuptest::AddCaptioned(*w->ButtonManager, entry, path.substr(path.rfind(L'\\') + 1));
    }

    // Right-clicks an entry; `inMenu` runs from inside the context menu's loop, every 20 ms until it says
    // it is done. Returns once the menu and what it started have returned.
    static bool RightClickWithMenu(TPopupButtonBase* entry, std::function<bool(HMENU)> inMenu);

    std::optional<qbtest::TempFolder> folder_;
};

}  // namespace optest
