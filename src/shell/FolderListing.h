// Listing a folder on a worker thread: the menu window that shows a folder never waits for the file system
// (a slow network share, a sleeping disk, a folder of a hundred thousand files). The worker binds the
// folder itself from its absolute list, in a COM apartment of its own (shell objects do not cross
// threads), enumerates it, asks each item's name, attributes and file data, sorts the items in the
// folder's own order and then posts one message to the window. The window takes the results from the
// listing object, which both threads share by reference count.
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

    // Starts listing `folder` (copied) with `flags`; posts `message` (wParam 0, lParam 0) to `target` once
    // the results are there, unless cancelled first. The caller holds one reference. Throws fw::Exception
    // when no thread can be started, and std::bad_alloc.
    static TFolderListing* Start(PCIDLIST_ABSOLUTE folder, SHCONTF flags, HWND target, UINT message,
                                 KnownAttributes known = {}, Binder bind = nullptr);
    void AddRef() noexcept { ++references_; }
    void Release() noexcept;

    // The results are no longer wanted: the worker stops at its next step and posts nothing.
    void Cancel() noexcept { cancelled_ = true; }
    bool Cancelled() const noexcept { return cancelled_; }
    // Whether the results are there (then they stay as they are).
    bool Done() const noexcept { return done_; }
    // Waits at most `milliseconds` for the results; messages other threads send to this thread are
    // answered meanwhile. True when they are there.
    bool WaitFor(unsigned long milliseconds) const noexcept;

    // Once Done(): what the listing gave and its items (taken once), in the folder's order.
    TListingOutcome Outcome() const noexcept { return outcome_; }
    std::vector<TListedItem> TakeItems() noexcept { return std::move(items_); }
    // Removable drives found, with their masks: for the attribute cache.
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
    SFGAOF AttributesOf(IShellFolder& folder, PCUITEMID_CHILD item);
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
    // Written by the worker before done_, read by the window thread after it.
    TListingOutcome outcome_ = TListingOutcome::NoAccess;
    std::vector<TListedItem> items_;
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
