// The window of one shell folder: every submenu of the cascade is one, and a start with a folder path
// opens one directly. It lists the folder's items (hidden ones included) in the folder's own order, each
// coloured by its attributes; "(なし)" when there is nothing to list, "アクセスできません" when the folder
// cannot be listed or is gone.
//
// The listing runs on a worker (shell/FolderListing.h): the window waits for it a short while before it
// shows, so a quick folder appears complete; a slower one appears at once with "読み込み中…" and fills when
// the listing arrives. It refills when the folder changes on disk (the watcher's message, at most one refill
// for a burst of changes; once more when it is watched again after a pause) and on F5, on a worker too:
// the rows stay as they are, and usable, until the new listing is there, and are then replaced in one
// step, keeping a rename box that was left open over its item. At most one listing runs per window;
// changes that come meanwhile make one more after it. It hands files dropped on it to the folder's own
// drop target.
#pragma once

#include "filers/MenuFilerBase.h"
#include "framework/ComPtr.h"
#include "framework/Timer.h"
#include "operations/EditCaptionButton.h"
#include "shell/FolderListing.h"
#include "shell/IdList.h"

#include <oleidl.h>

#include <optional>
#include <string>
#include <vector>

class TFileObject;

class TSubFolderFiler : public TMenuFilerBase {
public:
    static constexpr fw::FormParams kParams{L"TSubFolderFiler"};
    static constexpr wchar_t kNothing[] = L"(なし)";
    static constexpr wchar_t kNoAccess[] = L"アクセスできません";
    static constexpr wchar_t kLoading[] = L"読み込み中…";
    // How long a new window waits for its listing before it shows with kLoading (milliseconds): a folder
    // listed within it appears complete, with no placeholder and no flicker.
    static constexpr unsigned long kListingBudget = 100;
    // A growing window adds rows in steps of this many until a slice of this long (milliseconds) is used,
    // and answers the user between slices.
    static constexpr size_t kAppendStep = 256;
    static constexpr unsigned long kAppendSlice = 30;
    // Posted by the worker to the window when its listing is there. In the application's own range: the
    // shell's context menus send messages of the WM_USER range to the window that owns them.
    static constexpr UINT kListingArrived = WM_APP + 0x122;

    // The wait of new windows (tests that read a window at once wait longer) and the binding of folders on
    // the worker (tests hand out folders of their own); kListingBudget and the shell by default.
    static inline unsigned long ListingBudget = kListingBudget;
    static inline TFolderListing::Binder ListingBinder = nullptr;

    // A window on the folder that `entry` stands for, filled, hidden; the caption and icon are the entry's.
    TSubFolderFiler(fw::Component* owner, bool showTriangle, TFileObject& entry, fw::Component* adopter);
    ~TSubFolderFiler() override;

    // A window on the folder named by a path or shell name, owned and adopted by `owner`; null when the
    // text names nothing.
    static TSubFolderFiler* OpenFolderByPath(fw::Component* owner, const std::wstring& path,
                                             bool showTriangle);

    // Asks for a refill through the window's queue (so it never runs inside another refill).
    virtual void RequestRefresh();
    // Lists the folder again; the rows are replaced when the listing arrives.
    void Refill();
    // Whether a listing runs or waits to be shown (the rows are not yet what the folder holds).
    bool ListingPending() const noexcept { return listing_ != nullptr || again_; }
    // The running listing, or null (tests).
    TFolderListing* Listing() const noexcept { return listing_.get(); }

    PCIDLIST_ABSOLUTE Folder() const noexcept { return folder_.get(); }
    // The folder's own drop target, registered for this window (null when the folder offers none).
    IDropTarget* DropTarget() const noexcept { return dropTarget_.get(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // F5 reads the folder again.
    void KeyDown(WORD& key, fw::ShiftState shift) override;
    void Activated(bool active) override;
    std::wstring SearchRoot() const override;

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
    // Starts the worker on the folder.
    void StartListing();
    // The worker's message: shows the listing now, or as soon as no entry is busy any more.
    void ListingArrived();
    // Replaces the rows with the arrived listing, keeping the keyboard's highlight and an open rename box.
    void ApplyListing();
    // A first listing too slow to wait for: the rows that came are added below the others, and once the
    // listing is done the window takes its final size.
    void AppendArrived();
    // One slice of the arrived rows goes into the window.
    void AppendSome();
    // The window has the focus and nothing is highlighted: the first row is.
    void TakeKeysToFirstRow();
    void AddPlaceholder(const wchar_t* caption);
    // The removable drives' attributes the listing asked for go to the attribute cache.
    void LearnAttributes(TFolderListing& listing);
    // Empties the window and puts the rows (or the placeholder for the outcome) into it.
    void Fill(TListingOutcome outcome, std::vector<TListedItem>& rows);
    // Entries for `count` rows from `from` on, added after the others (their items are taken).
    void AddRows(std::vector<TListedItem>& rows, size_t from, size_t count);
    // A window that showed kLoading has its full size now: it is placed again beside its parent (or kept
    // on its monitor), as it would have been placed with these rows.
    void PlaceAfterLoading();
    void RegisterDropTarget();
    void RevokeDropTarget() noexcept;

    unique_absolute_idlist folder_;
    fw::ComPtr<IDropTarget> dropTarget_;
    bool dropRegistered_ = false;
    unique_folder_listing listing_;
    bool again_ = false;                // the folder changed while a listing ran: one more after it
    bool loading_ = false;              // the window shows kLoading
    bool growing_ = false;              // the first listing's rows are added as they come
    std::vector<TListedItem> arrived_;  // rows taken from a growing window's listing
    size_t appended_ = 0;               // of them, those in the window
    fw::Timer* appendMore_ = nullptr;   // owned by the window; the next slice of arrived_
    fw::Timer* applyLater_ = nullptr;   // owned by the window; tries again while an entry is busy
    bool watchedBefore_ = false;
};
