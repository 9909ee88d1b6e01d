#include "shell/FolderWatcher.h"

#include <algorithm>

void TFolderWatcher::Execute() {
    // Names only, and only in the folder itself: a menu lists its own entries, not their contents.
    const fw::unique_hchange change(::FindFirstChangeNotificationW(
        path_.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME));
    // Not a folder, no access, or the drive is gone: there is nothing to watch, and nothing to tell.
    if (!change) return;
    watching_ = true;

    const HANDLE handles[] = {change.get(), StopEvent()};
    for (;;) {
        if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) return;
        // A stream of changes keeps the first handle signalled and would win every wait; the owner is
        // blocked until this body returns, so the flag is looked at as well.
        if (Terminated()) return;
        // The window went without stopping this watcher: nobody is left to refill.
        if (!::IsWindow(target_)) return;
        ::PostMessageW(target_, kFolderChanged, 0, 0);
        if (!::FindNextChangeNotification(change.get())) return;
    }
}

TFolderWatcherManager::TFolderWatcherManager(int capacity) noexcept
    : capacity_(std::clamp(capacity, kMinCapacity, kMaxCapacity)) {}

TFolderWatcherManager::~TFolderWatcherManager() {
    // All bodies are asked first, so they end side by side while the chain waits for them one by one.
    for (TFolderWatcher* watcher : watchers_) watcher->StopWatcher();
    watchers_.Clear();
}

TFolderWatcher* TFolderWatcherManager::WatchFolder(HWND window, const std::wstring& path) {
    for (TFolderWatcher* watcher : watchers_) {
        if (watcher->Target() != window || watcher->Path() != path) continue;
        if (!watcher->Finished()) return watcher;
        // Its watch has ended (the drive went away and may be back): this activation watches afresh.
        fw::ThreadDeleter()(watchers_.Remove(watcher));
        break;
    }
    if (watchers_.Count() >= capacity_) fw::ThreadDeleter()(watchers_.RemoveAt(0));

    fw::unique_thread<TFolderWatcher> watcher = fw::StartThread<TFolderWatcher>(path, window);
    watchers_.Add(watcher.get());  // on std::bad_alloc `watcher` still owns the thread and ends it
    return watcher.release();
}

void TFolderWatcherManager::StopWatchersFor(HWND window) noexcept {
    for (TFolderWatcher* watcher : watchers_) {
        if (watcher->Target() == window) watcher->StopWatcher();
    }
    // Removing frees the node a walk stands on, so each pass starts again from the oldest.
    for (;;) {
        TFolderWatcher* found = nullptr;
        for (TFolderWatcher* watcher : watchers_) {
            if (watcher->Target() == window) {
                found = watcher;
                break;
            }
        }
        if (!found) return;
        fw::ThreadDeleter()(watchers_.Remove(found));
    }
}

std::vector<std::pair<HWND, std::wstring>> TFolderWatcherManager::Watched() const {
    std::vector<std::pair<HWND, std::wstring>> watched;
    watched.reserve(watchers_.Count());
    for (const TFolderWatcher* watcher : watchers_) watched.emplace_back(watcher->Target(), watcher->Path());
    return watched;
}
