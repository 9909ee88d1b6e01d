// Folder watchers: a background thread per watched folder posts kFolderChanged to the menu window that shows
// the folder whenever a file or folder is created, deleted or renamed directly in it, and the window refills.
// Each watch keeps the folder open (a USB drive with a watched folder cannot be ejected), so the program
// keeps only a few: TFolderWatcherManager owns them all, oldest first, and ends the oldest to make room.
//
// Threads: the manager is used on the GUI thread only. A watcher is shared by the manager and its thread
// (a count of references); the thread holds everything it uses (the path, the window handle, the stop
// event) through its own reference, never touches the manager or the window's object, and only posts to the
// window's handle. Ending a watcher (eviction, StopWatchersFor, the manager's destruction) signals its stop
// event and lets go: the GUI thread never waits for a body, which may be held up in the file system (opening
// the notification of a slow network path). The body ends on its own once it sees the stop, and process
// exit waits for nothing of it.
#pragma once

#include "shell/Chain.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

// Posted (never sent) to a watcher's window when names change in its folder; wParam and lParam are 0.
constexpr UINT kFolderChanged = WM_USER + 100;

class TFolderWatcher final {
public:
    // Opens the change notification of a folder, or INVALID_HANDLE_VALUE. The body calls it: a slow or
    // vanished drive holds up the watcher's thread, never the GUI thread.
    using OpenChange = HANDLE (*)(const std::wstring& path);
    static HANDLE OpenFolderChange(const std::wstring& path);

    // Starts the body of a new watcher; the caller holds one reference. With `announce`, the body posts
    // one kFolderChanged as soon as it is watching, for a window that missed changes while unwatched.
    // Throws fw::Exception when no thread can be started, and std::bad_alloc.
    static TFolderWatcher* Start(std::wstring path, HWND target, bool announce, OpenChange open = nullptr);
    void AddRef() noexcept { ++references_; }
    void Release() noexcept;

    const std::wstring& Path() const noexcept { return path_; }
    HWND Target() const noexcept { return target_; }
    // Asks the body to end; returns at once and never waits for it.
    void StopWatcher() noexcept { ::SetEvent(stop_); }
    // True once the body holds its change notification: from then on no change in the folder is missed.
    bool Watching() const noexcept { return watching_; }
    // True once the body has returned.
    bool Finished() const noexcept { return finished_; }
    // The body's thread, for waiting on it from outside the GUI thread (tests); closed with the watcher.
    HANDLE Thread() const noexcept { return thread_; }

private:
    TFolderWatcher(std::wstring path, HWND target, bool announce, OpenChange open);
    ~TFolderWatcher();
    static DWORD WINAPI Body(void* self) noexcept;
    void Execute() noexcept;

    const std::wstring path_;
    const HWND target_;  // borrowed; only posted to, and only while IsWindow says it is there
    const bool announce_;
    const OpenChange open_;
    HANDLE stop_ = nullptr;    // manual-reset, owned
    HANDLE thread_ = nullptr;  // owned
    std::atomic<long> references_{1};
    std::atomic<bool> watching_{false};
    std::atomic<bool> finished_{false};
};

// How a chain of watchers lets go of one: stop it and drop the reference, without waiting.
struct TFolderWatcherRelease {
    void operator()(TFolderWatcher* watcher) const noexcept {
        watcher->StopWatcher();
        watcher->Release();
    }
};

class TFolderWatcherManager {
public:
    static constexpr int kMinCapacity = 1;
    static constexpr int kMaxCapacity = 15;

    // `capacity` is clamped to kMinCapacity..kMaxCapacity; `open` stands in for the file system's call.
    explicit TFolderWatcherManager(int capacity, TFolderWatcher::OpenChange open = nullptr) noexcept;
    // Stops every watcher; returns without waiting for their bodies.
    ~TFolderWatcherManager() = default;
    TFolderWatcherManager(const TFolderWatcherManager&) = delete;
    TFolderWatcherManager& operator=(const TFolderWatcherManager&) = delete;

    // The watcher of `window` for `path` (exact, case-sensitive match of both), unchanged in age when it is
    // already there and still watching; otherwise a new one (started with `announce`), appended after the
    // oldest was ended if the manager was full. Returns a watcher the manager owns. Throws fw::Exception
    // when no thread can be started and std::bad_alloc; then no watcher was added (though the oldest may
    // already have been ended).
    TFolderWatcher* WatchFolder(HWND window, const std::wstring& path, bool announce = false);
    // Stops every watcher aimed at `window` and lets go of them; the others keep their order. For a window
    // that is going away, so that nothing keeps its folder open.
    void StopWatchersFor(HWND window) noexcept;

    int Count() const noexcept { return watchers_.Count(); }
    int Capacity() const noexcept { return capacity_; }
    // The watcher at `index`, oldest first; null when out of range.
    TFolderWatcher* Items(int index) const noexcept { return watchers_.Items(index); }
    // (window, path) of each watcher, oldest first.
    std::vector<std::pair<HWND, std::wstring>> Watched() const;

private:
    const int capacity_;
    const TFolderWatcher::OpenChange open_;
    TChain<TFolderWatcher, TFolderWatcherRelease> watchers_;  // one reference each, oldest first
};
