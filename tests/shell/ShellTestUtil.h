// Helpers for the shell tests: a fixture with a scratch folder tree under %TEMP% and the allocator spy, and
// item identifier lists made byte by byte for cases the shell does not produce on demand.
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

inline bool MakeFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

// A fresh folder `root_` under %TEMP% holding `deep_` = 日本語フォルダ\サブ\深い階層, removed afterwards.
// The spy starts after the shell's first use: the shell keeps a few task-allocator blocks for the rest of
// the run when first used (under Wine: the desktop folder's path). A leak of the code under test still
// shows, since it recurs on every call.
class ShellTest : public testing::Test {
protected:
    void SetUp() override {
        folder_.emplace(L"shell");
        root_ = folder_->Path();
        deep_ = MakeFolders(L"日本語フォルダ\\サブ\\深い階層");
        ASSERT_NE(::GetFileAttributesW(deep_.c_str()), INVALID_FILE_ATTRIBUTES);
        ParseDisplayPath(deep_);  // the shell's first use, before counting
        spy_.emplace();
    }
    void TearDown() override {
        if (spy_) {
            EXPECT_EQ(spy_->Outstanding(), 0u) << "lists or folder objects left behind";
        }
        spy_.reset();
        folder_.reset();
    }

    // Makes the folders of `relative` below the root; returns the full path.
    std::wstring MakeFolders(const std::wstring& relative) const {
        std::wstring path = root_;
        ::CreateDirectoryW(path.c_str(), nullptr);
        for (size_t start = 0; start <= relative.size();) {
            const size_t end = relative.find(L'\\', start);
            path += L"\\" + relative.substr(start, end - start);
            ::CreateDirectoryW(path.c_str(), nullptr);
            start = end == std::wstring::npos ? end : end + 1;
        }
        return path;
    }

    std::optional<qbtest::TempFolder> folder_;
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

// The bytes of a list of any kind, terminator included. (Aligned: MSVC's PCUIDLIST_RELATIVE is __unaligned,
// which a reinterpret_cast may not drop.)
inline std::vector<BYTE> Bytes(const ITEMIDLIST_RELATIVE* list) {
    const BYTE* p = reinterpret_cast<const BYTE*>(list);
    return std::vector<BYTE>(p, p + IdListSize(list) + 2);
}

// The parsing name (the full path for file-system items) of `absolute`, asked of its parent folder.
inline std::wstring ParsingNameOf(PCUIDLIST_ABSOLUTE absolute) {
    const unique_absolute_idlist parent = ParentIdList(absolute);
    const unique_child_idlist last = LastItemOf(absolute);
    const TShellFolder folder(parent.get());
    STRRET reply{};
    if (!folder || FAILED(folder->GetDisplayNameOf(last.get(), SHGDN_FORPARSING, &reply))) return L"<none>";
    return StrRetToString(reply, last.get());
}

}  // namespace qbtest
