// Search in a folder window, typed as a user types it: Ctrl+F opens the field, the rows whose names
// contain the text stay (case, width and kana type do not count) with the first highlighted, Up and Down
// move among them, Enter acts on the highlighted one, a refill keeps the search going, and Escape brings
// every row back in its order.
#include "filers/SubFolderFiler.h"
#include "popup/SearchRow.h"
#include "support/operations/ShellEntryTest.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using popuptest::HotCaption;
using popuptest::Press;

// The rows' names, without the search field's row.
std::vector<std::wstring> Rows(const TPopupMenuBase* w) {
    std::vector<std::wstring> rows;
    for (TPopupButtonBase* e : *w->ButtonManager) {
        if (e->CaptionText()) rows.push_back(*e->CaptionText());
    }
    return rows;
}

class Search : public optest::ShellEntryTest {};

TEST_F(Search, TypedTextKeepsTheMatchingRowsAndEscapeBringsEveryRowBack) {
    for (const wchar_t* name : {L"ファイル一覧.txt", L"メモ.txt", L"README.txt", L"ふぁいる整理"})
        MakeItem(name, name[0] == L'ふ');
    MakeItem(L"写真", true);
    TSubFolderFiler* w = TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
    ASSERT_NE(w, nullptr);
    ShowAt(w, 60, 60);
    w->SetFocus();
    const std::vector<std::wstring> all = Rows(w);
    ASSERT_EQ(all.size(), 5u);
    auto matching = [&all](std::initializer_list<const wchar_t*> names) {
        std::vector<std::wstring> kept;
        for (const std::wstring& row : all) {
            if (std::find(names.begin(), names.end(), row) != names.end()) kept.push_back(row);
        }
        return kept;
    };

    Press('F', VK_CONTROL);
    ASSERT_TRUE(w->Search() && w->Search()->Focused());
    qbtest::TypeText(L"ﾌｧｲﾙ");  // half width: finds the full-width katakana and the hiragana alike
    qbtest::PumpFor(100ms);
    const std::vector<std::wstring> found = matching({L"ファイル一覧.txt", L"ふぁいる整理"});
    EXPECT_EQ(Rows(w), found);
    EXPECT_EQ(HotCaption(w), found[0]);
    Press(VK_DOWN);
    EXPECT_EQ(HotCaption(w), found[1]);
    EXPECT_TRUE(w->Search()->Focused()) << "the typing goes on";

    // A refill (a file came) keeps the search and shows the new match.
    MakeItem(L"ファイル追加.txt");
    w->Refill();
    ASSERT_TRUE(qbtest::WaitUntil([w] { return !w->ListingPending(); }, 5s));
    ASSERT_TRUE(w->Search());
    EXPECT_EQ(w->Search()->Text(), L"ﾌｧｲﾙ");
    EXPECT_EQ(Rows(w).size(), 3u);

    w->Search()->SetText(L"readme");
    EXPECT_EQ(Rows(w), std::vector<std::wstring>{L"README.txt"});
    w->Search()->SetText(L"写真");
    Press(VK_RETURN);
    ASSERT_TRUE(qbtest::WaitUntil([w] { return w->ChildMenu != nullptr; }, 5s)) << "Enter opens the match";
    EXPECT_EQ(w->ChildMenu->Caption(), L"写真");

    w->Search()->Focus();
    Press(VK_ESCAPE);
    EXPECT_EQ(w->Search(), nullptr);
    EXPECT_EQ(Rows(w).size(), 6u) << "every row back";
    EXPECT_EQ(Rows(w).front(), all.front());
}

}  // namespace
