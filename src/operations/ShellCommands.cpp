#include "operations/ShellCommands.h"

#include "framework/Application.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

std::vector<UINT> TopLevelIds(HMENU popup) {
    std::vector<UINT> ids;
    const int count = ::GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        // GetMenuItemID answers -1 for an item that opens a submenu; the item's own identifier is wanted.
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_ID;
        if (::GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &item)) ids.push_back(item.wID);
    }
    return ids;
}

}  // namespace

HWND ApplicationWindow() noexcept {
    fw::Application* app = fw::App();
    return app ? app->Handle() : nullptr;
}

HRESULT FillContextMenu(IContextMenu& menu, HMENU popup) noexcept {
    return menu.QueryContextMenu(popup, 0, kFirstShellCommand, kLastShellCommand, CMF_EXPLORE);
}

void InvokeShellCommand(IContextMenu& menu, UINT offset) noexcept {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = 0;
    info.hwnd = ApplicationWindow();
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    menu.InvokeCommand(&info);
}

UINT FreeCommandId(HMENU popup, HRESULT filled) {
    UINT first = kFirstOwnCommand;
    // A successful fill used kFirstShellCommand ... kFirstShellCommand + count - 1, submenus included, so
    // staying above that range spares searching the submenus.
    if (SUCCEEDED(filled)) first = std::max<UINT>(first, kFirstShellCommand + HRESULT_CODE(filled));
    const std::vector<UINT> used = TopLevelIds(popup);
    for (UINT id = first; id <= 0xFFFF; ++id) {
        if (std::find(used.begin(), used.end(), id) == used.end()) return id;
    }
    return 0;
}

void InsertRenameItem(HMENU popup, UINT id) noexcept {
    const int count = ::GetMenuItemCount(popup);
    const int position = (count == -1 || count - 2 < 0) ? 0 : count - 2;
    // The item record wants a writable string.
    wchar_t text[std::size(kRenameItemText)];
    std::copy(std::begin(kRenameItemText), std::end(kRenameItemText), text);
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_TYPE;
    item.fType = MFT_STRING;
    item.wID = id;
    item.dwTypeData = text;
    item.cch = static_cast<UINT>(std::size(text) - 1);
    ::InsertMenuItemW(popup, static_cast<UINT>(position), TRUE, &item);
}
