// Binding absolute lists to shell folders on the real namespace: the desktop, a desktop child, a deep
// folder with Japanese names whose files are then listed, and a file.
#include "support/shell/ShellTest.h"

#include <algorithm>

namespace {

using ShellFolder = qbtest::ShellTest;

bool IsDesktop(IShellFolder* folder) {
    fw::ComPtr<IShellFolder> desktop;
    fw::ComPtr<IUnknown> a, b;  // COM identity: the IUnknown pointers
    return SUCCEEDED(::SHGetDesktopFolder(desktop.put())) && SUCCEEDED(desktop.As(a)) &&
           SUCCEEDED(folder->QueryInterface(IID_PPV_ARGS(b.put()))) && a.get() == b.get();
}

// The absolute list of the folder object itself.
unique_absolute_idlist CurrentFolderOf(IShellFolder* folder) {
    fw::ComPtr<IPersistFolder2> persist;
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(folder->QueryInterface(IID_PPV_ARGS(persist.put())))) return nullptr;
    persist->GetCurFolder(&list);
    return AdoptIdList(list);
}

TEST_F(ShellFolder, NullEmptyAndParentOfADesktopChildGiveTheDesktop) {
    EXPECT_TRUE(IsDesktop(TShellFolder(nullptr).Folder()));

    const unique_absolute_idlist deep = ParseDisplayPath(deep_);
    unique_relative_idlist rest;
    const unique_child_idlist first = SplitFirstItem(deep.get(), rest);  // "My Computer" or the like
    ASSERT_GT(IdListSize(first.get()), 0u);
    const unique_absolute_idlist child = ConcatIdLists(nullptr, first.get());  // a desktop child, absolute
    const unique_absolute_idlist parent = ParentIdList(child.get());
    const TShellFolder parentFolder(parent.get());
    ASSERT_TRUE(parentFolder);
    EXPECT_TRUE(IsDesktop(parentFolder.Folder()));

    const TShellFolder childFolder(child.get());
    ASSERT_TRUE(childFolder);
    EXPECT_TRUE(IdListsEqual(CurrentFolderOf(childFolder.Folder()).get(), child.get()));
}

TEST_F(ShellFolder, DeepJapanesePathListsItsFiles) {
    for (const wchar_t* name : {L"メモ.txt", L"報告書 2024.doc", L"data.bin"}) {
        ASSERT_TRUE(qbtest::MakeFile(deep_ + L"\\" + name));
    }
    MakeFolders(L"日本語フォルダ\\サブ\\深い階層\\空のフォルダ");

    const unique_absolute_idlist list = ParseDisplayPath(deep_);
    const TShellFolder folder(list.get());
    ASSERT_TRUE(folder);
    EXPECT_TRUE(IdListsEqual(CurrentFolderOf(folder.Folder()).get(), list.get()));

    std::vector<std::wstring> names;
    fw::ComPtr<IEnumIDList> items;
    ASSERT_EQ(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.put()), S_OK);
    PITEMID_CHILD raw = nullptr;
    while (items->Next(1, &raw, nullptr) == S_OK) {
        const unique_child_idlist item = AdoptIdList(raw);
        STRRET reply{};
        ASSERT_HRESULT_SUCCEEDED(
            folder->GetDisplayNameOf(item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING, &reply));
        names.push_back(StrRetToString(reply, item.get()));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::wstring>{L"data.bin", L"メモ.txt", L"報告書 2024.doc", L"空のフォルダ"}));
}

TEST_F(ShellFolder, AFileGivesNull) {
    ASSERT_TRUE(qbtest::MakeFile(deep_ + L"\\note.txt"));
    const unique_absolute_idlist file = ParseDisplayPath(deep_ + L"\\note.txt");
    ASSERT_TRUE(file);
    EXPECT_FALSE(TShellFolder(file.get()));
}

}  // namespace
