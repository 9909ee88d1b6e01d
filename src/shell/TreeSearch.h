// Searching the folders below a folder by name, on a worker thread: breadth first (the nearest folders
// first), by the file system (it walks folders as fast as the file system lists them, and only the items
// found become shell items), within a time budget and a cap on the items found. Links to folders are
// followed at most once: a folder reached again (a junction back up the tree) is not walked again.
//
// Like a folder listing, the search is shared by reference count between the window and the worker; the
// window takes what was found when the worker's message comes (posted once per batch it has not taken)
// and lets go of a search it no longer wants (Cancel and Release, never a wait).
#pragma once

#include "shell/IdList.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct TFoundItem {
    unique_absolute_idlist item;
    std::wstring name;   // the file system's name
    std::wstring where;  // the folder it is in, relative to the searched folder ("写真\2024")
    bool folder = false;
    DWORD attributes = 0;  // FILE_ATTRIBUTE_*
};

class TTreeSearch final {
public:
    struct Limits {
        size_t most = 200;            // items found at most
        unsigned long time = 10'000;  // milliseconds
    };

    // Starts searching the folders below `root` (a file-system folder; the folder's own items are not
    // searched) for names that contain `folded` (folded as fw::FoldForSearch does); posts `message` to
    // `target` when items are ready that the window has not been told of, and once more when done. The
    // caller holds one reference. Throws fw::Exception when no thread can be started, and std::bad_alloc.
    static TTreeSearch* Start(const std::wstring& root, const std::wstring& folded, HWND target, UINT message,
                              Limits limits);
    void AddRef() noexcept { ++references_; }
    void Release() noexcept;
    void Cancel() noexcept { cancelled_ = true; }

    std::vector<TFoundItem> TakeFound();
    bool Done() const noexcept { return done_; }
    // Once Done(): whether the time or the cap ended the search before the tree did.
    bool CutShort() const noexcept { return cutShort_; }
    // Folders walked so far.
    size_t Walked() const noexcept { return walked_; }
    HANDLE Thread() const noexcept { return thread_; }

private:
    TTreeSearch(std::wstring root, std::wstring folded, HWND target, UINT message, Limits limits);
    ~TTreeSearch();
    static unsigned long __stdcall Body(void* self) noexcept;
    void Walk();
    void Hand(std::vector<TFoundItem>& batch);

    const std::wstring root_;
    const std::wstring folded_;
    const HWND target_;
    const UINT message_;
    const Limits limits_;
    HANDLE thread_ = nullptr;
    std::atomic<long> references_{1};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> done_{false};
    std::atomic<size_t> walked_{0};
    bool cutShort_ = false;  // written before done_
    std::mutex lock_;        // guards found_ and told_
    std::vector<TFoundItem> found_;
    bool told_ = false;
};

struct TTreeSearchRelease {
    void operator()(TTreeSearch* search) const noexcept {
        search->Cancel();
        search->Release();
    }
};
using unique_tree_search = std::unique_ptr<TTreeSearch, TTreeSearchRelease>;
