#include "shell/FolderWatcher.h"

#include "framework/Exception.h"
#include "framework/UniqueAny.h"
#include "shell/FileSystemPath.h"

#include <algorithm>

HANDLE TFolderWatcher::OpenFolderChange(const std::wstring& path) {
    // Names only, and only in the folder itself: a menu lists its own entries, not their contents.
    return ::FindFirstChangeNotificationW(ExtendedLengthPath(path).c_str(), FALSE,
                                          FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
}

TFolderWatcher::TFolderWatcher(std::wstring path, HWND target, bool announce, OpenChange open)
    : path_(std::move(path)), target_(target), announce_(announce), open_(open ? open : &OpenFolderChange) {}

TFolderWatcher::~TFolderWatcher() {
    if (thread_) ::CloseHandle(thread_);
    if (stop_) ::CloseHandle(stop_);
}

TFolderWatcher* TFolderWatcher::Start(std::wstring path, HWND target, bool announce, OpenChange open) {
    auto* watcher = new TFolderWatcher(std::move(path), target, announce, open);
    // The event exists before the body runs, so a stop asked for at once is not lost.
    watcher->stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (watcher->stop_) {
        watcher->AddRef();  // the body's
        watcher->thread_ = ::CreateThread(nullptr, 0, &Body, watcher, 0, nullptr);
        if (watcher->thread_) return watcher;
        watcher->Release();
    }
    watcher->Release();
    throw fw::Exception(L"Cannot start a thread");
}

void TFolderWatcher::Release() noexcept {
    if (--references_ == 0) delete this;
}

DWORD WINAPI TFolderWatcher::Body(void* self) noexcept {
    auto* watcher = static_cast<TFolderWatcher*>(self);
    watcher->Execute();
    watcher->finished_ = true;
    watcher->Release();
    return 0;
}

void TFolderWatcher::Execute() noexcept {
    const fw::unique_hchange change(open_(path_));
    // Not a folder, no access, or the drive is gone: there is nothing to watch, and nothing to tell.
    if (!change) return;
    watching_ = true;
    // The stop comes first: a stream of changes would otherwise win every wait.
    const HANDLE handles[] = {stop_, change.get()};
    if (announce_ && ::WaitForSingleObject(stop_, 0) != WAIT_OBJECT_0)
        ::PostMessageW(target_, kFolderChanged, 0, 0);
    for (;;) {
        if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
        // The window went without stopping this watcher: nobody is left to refill.
        if (!::IsWindow(target_)) return;
        ::PostMessageW(target_, kFolderChanged, 0, 0);
        if (!::FindNextChangeNotification(change.get())) return;
    }
}

TFolderWatcherManager::TFolderWatcherManager(int capacity, TFolderWatcher::OpenChange open) noexcept
    : capacity_(std::clamp(capacity, kMinCapacity, kMaxCapacity)), open_(open) {}

TFolderWatcher* TFolderWatcherManager::WatchFolder(HWND window, const std::wstring& path, bool announce) {
    for (TFolderWatcher* watcher : watchers_) {
        if (watcher->Target() != window || watcher->Path() != path) continue;
        if (!watcher->Finished()) return watcher;
        // Its watch has ended (the drive went away and may be back): this activation watches afresh.
        TFolderWatcherRelease()(watchers_.Remove(watcher));
        break;
    }
    if (watchers_.Count() >= capacity_) TFolderWatcherRelease()(watchers_.RemoveAt(0));

    TFolderWatcher* watcher = TFolderWatcher::Start(path, window, announce, open_);
    try {
        watchers_.Add(watcher);
    } catch (...) {
        TFolderWatcherRelease()(watcher);
        throw;
    }
    return watcher;
}

void TFolderWatcherManager::StopWatchersFor(HWND window) noexcept {
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
        TFolderWatcherRelease()(watchers_.Remove(found));
    }
}

std::vector<std::pair<HWND, std::wstring>> TFolderWatcherManager::Watched() const {
    std::vector<std::pair<HWND, std::wstring>> watched;
    watched.reserve(watchers_.Count());
    for (const TFolderWatcher* watcher : watchers_) watched.emplace_back(watcher->Target(), watcher->Path());
    return watched;
}
