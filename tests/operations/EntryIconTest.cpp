// Icons of shell item rows: the icon of the type at the first paint, the item's own once the icon worker
// has answered; cloud placeholders are never asked for theirs and carry a cloud; a row freed before its
// answer gets nothing of it and leaves nothing behind.
#include "operations/CloudMark.h"
#include "shell/IconFetcher.h"
#include "support/BmpFiles.h"
#include "support/operations/ShellEntryTest.h"

#include <algorithm>
#include <vector>

namespace {

using namespace std::chrono_literals;
using popuptest::Rgb;
using popuptest::ScreenGrab;

// A file row that remembers the icon of its first paint, its paints and the answers it got.
class Row : public TFileButton {
public:
    using TFileButton::TFileButton;
    int firstIndex = -1;
    int paints = 0;
    int answers = 0;

protected:
    void IconPainted(fw::Canvas& canvas, const RECT& icon) override {
        if (paints++ == 0) firstIndex = ImageIndex;
        TFileButton::IconPainted(canvas, icon);
    }
    void IconFetched(int index) override {
        ++answers;
        TFileButton::IconFetched(index);
    }
};

int ShellIndex(const std::wstring& name, UINT flags, DWORD attributes = 0) {
    SHFILEINFOW info{};
    ::SHGetFileInfoW(name.c_str(), attributes, &info, sizeof(info),
                     flags | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    return info.iIcon;
}

RECT IconOnScreen(const TPopupButtonBase* row) {
    const POINT tl = popuptest::OnEntry(row, 0, 0);
    return RECT{tl.x, tl.y, tl.x + TIconButton::kIconWidth, tl.y + TIconButton::kIconHeight};
}

// A shortcut at `path` to `target`, made by the shell's link object.
bool MakeShortcut(const std::wstring& path, const std::wstring& target) {
    fw::ComPtr<IShellLinkW> link;
    fw::ComPtr<IPersistFile> file;
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                        link.put_void())) &&
           SUCCEEDED(link->SetPath(target.c_str())) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void())) &&
           SUCCEEDED(file->Save(path.c_str(), TRUE));
}

// Whether the screen shows image `index` of the row's image list where the row's icon goes.
bool ShowsIcon(const TIconButton* row, int index) {
    const RECT r = IconOnScreen(row);
    const ScreenGrab grab(r);
    const bmptest::Target drawn(TIconButton::kIconWidth, TIconButton::kIconHeight, 32,
                                ::GetSysColor(COLOR_BTNFACE));
    ::ImageList_Draw(row->ImageList, index, drawn.Dc(), 0, 0, ILD_TRANSPARENT);
    for (int y = 0; y < TIconButton::kIconHeight; ++y) {
        for (int x = 0; x < TIconButton::kIconWidth; ++x) {
            const std::uint32_t c = drawn.At(x, y);
            const Rgb want{static_cast<int>(c >> 16), static_cast<int>((c >> 8) & 0xFF),
                           static_cast<int>(c & 0xFF)};
            if (!grab.Ok() || grab.At(POINT{r.left + x, r.top + y}) != want) return false;
        }
    }
    return true;
}

class EntryIcons : public optest::ShellEntryTest {
protected:
    // A row for an item of the scratch folder, told its file data as the filer tells it.
    Row* AddRow(TPopupMenuBase* w, const std::wstring& name, DWORD extraAttributes = 0) {
        Row* row = AddItem<Row>(w, folder_->Child(name));
        row->SetFileAttributes(::GetFileAttributesW(folder_->Child(name).c_str()) | extraAttributes);
        row->SetFileName(name);
        return row;
    }
    static bool Answered(const std::vector<Row*>& rows) {
        return std::none_of(rows.begin(), rows.end(), [](Row* r) { return r->IconPending(); });
    }
};

