#include "support/TempFolder.h"

#include <windows.h>
#include <shellapi.h>

namespace qbtest {

TempFolder::TempFolder(const std::wstring& tag) {
    wchar_t temp[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp, n) + L"qb-" + tag + L"-" + std::to_wstring(::GetCurrentProcessId());
    // A run that was killed half-way leaves its folder behind, and Wine gives process ids out again.
    Remove();
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    Remove();
}

void TempFolder::Remove() const noexcept {
    // Double-zero-terminated, as the shell wants it.
    const std::wstring from = path_ + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
}

}  // namespace qbtest
