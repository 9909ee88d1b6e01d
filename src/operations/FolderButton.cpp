#include "operations/FolderButton.h"

#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"

namespace {

// Sets a flag for a scope and clears it however the scope ends.
class FlagScope {
public:
    explicit FlagScope(bool& flag) noexcept : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

void TFolderButton::OpenFromTriangle() {
    if (TriangleSide != 2) OpenSubFolder();
}

void TFolderButton::Hover() {
    if (TriangleSide == 2) OpenSubFolder();
}

TPopupMenuBase* TFolderButton::OpenSubFolder() {
    // Enumerating a slow folder may pump messages, and a hover or triangle of this same entry may come in.
    if (opening_) return nullptr;
    TEntryScope scope(*this);
    TPopupMenuBase* window = MenuWindow();
    if (!window) return nullptr;
    const FlagScope busy(opening_);
    return window->OpenSubFolder(this);
}

void TRemovableFolder::SetAttributes(ULONG flags) {
    TFolderButton::SetAttributes(flags);
    constexpr ULONG kRemovableDrive = SFGAO_REMOVABLE | SFGAO_FILESYSANCESTOR;
    if ((flags & kRemovableDrive) == kRemovableDrive) SetHoverDelay(HoverDelay() + ExtraHoverDelay);
}
