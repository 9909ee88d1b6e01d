#include "operations/FileObject.h"

#include "operations/ShellCommands.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"
#include "shell/ShellFolder.h"
#include "shell/SystemImageList.h"

#include <shellapi.h>

TFileObject::TFileObject(unique_absolute_idlist absolute, unique_child_idlist relative)
    : malloc_(TMalloc::Shared()), absolute_(std::move(absolute)), relative_(std::move(relative)) {}

void TFileObject::PrepareIcon() {
    // Looked up once, when first painted or asked for: under Wine each lookup costs milliseconds, and a
    // folder of thousands of items shows only a few of them.
    if (iconLookedUp_) return;
    iconLookedUp_ = true;
    UpdateIcon();
}

void TFileObject::UpdateIcon() {
    SHFILEINFOW info{};
    const DWORD_PTR list = ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute_.get()), 0, &info,
                                            sizeof(info), SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    ImageList = reinterpret_cast<HIMAGELIST>(list);
    if (list) ImageIndex = info.iIcon;
}

HIMAGELIST TFileObject::ImageListFor(int size) {
    HIMAGELIST list = SystemImageListFor(size);
    return list ? list : ImageList;
}

void TFileObject::Click() {
    TPopupButtonBase::Click();
    // The click handler may have refilled the window: the item is no longer on show.
    if (Marked()) return;
    InvokeDefault();
}

void TFileObject::MouseUp(fw::MouseButton button, fw::ShiftState, int x, int y) {
    if (button != fw::MouseButton::Right) return;
    TPopupButtonManager* container = Container();
    if (!container) return;
    const POINT screen = container->ClientToScreen(POINT{x + Left(), y + Top()});
    ShowContextMenu(screen.x, screen.y);
}

template <class I>
fw::ComPtr<I> TFileObject::ItemUIObject(REFIID riid) const {
    const TShellFolder parent(ParentIdList(AbsoluteId()).get());
    if (!parent) return nullptr;
    PCUITEMID_CHILD items[] = {RelativeId()};
    fw::ComPtr<I> object;
    if (FAILED(parent->GetUIObjectOf(ApplicationWindow(), 1, items, riid, nullptr, object.put_void())))
        return nullptr;
    return object;
}

fw::ComPtr<IContextMenu> TFileObject::ItemContextMenu() const {
    return ItemUIObject<IContextMenu>(IID_IContextMenu);
}

fw::ComPtr<IDataObject> TFileObject::ItemDataObject() const {
    return ItemUIObject<IDataObject>(IID_IDataObject);
}

HWND TFileObject::OwnerWindow() const {
    if (TPopupMenuBase* window = MenuWindow()) return window->Handle();
    return ApplicationWindow();
}
