// The context menu of a shell item and its default command.
#include "operations/FileObject.h"

#include "framework/UniqueAny.h"
#include "operations/ShellCommands.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"

void TFileObject::InvokeDefault() {
    // The command may run a loop of its own (a dialog).
    TEntryScope scope(*this);
    const fw::ComPtr<IContextMenu> menu = ItemContextMenu();
    if (!menu) return;
    const fw::unique_hmenu popup(::CreatePopupMenu());
    if (!popup || FAILED(FillContextMenu(*menu.get(), popup.get()))) return;
    const UINT id = ::GetMenuDefaultItem(popup.get(), FALSE, 0);
    // No default command: a click does nothing.
    if (id == static_cast<UINT>(-1) || id < kFirstShellCommand) return;
    InvokeShellCommand(*menu.get(), id - kFirstShellCommand);
}

void TFileObject::ShowContextMenu(int x, int y) {
    TEntryScope scope(*this);
    const fw::ComPtr<IContextMenu> menu = ItemContextMenu();
    if (!menu) return;
    fw::ComPtr<IContextMenu2> handler;
    if (FAILED(menu.As(handler)) || !handler) {
        TrackPlain(*menu.get(), x, y);
        return;
    }
    // The menu opens over the cascade: the submenu open beside this window goes first.
    if (TPopupMenuBase* window = MenuWindow()) window->CloseChild();
    TrackFull(*menu.get(), std::move(handler), x, y);
}

void TFileObject::TrackPlain(IContextMenu& menu, int x, int y) {
    const HWND owner = OwnerWindow();
    const fw::unique_hmenu popup(::CreatePopupMenu());
    if (!popup || FAILED(FillContextMenu(menu, popup.get()))) return;
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    if (command == 0) return;
    // Carried out even when a refill took the entry off the window meanwhile: the item is still there
    // in the shell, and the user chose the command.
    InvokeShellCommand(menu, command - kFirstShellCommand);
}

void TFileObject::TrackFull(IContextMenu& menu, fw::ComPtr<IContextMenu2> handler, int x, int y) {
    const HWND owner = OwnerWindow();
    const fw::unique_hmenu popup(::CreatePopupMenu());
    if (!popup) return;
    const HRESULT filled = FillContextMenu(menu, popup.get());
    if (FAILED(filled)) return;
    UINT renameId = 0;
    if (Attributes & SFGAO_CANRENAME) {
        renameId = FreeCommandId(popup.get(), filled);
        if (renameId != 0) InsertRenameItem(popup.get(), renameId);
    }
    UINT command = 0;
    {
        // Owner-drawn items and submenus filled on demand (Send To, Open With) need the shell's handler.
        TScopedMenuMessageHook hook(MenuWindow(), [&handler](UINT msg, WPARAM wParam, LPARAM lParam) {
            if (handler) handler->HandleMenuMsg(msg, wParam, lParam);
        });
        command = static_cast<UINT>(
            ::TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    }
    handler.reset();
    if (command == 0) return;
    if (renameId != 0 && command == renameId) {
        // A refill meanwhile took the entry off the window: there is no caption left to edit over.
        if (!Marked()) BeginRename();
        return;
    }
    // Carried out even when a refill took the entry off the window meanwhile: the item is still there in
    // the shell, and the user chose the command.
    // The command may take the focus away (a dialog, an opened window): the menus stay while it runs.
    TCloseRefusal refusal(Container());
    InvokeShellCommand(menu, command - kFirstShellCommand);
}
