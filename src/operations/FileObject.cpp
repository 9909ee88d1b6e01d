#include "operations/FileObject.h"

#include "operations/CloudMark.h"
#include "operations/ShellCommands.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"
#include "shell/ShellFolder.h"
#include "shell/SystemImageList.h"
#include "shell/TypeIcons.h"

#include <shellapi.h>

TFileObject::TFileObject(unique_absolute_idlist absolute, unique_child_idlist relative)
    : malloc_(TMalloc::Shared()), absolute_(std::move(absolute)), relative_(std::move(relative)) {}

void TFileObject::SetFileName(std::wstring_view name) {
    fileKind_ = TTypeIcons::KindOf(name);
}

bool TFileObject::ShowsFolder() const noexcept {
    if (fileKind_ != TTypeIcons::kNoName) return (FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return (Attributes & SFGAO_FOLDER) != 0;
}

void TFileObject::PrepareIcon() {
    if (iconPrepared_) return;
    iconPrepared_ = true;
    const TTypeIcons::Icon icon = ShowsFolder() ? TTypeIcons::FolderIcon() : TTypeIcons::FileIcon(fileKind_);
    ImageList = icon.list;
    ImageIndex = icon.index;
}

void TFileObject::IconPainted(fw::Canvas& canvas, const RECT& icon) {
    if (IsCloudPlaceholder()) {
        DrawCloudMark(canvas, icon);
        return;
    }
    // Only rows that are seen ask, each once; the worker answers through the queue.
    if (ownIconAsked_) return;
    ownIconAsked_ = true;
    RequestIcon(AbsoluteId());
}

void TFileObject::IconFetched(int index) {
    if (index < 0 || (ImageList && index == ImageIndex)) return;
    if (!ImageList) ImageList = SystemImageListFor(IconSize());
    ImageIndex = index;
    // Only this row is drawn again.
    if (TPopupButtonManager* container = Container()) container->InvalidateRect(BoundsRect());
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
