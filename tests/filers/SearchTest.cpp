// Search in a folder window, typed as a user types it: Ctrl+F opens the field, the rows whose names
// contain the text stay (case, width and kana type do not count) with the first highlighted, Up and Down
// move among them, Enter acts on the highlighted one, a refill keeps the search going, and Escape brings
// every row back in its order.
#include "filers/SubFolderFiler.h"
#include "popup/SearchRow.h"
#include "support/operations/ShellEntryTest.h"

#include "framework/TextConv.h"
#include "operations/FileObject.h"
#include "shell/FileSystemPath.h"

#include <algorithm>
#include <set>
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

// What a plain walk of the folders below `root` finds whose names contain `text` (folded alike), as
// "place\name"; folders named `skip` are not entered.
std::set<std::wstring> WalkFinds(const std::wstring& root, const std::wstring& where,
                                 const std::wstring& text, const std::wstring& skip) {
    std::set<std::wstring> found;
    WIN32_FIND_DATAW data;
    const std::wstring folder = where.empty() ? root : root + L"\\" + where;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L".." || name == skip) continue;
        const std::wstring relative = where.empty() ? name : where + L"\\" + name;
        if (!where.empty() && fw::FoldForSearch(name).find(fw::FoldForSearch(text)) != std::wstring::npos)
            found.insert(where + L"\\" + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            found.merge(WalkFinds(root, relative, text, skip));
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return found;
}

TEST_F(Search, BelowFindsWhatAWalkOfTheTreeFindsNearestFirstWithoutMovingTheHighlight) {
    MakeItem(L"報告-直下.txt");
    for (const wchar_t* folder : {L"年度", L"年度\\四月", L"年度\\四月\\深い", L"写真"})
        MakeItem(folder, true);
    for (const wchar_t* file : {L"年度\\ﾎｳｺｸ.txt", L"年度\\報告-1.txt", L"年度\\メモ.txt",
                                L"年度\\四月\\週報告.doc", L"年度\\四月\\深い\\報告書.txt", L"写真\\猫.jpg"})
        MakeItem(file);
    MakeItem(L"年度\\四月\\深い\\報告書", true);
    // A link back up the tree, where the file system makes one: its folder is walked once.
    const bool linked =
        ::CreateSymbolicLinkW(folder_->Child(L"年度\\四月\\戻る").c_str(), folder_->Child(L"年度").c_str(),
                              SYMBOLIC_LINK_FLAG_DIRECTORY) != 0;
    TSubFolderFiler* w = TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
    ASSERT_NE(w, nullptr);
    ShowAt(w, 60, 60);
    w->SetFocus();
    Press('F', VK_CONTROL);
    qbtest::TypeText(L"報告");
    ASSERT_TRUE(qbtest::WaitUntil([w] { return !w->FoundRows().empty() && !w->SearchBelow(); }, 10s));
    std::set<std::wstring> found;
    size_t depth = 0;
    for (const TPopupButtonBase* row : w->FoundRows()) {
        const auto* item = dynamic_cast<const TFileObject*>(row);
        if (!item) continue;
        EXPECT_TRUE(found.insert(item->Note + L"\\" + *item->CaptionText()).second) << "found twice";
        // The row stands for the real item: its context menu, drag and default command act on that.
        EXPECT_EQ(FileSystemPath(item->AbsoluteId()),
                  folder_->Child(item->Note + L"\\" + *item->CaptionText()));
        const size_t level = static_cast<size_t>(std::count(item->Note.begin(), item->Note.end(), L'\\'));
        EXPECT_GE(level, depth) << "nearest folders first";
        depth = level;
    }
    EXPECT_EQ(found, WalkFinds(folder_->Path(), L"", L"報告", L"戻る")) << (linked ? "with a link" : "");
    EXPECT_EQ(HotCaption(w), L"報告-直下.txt") << "what arrived later did not move the highlight";

    // A key typed on takes the rows found away at once and searches again after the pause.
    qbtest::TypeText(L"書");
    EXPECT_TRUE(w->FoundRows().empty());
    ASSERT_TRUE(qbtest::WaitUntil([w] { return !w->FoundRows().empty() && !w->SearchBelow(); }, 10s));
    EXPECT_EQ(w->FoundRows().size(), 3u) << "the separator, 報告書.txt and the folder 報告書";
}

TEST_F(Search, BelowIsCutShortAtItsCapWithARowThatSaysSo) {
    MakeItem(L"多", true);
    for (size_t i = 0; i < TMenuFilerBase::kFoundMost + 5; ++i)
        MakeItem(L"多\\報告 " + std::to_wstring(i) + L".txt");
    TSubFolderFiler* w = TSubFolderFiler::OpenFolderByPath(menus.get(), folder_->Path(), false);
    ASSERT_NE(w, nullptr);
    ShowAt(w, 60, 60);
    w->OpenSearch();
    w->Search()->SetText(L"報告");
    ASSERT_TRUE(qbtest::WaitUntil([w] { return !w->FoundRows().empty() && !w->SearchBelow(); }, 10s));
    EXPECT_EQ(w->FoundRows().size(), TMenuFilerBase::kFoundMost + 2);
    EXPECT_EQ(*w->FoundRows().back()->CaptionText(), TMenuFilerBase::kCutShort);
    EXPECT_EQ(*w->ButtonManager->Entries(w->ButtonManager->EntryCount() - 1)->CaptionText(),
              TMenuFilerBase::kCutShort);
}

}  // namespace
