#include "shell/FileSystemPath.h"

#include "shell/IdList.h"
#include "shell/ShellFolder.h"

#include <shlobj.h>

#include <vector>

namespace {

// Long enough for any path the system takes (the extended-length limit).
constexpr DWORD kLongest = 32768;

}  // namespace

std::wstring FileSystemPath(PCIDLIST_ABSOLUTE item) {
    std::vector<wchar_t> buffer(kLongest);
    if (!::SHGetPathFromIDListEx(item, buffer.data(), kLongest, GPFIDL_DEFAULT)) return {};
    std::wstring path(buffer.data());
    // A shorter answer is whole; one of MAX_PATH - 1 characters or more may have been cut.
    if (path.size() < MAX_PATH - 1 || IdListSize(item) == 0) return path;
    const unique_absolute_idlist parentList = ParentIdList(item);
    const unique_child_idlist last = LastItemOf(item);
    const std::wstring parentPath = parentList ? FileSystemPath(parentList.get()) : std::wstring();
    const TShellFolder parent(parentList.get());
    STRRET reply{};
    if (parentPath.empty() || !parent || !last ||
        FAILED(parent->GetDisplayNameOf(last.get(), SHGDN_INFOLDER | SHGDN_FORPARSING, &reply))) {
        return path;
    }
    const std::wstring name = StrRetToString(reply, last.get());
    if (name.empty()) return path;
    return parentPath.back() == L'\\' ? parentPath + name : parentPath + L'\\' + name;
}

std::wstring ExtendedLengthPath(const std::wstring& path) {
    // The plain form of a folder's path must leave room for an 8.3 name in it (MAX_PATH - 12).
    if (path.size() < MAX_PATH - 12 || path.starts_with(L"\\\\?\\")) return path;
    if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

DWORD FileAttributesAt(const std::wstring& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(ExtendedLengthPath(path).c_str());
}
