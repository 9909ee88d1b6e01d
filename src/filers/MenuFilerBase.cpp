#include "filers/MenuFilerBase.h"

#include "filers/SubFolderFiler.h"
#include "operations/FileButton.h"
#include "operations/FileObject.h"
#include "operations/FolderButton.h"

#include <memory>

namespace {
// Holds no use itself: the manager lives exactly as long as some filer window does.
constinit fw::SharedInstance<TFolderWatcherManager> g_watchers;
}  // namespace

TMenuFilerBase::TMenuFilerBase(fw::Component* owner, bool showTriangle, fw::Component* adopter,
                               const fw::FormParams& params)
    : TPopupMenuBase(owner, adopter, params),
      ShowTriangle(showTriangle),
      malloc_(TMalloc::Shared()),
      watchers_(g_watchers.Acquire([] { return std::make_unique<TFolderWatcherManager>(kWatchedFolders); })) {
}

TMenuFilerBase::~TMenuFilerBase() = default;

TFolderWatcherManager* TMenuFilerBase::Watchers() noexcept {
    return g_watchers.Current();
}

TPopupMenuBase* TMenuFilerBase::OpenSubFolder(TPopupButtonBase* entry) {
    auto* folder = dynamic_cast<TFileObject*>(entry);
    if (!folder) return nullptr;
    CloseChild();
    // Listing a folder may take long (a network drive, a slow disk): meanwhile this window is busy making
    // its child and must not be closed automatically.
    Ready = false;
    TSubFolderFiler* child = nullptr;
    try {
        child = new TSubFolderFiler(this, ShowTriangle, *folder, Adopter);
    } catch (...) {
        Ready = true;
        throw;
    }
    Ready = true;
    if (Marked()) return nullptr;  // this window went while the child was being made
    PlaceChild(this, child, entry);
    if (ShowTriangle) {
        // The triangles point to the side where the new window's own children will open.
        const unsigned char side = child->OpensRight ? 1 : 0;
        for (TPopupButtonBase* e : *child->ButtonManager) {
            if (dynamic_cast<TFolderButton*>(e)) e->SetTriangleSide(side);
        }
    }
    child->Show();
    ChildMenu = child;
    ChildEntry = entry;
    return child;
}
