#include "shell/ShellFolder.h"

#include "shell/IdList.h"

namespace {

// Binds `list` below `parent` one item per call, so that every folder on the way (namespace extensions
// included) is only handed its own child item. Null on any failure.
fw::ComPtr<IShellFolder> BindItems(IShellFolder* parent, PCUIDLIST_RELATIVE list) noexcept {
    unique_relative_idlist rest;
    const unique_child_idlist first = SplitFirstItem(list, rest);
    if (!first) return nullptr;
    fw::ComPtr<IShellFolder> folder;
    if (FAILED(parent->BindToObject(first.get(), nullptr, IID_PPV_ARGS(folder.put())))) return nullptr;
    if (!folder) return nullptr;
    if (IdListSize(rest.get()) == 0) return folder;
    return BindItems(folder.get(), rest.get());  // `folder`, the intermediate, is released on return
}

}  // namespace

TShellFolder::TShellFolder(PCUIDLIST_ABSOLUTE list) noexcept {
    fw::ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(desktop.put())) || !desktop)
        return;  // silent: a null folder tells the caller
    // The empty list names the desktop, and BindToObject refuses it (E_INVALIDARG).
    if (IdListSize(list) == 0) {
        folder_ = std::move(desktop);
        return;
    }
    folder_ = BindItems(desktop.get(), list);
}
