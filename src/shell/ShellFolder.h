// A shell folder bound from an absolute item identifier list, one item at a time from the desktop. A null
// folder after construction means that binding failed; callers show a placeholder or nothing.
#pragma once

#include "framework/ComPtr.h"

#include <shlobj.h>

class TShellFolder {
public:
    // Null or the empty list gives the desktop folder itself.
    explicit TShellFolder(PCUIDLIST_ABSOLUTE list) noexcept;
    TShellFolder(const TShellFolder&) = delete;
    TShellFolder& operator=(const TShellFolder&) = delete;
    TShellFolder(TShellFolder&&) noexcept = default;
    TShellFolder& operator=(TShellFolder&&) noexcept = default;

    IShellFolder* Folder() const noexcept { return folder_.get(); }
    IShellFolder* operator->() const noexcept { return folder_.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(folder_); }

private:
    fw::ComPtr<IShellFolder> folder_;
};