TEST_F(EntryIcons, ARowShowsItsTypesIconFirstAndItsOwnOnceTheWorkerHasIt) {
    const std::vector<std::wstring> names{L"リンク.lnk", L"メモ.txt", L"空.exe", L"写真.bmp", L"フォルダ"};
    for (size_t i = 1; i < names.size(); ++i) MakeItem(names[i], i + 1 == names.size());
    // A shortcut's own icon is read from the link (under Wine: a document with the shortcut's arrow).
    ASSERT_TRUE(MakeShortcut(folder_->Child(names[0]), folder_->Child(names[4])));
    TPopupMenuBase* w = NewWindow();
    std::vector<Row*> rows;
    for (const std::wstring& name : names) rows.push_back(AddRow(w, name));
    const long asked = TIconFetcherCounts::Requests();
    ShowAt(w, 300, 200);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return Answered(rows); }));
    EXPECT_EQ(TIconFetcherCounts::Requests() - asked, static_cast<long>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const DWORD kind = i + 1 == rows.size() ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        EXPECT_EQ(rows[i]->firstIndex, ShellIndex(names[i], SHGFI_USEFILEATTRIBUTES, kind)) << names[i];
        // Wine's SHGetFileInfo leaves the shortcut's arrow out.
        if (i > 0) {
            EXPECT_EQ(rows[i]->ImageIndex, ShellIndex(folder_->Child(names[i]), 0)) << names[i];
        }
    }
    // The shortcut's row changed and was drawn again, alone; the screen shows its own icon.
    ASSERT_NE(rows[0]->ImageIndex, rows[0]->firstIndex);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return rows[0]->paints == rows[1]->paints + 1; }, 2s));
    EXPECT_TRUE(ShowsIcon(rows[0], rows[0]->ImageIndex));
    EXPECT_FALSE(ShowsIcon(rows[0], rows[0]->firstIndex));
}

TEST_F(EntryIcons, ACloudPlaceholderIsNeverAskedForItsIconAndCarriesACloud) {
    TPopupMenuBase* w = NewWindow();
    // Wine keeps no cloud attributes: the rows are told them as a cloud store's folder reports them.
    std::vector<Row*> clouds;
    for (const DWORD cloud : {DWORD{0x00400000}, DWORD{0x00040000}, DWORD{FILE_ATTRIBUTE_OFFLINE}}) {
        const std::wstring name = L"クラウド" + std::to_wstring(cloud) + L".txt";
        MakeItem(name);
        clouds.push_back(AddRow(w, name, cloud));
    }
    MakeItem(L"手元.txt");
    Row* local = AddRow(w, L"手元.txt");
    const long asked = TIconFetcherCounts::Requests();
    ShowAt(w, 300, 200);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return !local->IconPending() && local->paints > 0; }));
    EXPECT_EQ(TIconFetcherCounts::Requests() - asked, 1) << "a placeholder was asked for its icon";
    const Rgb mark = popuptest::ToRgb(fw::ColorToRGB(kCloudMarkColor));
    for (Row* row : clouds) {
        EXPECT_EQ(row->ImageIndex, local->firstIndex) << "not the icon of its type";
        const ScreenGrab grab(IconOnScreen(row));
        ASSERT_TRUE(grab.Ok());
        EXPECT_GT(grab.Count(IconOnScreen(row), mark), 12) << "no cloud on the placeholder";
    }
    const ScreenGrab grab(IconOnScreen(local));
    EXPECT_EQ(grab.Count(IconOnScreen(local), mark), 0);
}

TEST_F(EntryIcons, ARowFreedBeforeItsAnswerGetsNothingAndLeavesNothing) {
    std::vector<std::wstring> names;
    for (int i = 0; i < 20; ++i) names.push_back(L"消える" + std::to_wstring(i) + L".txt");
    for (const std::wstring& name : names) MakeItem(name);
    const auto paintRows = [&] {
        TPopupMenuBase* w = NewWindow();
        for (const std::wstring& name : names) AddRow(w, name);
        w->ButtonManager->FinishLayout();
        w->SetLeft(300);
        w->Show();
        ::UpdateWindow(w->Handle());
        return w;
    };
    // Once with its answers, for what the shell keeps of its first lookups.
    paintRows();
    qbtest::PumpFor(500ms);
    menus->DestroyComponents();
    ASSERT_TRUE(qbtest::WaitUntil([] { return TIconFetcherCounts::RunningWorkers() == 0; }));
    {
        qbtest::MallocSpyScope spy;
        // A row that stays keeps the worker and the way of its answers in use.
        TPopupMenuBase* stays = NewWindow();
        AddRow(stays, names[0]);
        ShowAt(stays, 100, 100);
        const long asked = TIconFetcherCounts::Requests();
        TPopupMenuBase* w = paintRows();
        EXPECT_EQ(TIconFetcherCounts::Requests() - asked, 20);
        // Gone before the queue is read, while the worker is still busy with them.
        w->ButtonManager->ClearEntries();
        // A row made now (perhaps where a gone one lived) has asked for nothing and hears nothing.
        Row* late = AddRow(NewWindow(), names[1]);
        qbtest::PumpFor(500ms);
        EXPECT_EQ(late->answers, 0);
        menus->DestroyComponents();
        ASSERT_TRUE(qbtest::WaitUntil([] { return TIconFetcherCounts::RunningWorkers() == 0; }))
            << "the worker stayed after its last row";
        EXPECT_EQ(spy.Outstanding(), 0u);
    }
}

}  // namespace
