#include "support/shell/ShellTest.h"

#include "shell/ShellFolder.h"

#include <shellapi.h>

namespace qbtest {

bool MakeFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

void ShellTest::SetUp() {
    folder_.emplace(L"shell");
    root_ = folder_->Path();
    deep_ = MakeFolders(L"日本語フォルダ\\サブ\\深い階層");
    ASSERT_NE(::GetFileAttributesW(deep_.c_str()), INVALID_FILE_ATTRIBUTES);
    ParseDisplayPath(deep_);  // the shell's first use, before counting
    spy_.emplace();
}

void ShellTest::TearDown() {
    if (spy_) {
        EXPECT_EQ(spy_->Outstanding(), 0u) << "lists or folder objects left behind";
    }
    spy_.reset();
    folder_.reset();
}

std::wstring ShellTest::MakeFolders(const std::wstring& relative) const {
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

// Aligned: MSVC's PCUIDLIST_RELATIVE is __unaligned, which a reinterpret_cast may not drop.
std::vector<BYTE> Bytes(const ITEMIDLIST_RELATIVE* list) {
    const BYTE* p = reinterpret_cast<const BYTE*>(list);
    return std::vector<BYTE>(p, p + IdListSize(list) + 2);
}

std::wstring ParsingNameOf(PCUIDLIST_ABSOLUTE absolute) {
    const unique_absolute_idlist parent = ParentIdList(absolute);
    const unique_child_idlist last = LastItemOf(absolute);
    const TShellFolder folder(parent.get());
    STRRET reply{};
    if (!folder || FAILED(folder->GetDisplayNameOf(last.get(), SHGDN_FORPARSING, &reply))) return L"<none>";
    return StrRetToString(reply, last.get());
}

ULONG ShellAttributesOf(PCIDLIST_ABSOLUTE absolute) {
    const unique_absolute_idlist parent = ParentIdList(absolute);
    const unique_child_idlist last = LastItemOf(absolute);
    const TShellFolder folder(parent.get());
    PCUITEMID_CHILD items[] = {last.get()};
    ULONG flags = SFGAO_CANRENAME | SFGAO_READONLY | SFGAO_LINK | SFGAO_SHARE | SFGAO_FOLDER;
    if (!folder || FAILED(folder->GetAttributesOf(1, items, &flags))) return 0;
    return flags;
}

void WarmUpShell(const std::wstring& path) {
    const unique_absolute_idlist absolute = ParseDisplayPath(path);
    SHFILEINFOW info{};
    ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.get()), 0, &info, sizeof(info),
                     SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
}

bool RunningOnWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace qbtest
