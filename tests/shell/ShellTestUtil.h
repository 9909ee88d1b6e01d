// Helpers for the shell tests: a scratch folder tree under %TEMP% (removed again), and item identifier lists
// made by hand, byte by byte, for cases the shell does not produce on demand.
#pragma once

#include "shell/IdList.h"
#include "shell/ShellFolder.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace qbtest {

// Removes a folder and everything below it.
inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

// A fresh folder under %TEMP% for one test, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        const DWORD n = ::GetTempPathW(MAX_PATH, temp);
        std::wstring base(temp, n);
        if (!base.empty() && base.back() == L'\\') base.pop_back();
        static int serial = 0;
        root_ = base + L"\\qb-shell-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(++serial);
        ::CreateDirectoryW(root_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(root_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Root() const { return root_; }

    // Makes the folders of `relative` (backslash-separated) below the root; returns the full path.
    std::wstring MakeFolders(const std::wstring& relative) const {
        std::wstring path = root_;
        size_t start = 0;
        while (start <= relative.size()) {
            const size_t end = std::min(relative.find(L'\\', start), relative.size());
            path += L"\\" + relative.substr(start, end - start);
            ::CreateDirectoryW(path.c_str(), nullptr);
            start = end + 1;
        }
        return path;
    }

    // Makes a file with a little content; returns true when it exists afterwards.
    static bool MakeFile(const std::wstring& path) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        ::WriteFile(file, "quillbrook", 10, &written, nullptr);
        ::CloseHandle(file);
        return true;
    }

private:
    std::wstring root_;
};

// A list with the given items; each item is its data bytes, the count is put in front.
inline unique_idlist MakeIdList(std::initializer_list<std::vector<BYTE>> items) {
    std::vector<BYTE> bytes;
    for (const auto& item : items) {
        const USHORT cb = static_cast<USHORT>(item.size() + sizeof(USHORT));
        bytes.push_back(static_cast<BYTE>(cb & 0xFF));
        bytes.push_back(static_cast<BYTE>(cb >> 8));
        bytes.insert(bytes.end(), item.begin(), item.end());
    }
    bytes.push_back(0);
    bytes.push_back(0);
    void* p = ::CoTaskMemAlloc(bytes.size());
    if (p) std::memcpy(p, bytes.data(), bytes.size());
    return unique_idlist(static_cast<ITEMIDLIST*>(p));
}

// The bytes of a list, terminator included.
inline std::vector<BYTE> IdListBytes(const ITEMIDLIST* list) {
    const BYTE* p = reinterpret_cast<const BYTE*>(list);
    const UINT size = IdListSize(list) + sizeof(USHORT);
    return std::vector<BYTE>(p, p + size);
}

// The parsing name (the full path for file-system items) of `absolute`, asked of its parent folder.
inline std::wstring ParsingNameOf(const ITEMIDLIST* absolute) {
    const unique_idlist parent = ParentIdList(absolute);
    const unique_idlist last = LastItemOf(absolute);
    const TShellFolder folder(parent.get());
    if (!folder) return L"<no parent folder>";
    STRRET reply{};
    if (FAILED(folder->GetDisplayNameOf(last.get(), SHGDN_FORPARSING, &reply))) return L"<no name>";
    return StrRetToString(reply, last.get());
}

// The shell keeps a few blocks of the task allocator for the rest of the run when first used (under Wine: the
// desktop folder's path). Making them before a spy scope starts keeps them out of its count; a leak of the
// code under test still shows, since it recurs on every call.
inline void WarmUpShell(const std::wstring& path) {
    IShellFolder* desktop = nullptr;
    if (FAILED(::SHGetDesktopFolder(&desktop))) return;
    std::wstring buffer = path;
    PIDLIST_RELATIVE list = nullptr;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, buffer.data(), nullptr, &list, nullptr))) {
        STRRET reply{};
        if (SUCCEEDED(desktop->GetDisplayNameOf(list, SHGDN_FORPARSING, &reply))) {
            if (reply.uType == STRRET_WSTR) ::CoTaskMemFree(reply.pOleStr);
        }
        ::CoTaskMemFree(list);
    }
    desktop->Release();
}

}  // namespace qbtest
