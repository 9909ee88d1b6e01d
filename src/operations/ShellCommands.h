// The pieces of a shell item's context menu that do not depend on the entry: the shell fills a popup menu
// with its commands numbered from 1 (0 is TrackPopupMenu's "nothing chosen"), we add our own items above
// every number it used, and a chosen command goes back to the shell by its offset from 1.
#pragma once

#include <windows.h>
#include <shlobj.h>

inline constexpr UINT kFirstShellCommand = 1;
inline constexpr UINT kLastShellCommand = 0x7FFF;
// Our own items are numbered from here up, clear of the shell's usual range.
inline constexpr UINT kFirstOwnCommand = 300;
inline constexpr wchar_t kRenameItemText[] = L"名前の変更(&M)";

// The application's hidden window (owner of shell calls and their dialogs), or null without one.
HWND ApplicationWindow() noexcept;

// Lets the shell add its commands to `popup` (as the explorer's tree does); the shell's result.
HRESULT FillContextMenu(IContextMenu& menu, HMENU popup) noexcept;
// Carries out the command `offset` (its identifier minus kFirstShellCommand). The shell reports its own
// failures, if at all; the result is of no use to us.
void InvokeShellCommand(IContextMenu& menu, UINT offset) noexcept;

// The first identifier from kFirstOwnCommand up that no top-level item of `popup` uses and that lies above
// every identifier the shell used, as `filled` (FillContextMenu's result) tells; 0 when none up to 0xFFFF.
UINT FreeCommandId(HMENU popup, HRESULT filled);
// Adds the rename item with identifier `id` above the last two items (the shell's separator and
// Properties), or at the top of a menu with fewer.
void InsertRenameItem(HMENU popup, UINT id) noexcept;
