// Listing a folder on a worker thread: the menu window that shows a folder never waits for the file system
// (a slow network share, a sleeping disk, a folder of a hundred thousand files). The worker binds the
// folder itself from its absolute list, in a COM apartment of its own (shell objects do not cross
// threads), enumerates it and sorts the items in the folder's own order; then it asks each item's name,
// attributes and file data in that order and hands them over in batches, the first screen's worth first,
// so a big folder can show its first rows before the last ones are named. The window takes the batches
// from the listing object, which both threads share by reference count, when the worker's message
// (posted once per batch it has not yet taken) arrives.
//
// Moving on cancels: the window lets go of a listing it no longer wants (Cancel and Release, never a
// wait); the worker stops at its next item, posts nothing, and the last reference frees what it found.
// A worker held up inside the shell ends on its own later, and process exit waits for nothing of it.
// The worker sets its error mode so that the system never asks for a disk on its behalf.
#pragma once

#include "framework/ComPtr.h"
#include "shell/IdList.h"

#include <shlobj.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// One item as the worker found it.
struct TListedItem {
    unique_child_idlist item;
    std::wstring name;          // the display name (SHGDN_NORMAL)
    SFGAOF attributes = 0;      // every attribute the folder reports, 0 when it reports none
    bool haveFileData = false;  // plain file-system items only: not drives, not the folders above them
    DWORD fileAttributes = 0;   // FILE_ATTRIBUTE_*, with haveFileData
    std::wstring fileName;      // the file system's name, with haveFileData
};

// What a listing gave.
enum class TListingOutcome {
    Listed,    // items, sorted
    Empty,     // nothing to show
    NoAccess,  // the folder cannot be bound or listed, is gone, or holds items the shell did not list
};

class TFolderListing final {
public:
    // Stands in for binding the folder from its absolute list (tests hand out folders of their own); it
    // runs on the worker.
    using Binder = fw::ComPtr<IShellFolder> (*)(PCIDLIST_ABSOLUTE folder);
    // Attributes known from an earlier listing (removable drives, which spin up when asked): absolute
    // lists with their masks.
    using KnownAttributes = std::vector<std::pair<unique_absolute_idlist, std::uint32_t>>;

    // Rows in the first batch: a screen's worth.
    static constexpr size_t kFirstBatch = 128;
    // Later batches end at this many rows or after this long (milliseconds), whichever comes first.
    static constexpr size_t kBatch = 2048;
    static constexpr unsigned long kBatchTime = 50;

    // Starts listing `folder` (copied) with `flags`; posts `message` (wParam 0, lParam 0) to `target` when
    // a batch is ready that the window has not been told of, and once more when the listing is done,
    // unless cancelled first. The caller holds one reference. Throws fw::Exception
    // when no thread can be started, and std::bad_alloc.
    static TFolderListing* Start(PCIDLIST_ABSOLUTE folder, SHCONTF flags, HWND target, UINT message,
                                 KnownAttributes known = {}, Binder bind = nullptr);
    void AddRef() noexcept { ++references_; }
    void Release() noexcept;

    // The results are no longer wanted: the worker stops at its next step and posts nothing.
    void Cancel() noexcept { cancelled_ = true; }
    bool Cancelled() const noexcept { return cancelled_; }
    // Whether every batch is ready (then Outcome and TakeLearned may be read).
    bool Done() const noexcept { return done_; }
    // Waits at most `milliseconds` for the whole listing; messages other threads send to this thread are
    // answered meanwhile. True when it is done.
    bool WaitFor(unsigned long milliseconds) const noexcept;

    // The rows handed over and not yet taken, in the folder's order (all that are left once Done()).
    std::vector<TListedItem> TakeReady();
    // Once Done(): what the listing gave.
    TListingOutcome Outcome() const noexcept { return outcome_; }
    // Once Done(): removable drives found, with their masks, for the attribute cache.
    KnownAttributes TakeLearned() noexcept { return std::move(learned_); }

    // The worker's thread, for waiting on it from outside the window thread (tests).
    HANDLE Thread() const noexcept { return thread_; }

private:
    TFolderListing(unique_absolute_idlist folder, SHCONTF flags, HWND target, UINT message,
                   KnownAttributes known, Binder bind);
    ~TFolderListing();
    static unsigned long __stdcall Body(void* self) noexcept;
    void Execute() noexcept;
    void List();
    // Names the item and asks its attributes and file data; false when it has no name.
    bool Describe(IShellFolder& folder, TListedItem& row);
    SFGAOF AttributesOf(IShellFolder& folder, PCUITEMID_CHILD item);
    // Hands a batch to the window's side and tells the window, unless it has not taken the last one yet.
    void Hand(std::vector<TListedItem>& batch);
    // Why a listing that gave nothing shows nothing: an empty folder, or one that is gone or unreadable.
    TListingOutcome EmptyOutcome() const;

    const unique_absolute_idlist folder_;
    const SHCONTF flags_;
    const HWND target_;  // borrowed; only posted to
    const UINT message_;
    const KnownAttributes known_;
    const Binder bind_;
    HANDLE done_event_ = nullptr;  // manual-reset, owned
    HANDLE thread_ = nullptr;      // owned
    std::atomic<long> references_{1};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{false};
    std::mutex lock_;  // guards ready_ and told_
    std::vector<TListedItem> ready_;
    bool told_ = false;  // a message is on its way that the window has not answered by taking
    // Written by the worker before done_, read by the window thread after it.
    TListingOutcome outcome_ = TListingOutcome::NoAccess;
    KnownAttributes learned_;
};

// Lets go of a listing: cancels it and drops the reference, without waiting.
struct TFolderListingRelease {
    void operator()(TFolderListing* listing) const noexcept {
        listing->Cancel();
        listing->Release();
    }
};
using unique_folder_listing = std::unique_ptr<TFolderListing, TFolderListingRelease>;
