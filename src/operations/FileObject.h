// One shell item as a menu entry: its identifier lists, its icon, its default command on a click and its
// context menu on a right click, with an in-place rename.
//
// The icon: a row first shows the icon of its type (a folder, or a file by the extension of its name), at
// a cost that no folder size or file system changes; once painted, it asks the icon worker for its own
// (TIconClient) and shows it when it arrives. A cloud placeholder keeps the icon of its type with a cloud
// drawn over it: reading its own icon would fetch the file from the network.
//
// The entry owns both lists: `absolute` names the item from the desktop, `relative` is its one item inside
// its parent folder. The context menu, the command chosen from it, the rename box and a drag run while a
// refill or a close may arrive from the queue: each holds the entry (TEntryScope) and does nothing more to
// an entry that was freed meanwhile.
#pragma once

#include "framework/ComPtr.h"
#include "operations/FileButtonBase.h"
#include "shell/IconFetcher.h"
#include "shell/IdList.h"
#include "shell/Malloc.h"

#include <shlobj.h>

#include <cstdint>
#include <string_view>

class TFileObject : public TFileButtonBase, private TIconClient {
public:
    // The file attributes of a placeholder of a cloud store (recalled on open, on reading, or offline).
    static constexpr DWORD kCloudPlaceholder = 0x00400000 | 0x00040000 | FILE_ATTRIBUTE_OFFLINE;

    // Throws fw::Exception(L"Cannot get IMalloc") when the shell hands out no allocator.
    TFileObject(unique_absolute_idlist absolute, unique_child_idlist relative);

    PCIDLIST_ABSOLUTE AbsoluteId() const noexcept { return absolute_.get(); }
    PCITEMID_CHILD RelativeId() const noexcept { return relative_.get(); }

    // The item's name in its file system (cFileName of its find data), for the icon of its type; only its
    // extension is kept. Given after SetFileAttributes by a filer that has the item's file data; an entry
    // without it (a drive, a virtual item) starts with a plain folder or file icon.
    void SetFileName(std::wstring_view name);
    // Whether FileAttributes mark a cloud placeholder: its own icon is never asked for.
    bool IsCloudPlaceholder() const noexcept { return (FileAttributes & kCloudPlaceholder) != 0; }
    // Whether the row waits for its own icon from the worker.
    using TIconClient::IconPending;
    // OnClick, then the item's default command.
    void Click() override;
    // A right-button release shows the context menu there; other buttons do nothing.
    void MouseUp(fw::MouseButton button, fw::ShiftState shift, int x, int y) override;

    bool IsDraggable() const override { return true; }
    // Drags the item out with the shell's data object, offering what the shell allows for it (copy, move,
    // link); an item that allows none of them is not dragged. A submenu the drag starts from leaves its
    // parent's cascade first and stays open on its own. Returns when the drag has ended.
    void StartDrag() override;

    // The shell's context menu object for the item, or null.
    fw::ComPtr<IContextMenu> ItemContextMenu() const;
    // The shell's data object for the item (what a drag or the clipboard carries), or null.
    fw::ComPtr<IDataObject> ItemDataObject() const;
    // The menu window holding the entry, else the application window: the owner of the context menu.
    HWND OwnerWindow() const;
    // Runs the command the shell marks as default, without showing the menu; nothing when there is none.
    void InvokeDefault();
    // Shows the item's context menu at a screen point and carries out what is chosen.
    void ShowContextMenu(int x, int y) override;
    // Opens the rename box over the caption, holding the caption, for an item the shell lets us rename.
    void BeginRename() override;
    // Asks the shell to give the item the edit box's name; on success the entry follows the new name (as
    // the shell reports it). A name the file system would cut or change, or a rename that fails, is told
    // in a message and the box stays open.
    void ApplyRename() override;

protected:
    // The icon of the item's type, at once.
    void PrepareIcon() override;
    // The first paint asks for the item's own icon; a cloud placeholder gets its marker instead.
    void IconPainted(fw::Canvas& canvas, const RECT& icon) override;
    void IconFetched(int index) override;
    // The system image list made for the icon size: the item's index is the same in each.
    HIMAGELIST ImageListFor(int size) override;

private:
    // One of the shell's objects for the item from its parent folder (GetUIObjectOf), or null.
    template <class I>
    fw::ComPtr<I> ItemUIObject(REFIID riid) const;
    void TrackPlain(IContextMenu& menu, int x, int y);
    void TrackFull(IContextMenu& menu, fw::ComPtr<IContextMenu2> handler, int x, int y);
    // Why the shell or the file system would not take `name` as typed (a message for the user), or null.
    const wchar_t* NameRefusal(IShellFolder& parent, const std::wstring& name) const;
    // Shows a message over the menu window, then gives the rename box the focus again.
    void Tell(const std::wstring& text);
    // Gives the item the name; the entry follows it. The shell's result, or E_FAIL for a success without
    // the new item.
    HRESULT Rename(IShellFolder& parent, const std::wstring& name);
    // Whether the row shows a folder: by the file attributes when the file data came, else by the shell's.
    bool ShowsFolder() const noexcept;

    TMalloc::Use malloc_;  // first: the lists below are freed while it is still held
    unique_absolute_idlist absolute_;
    unique_child_idlist relative_;
    uint32_t fileKind_ = 0;  // the type of the file name (TTypeIcons::KindOf); kNoName without one
    bool iconPrepared_ = false;
    bool ownIconAsked_ = false;
};
