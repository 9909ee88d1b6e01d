// Binding absolute lists to shell folders on the real namespace: the desktop, a desktop child, and a deep
// folder with Japanese names whose files are then listed.
#include "ShellTestUtil.h"

#include "shell/IdList.h"
#include "shell/ShellFolder.h"
#include "support/MallocSpy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// Whether two interface pointers are the same object (COM identity is the IUnknown pointer).
bool SameObject(IUnknown* a, IUnknown* b) {
    fw::ComPtr<IUnknown> ua, ub;
    if (FAILED(a->QueryInterface(IID_PPV_ARGS(ua.put()))) ||
        FAILED(b->QueryInterface(IID_PPV_ARGS(ub.put()))))
        return false;
    return ua.get() == ub.get();
}

// The absolute list of the folder object itself.
unique_idlist CurrentFolderOf(IShellFolder* folder) {
    fw::ComPtr<IPersistFolder2> persist;
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(folder->QueryInterface(IID_PPV_ARGS(persist.put()))) || FAILED(persist->GetCurFolder(&list)))
        return nullptr;
    return AdoptIdList(list);
}

// The in-folder parsing names (file names with extension) of what `folder` lists.
std::vector<std::wstring> ListNames(IShellFolder* folder) {
    std::vector<std::wstring> names;
    fw::ComPtr<IEnumIDList> items;
    const SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
    if (folder->EnumObjects(nullptr, flags, items.put()) != S_OK || !items) return names;
    PITEMID_CHILD raw = nullptr;
    while (items->Next(1, &raw, nullptr) == S_OK) {
        const unique_idlist item = AdoptIdList(raw);
        STRRET reply{};
        if (SUCCEEDED(folder->GetDisplayNameOf(item.get(), SHGDN_INFOLDER | SHGDN_FORPARSING, &reply)))
            names.push_back(StrRetToString(reply, item.get()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ShellFolderTest : public testing::Test {
protected:
    void SetUp() override {
        deepPath_ = scratch_.MakeFolders(L"日本語フォルダ\\サブ\\深い階層");
        qbtest::WarmUpShell(deepPath_);
        ASSERT_HRESULT_SUCCEEDED(::SHGetDesktopFolder(desktop_.put()));
        spy_.emplace();
    }
    void TearDown() override {
        if (spy_) {
            EXPECT_EQ(spy_->Outstanding(), 0u) << "lists or folder objects left behind";
        }
    }

    qbtest::ScratchFolder scratch_;
    std::wstring deepPath_;
    fw::ComPtr<IShellFolder> desktop_;
    std::optional<qbtest::MallocSpyScope> spy_;
};

TEST_F(ShellFolderTest, NullAndEmptyListsGiveTheDesktopItself) {
    const TShellFolder fromNull(nullptr);
    ASSERT_TRUE(fromNull);
    EXPECT_TRUE(SameObject(fromNull.Folder(), desktop_.get()));

    const unique_idlist empty = ParentIdList(nullptr);
    const TShellFolder fromEmpty(empty.get());
    ASSERT_TRUE(fromEmpty);
    EXPECT_TRUE(SameObject(fromEmpty.Folder(), desktop_.get()));
}

TEST_F(ShellFolderTest, ParentOfADesktopChildIsTheDesktop) {
    const unique_idlist deep = ParseDisplayPath(deepPath_);
    ASSERT_TRUE(deep);
    unique_idlist rest;
    const unique_idlist child = SplitFirstItem(deep.get(), rest);  // "My Computer" or the like
    ASSERT_GT(IdListSize(child.get()), 0u);

    const unique_idlist parent = ParentIdList(child.get());
    EXPECT_EQ(IdListSize(parent.get()), 0u);
    const TShellFolder parentFolder(parent.get());
    ASSERT_TRUE(parentFolder);
    EXPECT_TRUE(SameObject(parentFolder.Folder(), desktop_.get()));

    // One item binds with a single step below the desktop.
    const TShellFolder childFolder(child.get());
    ASSERT_TRUE(childFolder);
    EXPECT_TRUE(IdListsEqual(CurrentFolderOf(childFolder.Folder()).get(), child.get()));
}

TEST_F(ShellFolderTest, DeepJapanesePathListsItsFiles) {
    ASSERT_TRUE(qbtest::ScratchFolder::MakeFile(deepPath_ + L"\\メモ.txt"));
    ASSERT_TRUE(qbtest::ScratchFolder::MakeFile(deepPath_ + L"\\報告書 2024.doc"));
    ASSERT_TRUE(qbtest::ScratchFolder::MakeFile(deepPath_ + L"\\data.bin"));
    scratch_.MakeFolders(L"日本語フォルダ\\サブ\\深い階層\\空のフォルダ");

    const unique_idlist list = ParseDisplayPath(deepPath_);
    ASSERT_TRUE(list);
    const TShellFolder folder(list.get());
    ASSERT_TRUE(folder);
    EXPECT_TRUE(IdListsEqual(CurrentFolderOf(folder.Folder()).get(), list.get()))
        << "bound some other folder than the one named";
    EXPECT_EQ(ListNames(folder.Folder()),
              (std::vector<std::wstring>{L"data.bin", L"メモ.txt", L"報告書 2024.doc", L"空のフォルダ"}));
}

TEST_F(ShellFolderTest, AFileGivesNull) {
    const std::wstring filePath = deepPath_ + L"\\note.txt";
    ASSERT_TRUE(qbtest::ScratchFolder::MakeFile(filePath));
    const unique_idlist file = ParseDisplayPath(filePath);
    ASSERT_TRUE(file);
    const TShellFolder fileFolder(file.get());
    EXPECT_FALSE(fileFolder) << "a plain file bound as a folder";
}

}  // namespace
