// The top menu: the desktop's folders, then the program's commands in their fixed order, each doing what
// the program gave it.
#include "filers/TopMenuFiler.h"
#include "operations/FolderButton.h"
#include "support/popup/MenuTest.h"
#include "popup/SeparateBar.h"
#include "popup/TreeButton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

class TopMenu : public popuptest::MenuTest {};

TEST_F(TopMenu, FoldersThenSettingsHelpAboutAndExitEachRunningItsCommand) {
    std::vector<std::string> ran;
    TTopMenuCommands commands;
    commands.FillSettings = [](TPopupButtonManager& m) {
        auto* row = new TPopupButton;
        row->SetCaption(L"設定の行");
        m.AddEntry(row);
    };
    commands.Help = [&] { ran.push_back("help"); };
    commands.About = [&](TPopupMenuBase&) { ran.push_back("about"); };
    commands.Exit = [&] { ran.push_back("exit"); };
    auto* menu = new TTopMenuFiler(menus.get(), true, menus.get(), commands);
    EXPECT_TRUE(menu->IsRootMenu());
    TPopupButtonManager& m = *menu->ButtonManager;

    // The desktop's folders first, then: separator, settings, separator, help, separator, about, exit.
    int folders = 0;
    while (folders < m.EntryCount() && dynamic_cast<TFolderButton*>(m.Entries(folders))) ++folders;
    ASSERT_EQ(m.EntryCount(), folders + 7);
    auto caption = [&](int i) { return m.Entries(i)->CaptionText() ? *m.Entries(i)->CaptionText() : L"-"; };
    const std::vector<std::wstring> expected{L"-", L"設定",           L"-",   L"ヘルプ",
                                             L"-", L"バージョン情報", L"終了"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(caption(folders + i), expected[static_cast<size_t>(i)]) << "entry " << folders + i;
        if (expected[static_cast<size_t>(i)] == L"-") {
            EXPECT_NE(dynamic_cast<TSeparateBar*>(m.Entries(folders + i)), nullptr);
            EXPECT_EQ(m.Entries(folders + i)->Height(), 10);
        }
    }
    auto* settings = dynamic_cast<TTreeButton*>(m.Entries(folders + 1));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->TriangleSide, 1) << "triangles are on";

    ShowAt(menu, 200, 100);
    for (int i : {folders + 3, folders + 5, folders + 6}) {
        qbtest::MoveMouseTo(popuptest::EntryCenter(m.Entries(i)));
        qbtest::PressLeft();
        qbtest::ReleaseLeft();
    }
    EXPECT_EQ(ran, (std::vector<std::string>{"help", "about", "exit"}));

    // The settings entry opens its submenu from the triangle, filled by the program's rows.
    qbtest::MoveMouseTo(popuptest::OnEntry(settings, settings->Width() / 2, settings->Height() / 2));
    qbtest::MoveMouseTo(popuptest::OnEntry(settings, settings->Width() - 4, settings->Height() / 2));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return menu->ChildMenu != nullptr; }, 2s));
    EXPECT_EQ(menu->ChildMenu->Caption(), L"設定");
    ASSERT_EQ(menu->ChildMenu->ButtonManager->EntryCount(), 1);
    EXPECT_EQ(*menu->ChildMenu->ButtonManager->Entries(0)->CaptionText(), L"設定の行");
}

}  // namespace
