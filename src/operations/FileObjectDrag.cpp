// Dragging a shell item out of a menu window.
#include "operations/FileObject.h"

#include "operations/DropSource.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"

// The shell's attributes name the allowed drop effects with the same bits.
static_assert(SFGAO_CANCOPY == DROPEFFECT_COPY && SFGAO_CANMOVE == DROPEFFECT_MOVE &&
              SFGAO_CANLINK == DROPEFFECT_LINK);

void TFileObject::StartDrag() {
    // The drag loop runs inside this call: a refill or a close of the window may arrive from the queue
    // meanwhile.
    TEntryScope scope(*this);
    const DWORD effects = Attributes & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    // Silent: the shell allows nothing to be done with the item, so there is nothing to drag.
    if (effects == DROPEFFECT_NONE) return;
    const fw::ComPtr<IDataObject> data = ItemDataObject();
    if (!data) return;  // silent as well: the shell offers nothing to carry
    const TDropSourceManager::Use sources = TDropSourceManager::Shared();
    // Once the drag is over, a hover on the parent window would open another child there and close this
    // one: like a window the user moved, it leaves the cascade and stays open until closed.
    if (TPopupMenuBase* window = MenuWindow()) window->DetachFromParent();
    DWORD effect = DROPEFFECT_NONE;
    // What a drop did (a move, a copy) reaches the open windows through their folder watchers; neither
    // the effect nor the result is of use here, and the entry may be gone by now.
    ::DoDragDrop(data.get(), sources->Source(), effects, &effect);
}
