#include "filers/RootMenuFiler.h"

#include "framework/Application.h"
#include "framework/ComPtr.h"
#include "operations/FileButton.h"
#include "operations/FileObject.h"
#include "operations/FolderButton.h"
#include "shell/IdList.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>

TRootMenuFiler::TRootMenuFiler(fw::Component* owner, bool showTriangle, fw::Component* adopter,
                               const fw::FormParams& params)
    : TMenuFilerBase(owner, showTriangle, adopter, params) {
    RootCaptionAndIcon();
    RootFill();
}

void TRootMenuFiler::RootCaptionAndIcon() {
    PIDLIST_ABSOLUTE raw = nullptr;
    HWND app = fw::App() ? fw::App()->Handle() : nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(app, CSIDL_DESKTOP, &raw))) return;  // no caption, no icon
    const unique_absolute_idlist desktop = AdoptIdList(raw);
    SHFILEINFOW info{};
    const auto images = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(desktop.get()), 0, &info, sizeof(info),
                         SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_SMALLICON));
    if (!images) return;
    SetIcon(fw::unique_hicon(::ImageList_GetIcon(images, info.iIcon, ILD_TRANSPARENT)));
    SetCaption(info.szDisplayName);
}

void TRootMenuFiler::RootFill() {
    fw::ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(desktop.put())) || !desktop) return;  // the window stays empty
    fw::ComPtr<IEnumIDList> items;
    HWND app = fw::App() ? fw::App()->Handle() : nullptr;
    // Success without an enumerator happens too: an empty window, as for a failure.
    if (FAILED(desktop->EnumObjects(app, SHCONTF_FOLDERS, items.put())) || !items) return;
    PITEMID_CHILD raw = nullptr;
    while (items->Next(1, &raw, nullptr) == S_OK) {
        unique_child_idlist item = AdoptIdList(raw);
        STRRET reply{};
        if (FAILED(desktop->GetDisplayNameOf(item.get(), SHGDN_NORMAL, &reply))) continue;
        const std::wstring name = StrRetToString(reply, item.get());
        // A desktop item's list is also its absolute list.
        unique_absolute_idlist absolute = ConcatIdLists(nullptr, item.get());
        if (!absolute) continue;
        auto entry = std::make_unique<TFolderButton>(std::move(absolute), std::move(item));
        entry->SetCaption(name);
        if (ShowTriangle) entry->SetTriangleSide(1);
        ButtonManager->AddEntry(entry.release());
    }
    // The desktop's own order, unsorted; every entry as wide as the widest.
    ButtonManager->FinishLayout();
}
