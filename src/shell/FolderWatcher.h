// Folder watchers: a background thread per watched folder posts kFolderChanged to the menu window that shows
// the folder whenever a file or folder is created, deleted or renamed directly in it, and the window refills.
// Each watch keeps the folder open (a USB drive with a watched folder cannot be ejected), so the program
// keeps only a few: TFolderWatcherManager owns them all, oldest first, and ends the oldest to make room.
//
// Threads: the manager is used on the GUI thread only. A watcher's body never touches the manager or the
// window's object; it only posts to the window's handle. Ending a watcher (eviction, StopWatchersFor, the
// manager's destruction) waits for its body, which sees the stop request at once.
#pragma once

#include "framework/Thread.h"
#include "shell/Chain.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

// Posted (never sent) to a watcher's window when names change in its folder; wParam and lParam are 0.
constexpr UINT kFolderChanged = WM_USER + 100;

class TFolderWatcher final : public fw::Thread {
public:
    // Started with fw::StartThread only; the body opens the change notification, so a slow or vanished
    // drive holds up this thread, not the GUI thread.
    TFolderWatcher(std::wstring path, HWND target) : path_(std::move(path)), target_(target) {}

    const std::wstring& Path() const noexcept { return path_; }
    HWND Target() const noexcept { return target_; }
    // Asks the body to end; returns at once. The owner still waits for it when it destroys the watcher.
    void StopWatcher() noexcept { Terminate(); }
    // True once the body holds its change notification: from then on no change in the folder is missed.
    bool Watching() const noexcept { return watching_; }

private:
    ~TFolderWatcher() override = default;  // ended by fw::ThreadDeleter only
    void Execute() override;

    const std::wstring path_;
    const HWND target_;  // borrowed; only posted to, and only while IsWindow says it is there
    std::atomic<bool> watching_{false};
};

class TFolderWatcherManager {
public:
    static constexpr int kMinCapacity = 1;
    static constexpr int kMaxCapacity = 15;

    // `capacity` is clamped to kMinCapacity..kMaxCapacity.
    explicit TFolderWatcherManager(int capacity) noexcept;
    // Stops every watcher and destroys them oldest first, waiting for each body.
    ~TFolderWatcherManager();
    TFolderWatcherManager(const TFolderWatcherManager&) = delete;
    TFolderWatcherManager& operator=(const TFolderWatcherManager&) = delete;

    // The watcher of `window` for `path` (exact, case-sensitive match of both), unchanged in age when it is
    // already there; otherwise a new one, appended after the oldest was ended if the manager was full.
    // Returns a watcher the manager owns. Throws fw::Exception when no thread can be started and
    // std::bad_alloc; then no watcher was added (though the oldest may already have been ended).
    TFolderWatcher* WatchFolder(HWND window, const std::wstring& path);
    // Stops and destroys every watcher aimed at `window`; the others keep their order. For a window that is
    // going away, so that nothing keeps its folder open.
    void StopWatchersFor(HWND window) noexcept;

    int Count() const noexcept { return watchers_.Count(); }
    int Capacity() const noexcept { return capacity_; }
    // The watcher at `index`, oldest first; null when out of range.
    TFolderWatcher* Items(int index) const noexcept { return watchers_.Items(index); }
    // (window, path) of each watcher, oldest first.
    std::vector<std::pair<HWND, std::wstring>> Watched() const;

private:
    const int capacity_;
    TChain<TFolderWatcher, fw::ThreadDeleter> watchers_;  // owned, oldest first
};
