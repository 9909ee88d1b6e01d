// Renaming a shell item in place.
#include "operations/FileObject.h"

#include "operations/ShellCommands.h"
#include "popup/PopupButtonManager.h"
#include "shell/ShellFolder.h"

void TFileObject::BeginRename() {
    if (!(Attributes & SFGAO_CANRENAME)) return;
    BeginEdit(IconSize() + Scale(kGap), 0, Caption());
}

void TFileObject::ApplyRename() {
    // The shell may ask the user something (a changed extension) in a loop of its own.
    TEntryScope scope(*this);
    // A refill took the item off the window: it may be gone, and it is not ours to rename any more.
    if (Marked() || !EditBox) return;
    const std::wstring name = EditBox->Text();
    const TShellFolder parent(ParentIdList(AbsoluteId()).get());
    if (parent) Rename(*parent.Folder(), name);
    if (Marked()) return;
    HideEditBox();
}

void TFileObject::Rename(IShellFolder& parent, const std::wstring& name) {
    // The entry's own list stays as it is until the rename is known to have happened.
    const unique_child_idlist kept = CopyIdList(RelativeId());
    if (!kept) return;
    PITEMID_CHILD out = nullptr;
    // SHGDN_NORMAL: the name is a plain name inside the folder, the way the caption shows it.
    parent.SetNameOf(ApplicationWindow(), kept.get(), name.c_str(), SHGDN_NORMAL, &out);
    // Success is judged by the list handed out: some shells hand one out with a warning code.
    unique_child_idlist renamed = AdoptIdList(out);
    if (!renamed || Marked()) return;
    unique_absolute_idlist absolute = ConcatIdLists(ParentIdList(AbsoluteId()).get(), renamed.get());
    if (!absolute) return;  // out of memory: the entry keeps the old name until the window refills
    relative_ = std::move(renamed);
    absolute_ = std::move(absolute);
    // The column keeps its width until the window lays out again; a new extension may bring a new icon.
    const int width = Width();
    SetCaption(name);
    SetWidth(width);
    iconLookedUp_ = false;
    if (TPopupButtonManager* container = Container()) container->InvalidateRect(BoundsRect());
}
