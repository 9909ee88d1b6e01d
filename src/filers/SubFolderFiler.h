// The window of one shell folder: every submenu of the cascade is one, and a start with a folder path
// opens one directly. It lists the folder's items (hidden ones included) in the folder's own order, each
// coloured by its attributes; "(なし)" when there is nothing to list, "アクセスできません" when the folder
// cannot be listed or is gone. It refills when the folder changes on disk (the watcher's message, at most
// one refill for a burst of changes; once more when it is watched again after a pause) and on F5, keeping
// a rename box that was left open over its item, and it hands files dropped on it to the folder's own drop
// target.
#pragma once

#include "filers/MenuFilerBase.h"
#include "framework/ComPtr.h"
#include "framework/Timer.h"
#include "operations/EditCaptionButton.h"
#include "shell/IdList.h"

#include <oleidl.h>

#include <optional>
#include <string>

class TFileObject;

class TSubFolderFiler : public TMenuFilerBase {
public:
    static constexpr fw::FormParams kParams{L"TSubFolderFiler"};
    static constexpr wchar_t kNothing[] = L"(なし)";
    static constexpr wchar_t kNoAccess[] = L"アクセスできません";

    // A window on the folder that `entry` stands for, filled, hidden; the caption and icon are the entry's.
    TSubFolderFiler(fw::Component* owner, bool showTriangle, TFileObject& entry, fw::Component* adopter);
    ~TSubFolderFiler() override;

    // A window on the folder named by a path or shell name, owned and adopted by `owner`; null when the
    // text names nothing.
    static TSubFolderFiler* OpenFolderByPath(fw::Component* owner, const std::wstring& path,
                                             bool showTriangle);

    // Asks for a refill through the window's queue (so it never runs inside another refill).
    virtual void RequestRefresh();
    // Lists the folder again, from scratch.
    void Refill();

    PCIDLIST_ABSOLUTE Folder() const noexcept { return folder_.get(); }
    // The folder's own drop target, registered for this window (null when the folder offers none).
    IDropTarget* DropTarget() const noexcept { return dropTarget_.get(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // F5 reads the folder again.
    void KeyDown(WORD& key, fw::ShiftState shift) override;
    void Activated(bool active) override;

private:
    // A rename box left open, with its item, while the window refills.
    struct CarriedEdit {
        unique_child_idlist item;
        TEditCaptionButton::EditState state;
    };

    // Whether one of the window's entries is in a step that must not lose it: a context menu, the
    // command it runs, a rename under way.
    bool EntryBusy() const;
    std::optional<CarriedEdit> TakeOpenEdit() const;
    // Opens the box again over the item's new entry; nothing when the item is gone.
    void ResumeEdit(const CarriedEdit& edit);
    // The placeholder of a listing that gave nothing: "(なし)", or "アクセスできません" for a folder that
    // is gone or holds items the shell did not list.
    const wchar_t* EmptyCaption() const;
    // Refills now, or as soon as no entry is busy any more.
    void RefillWhenIdle();
    void AddPlaceholder(const wchar_t* caption);
    // Lists the folder into the emptied window.
    void Fill();
    void RegisterDropTarget();
    void RevokeDropTarget() noexcept;

    unique_absolute_idlist folder_;
    fw::ComPtr<IDropTarget> dropTarget_;
    bool dropRegistered_ = false;
    fw::Timer* refillLater_ = nullptr;  // owned by the window; checks again while an entry is busy
    bool watchedBefore_ = false;
};
