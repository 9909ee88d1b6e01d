// Helpers for tests that use the shell: a fixture with a scratch folder tree under %TEMP% and the allocator
// spy, and item identifier lists made byte by byte for cases the shell does not produce on demand.
#pragma once

#include "shell/IdList.h"
#include "shell/ShellFolder.h"
#include "support/MallocSpy.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qbtest {

// Makes an empty file (replacing one that exists); whether it worked.
bool MakeFile(const std::wstring& path);

// A fresh folder `root_` under %TEMP% holding `deep_` = 日本語フォルダ\サブ\深い階層, removed afterwards.
// The spy starts after the shell's first use: the shell keeps a few task-allocator blocks for the rest of
// the run when first used (under Wine: the desktop folder's path). A leak of the code under test still
// shows, since it recurs on every call.
class ShellTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the folders of `relative` below the root; returns the full path.
    std::wstring MakeFolders(const std::wstring& relative) const;

    std::optional<TempFolder> folder_;
    std::wstring root_, deep_;
    std::optional<MallocSpyScope> spy_;
};

// A list of kind `List` with the given items; each item is its data bytes, the count is put in front.
template <class List = ITEMIDLIST_RELATIVE>
std::unique_ptr<List, IdListDeleter> MakeIdList(std::initializer_list<std::vector<BYTE>> items) {
    std::vector<BYTE> bytes;
    for (const auto& item : items) {
        const size_t cb = item.size() + 2;
        bytes.insert(bytes.end(), {static_cast<BYTE>(cb & 0xFF), static_cast<BYTE>(cb >> 8)});
        bytes.insert(bytes.end(), item.begin(), item.end());
    }
    bytes.insert(bytes.end(), {0, 0});
    void* p = ::CoTaskMemAlloc(bytes.size());
    if (p) std::memcpy(p, bytes.data(), bytes.size());
    return std::unique_ptr<List, IdListDeleter>(static_cast<List*>(p));
}

// The bytes of a list of any kind, terminator included.
std::vector<BYTE> Bytes(const ITEMIDLIST_RELATIVE* list);

// The parsing name (the full path for file-system items) of `absolute`, asked of its parent folder.
std::wstring ParsingNameOf(PCUIDLIST_ABSOLUTE absolute);

// The shell's attributes of an item, as the filer asks its folder for them.
ULONG ShellAttributesOf(PCIDLIST_ABSOLUTE absolute);

// Wine's shell keeps a few task-allocator blocks for the rest of the run after its first parse and its
// first icon lookup; a leak check starts after both (a leak of ours recurs on every call).
void WarmUpShell(const std::wstring& path);

// Under Wine (its shell's folders take no drops, for one).
bool RunningOnWine();

}  // namespace qbtest
