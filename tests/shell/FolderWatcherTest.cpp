// Folder watchers on real folders: real changes reach a real (message-only) window as posted kFolderChanged
// messages, changes that do not rename anything in the folder stay silent, and the manager keeps, reuses,
// evicts and ends its watchers by window and path.
#include "framework/UniqueAny.h"
#include "shell/FolderWatcher.h"
#include "support/TempFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <cwctype>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;

static_assert(kFolderChanged == 1124, "the menu windows' handler listens for WM_USER + 100");

// Generous: these deadlines tell a hang or a lost message from a pass, they measure nothing.
constexpr auto kDeadline = 10s;
// How long a change that must not be reported is given to show up anyway.
constexpr auto kQuiet = 300ms;

// A message-only window that counts the kFolderChanged messages it is given, and how many were sent instead
// of posted or carried parameters.
class Receiver {
public:
    Receiver() {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{sizeof(wc)};
            wc.lpfnWndProc = &Receiver::Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"QbFolderWatcherTestReceiver";
            return ::RegisterClassExW(&wc);
        }();
        hwnd_.reset(::CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      ::GetModuleHandleW(nullptr), nullptr));
        ::SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    HWND Hwnd() const { return hwnd_.get(); }
    void Destroy() { hwnd_.reset(); }
    int Changes() const { return changes_; }
    int Misdelivered() const { return misdelivered_; }

    // Waits for a change not seen yet, then lets the rest of its burst in (a rename may come as two).
    bool GetsChange() {
        const bool got = qbtest::WaitUntil([&] { return changes_ > seen_; }, kDeadline);
        for (int last = -1, rounds = 0; changes_ != last && rounds < 20; ++rounds) {
            last = changes_;
            qbtest::PumpFor(kQuiet);
        }
        seen_ = changes_;
        return got;
    }
    // Pumps for the quiet period; true when no change came.
    bool StaysQuiet() {
        qbtest::PumpFor(kQuiet);
        const bool quiet = changes_ == seen_;
        seen_ = changes_;
        return quiet;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        auto* self = reinterpret_cast<Receiver*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg != kFolderChanged || !self) return ::DefWindowProcW(hwnd, msg, wp, lp);
        ++self->changes_;
        if (::InSendMessage() || wp != 0 || lp != 0) ++self->misdelivered_;
        return 0;
    }

    fw::unique_hwnd hwnd_;
    int changes_ = 0;
    int seen_ = 0;
    int misdelivered_ = 0;
};

bool MakeFile(const std::wstring& path) {
    const fw::unique_hfile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return static_cast<bool>(file);
}

bool Append(const std::wstring& path, const char* text) {
    const fw::unique_hfile file(
        ::CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

// Watches and waits until the body holds its notification, so that the test's next change is not missed.
TFolderWatcher* WatchNow(TFolderWatcherManager& manager, const Receiver& window, const std::wstring& path) {
    TFolderWatcher* watcher = manager.WatchFolder(window.Hwnd(), path);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return watcher->Watching(); }, kDeadline)) << "not watching " << path;
    return watcher;
}

// A handle of a watcher's thread that outlives the watcher, to see that ending the watcher ended the thread.
fw::unique_handle ThreadOf(const TFolderWatcher* watcher) {
    HANDLE copy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), watcher->Thread(), ::GetCurrentProcess(), &copy, SYNCHRONIZE,
                      FALSE, 0);
    return fw::unique_handle(copy);
}
// Whether the thread has ended, or ends within `wait` (a stopped body ends on its own, soon after).
bool HasEnded(const fw::unique_handle& thread, DWORD wait = 10000) {
    return ::WaitForSingleObject(thread.get(), wait) == WAIT_OBJECT_0;
}

// Stands in for a slow network path: opening its notification returns only when the test lets it (or
// after a while, should the GUI thread wrongly wait for it).
HANDLE g_letOpenReturn = nullptr;
HANDLE HeldUpOpen(const std::wstring&) {
    ::WaitForSingleObject(g_letOpenReturn, 10000);
    return INVALID_HANDLE_VALUE;
}

using Watched = std::vector<std::pair<HWND, std::wstring>>;

TEST(FolderWatcher, NamesCreatedRenamedOrDeletedInTheFolderAreReported) {
    const qbtest::TempFolder root(L"watch-names");
    const std::wstring folder = root.Child(L"日本語フォルダ");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    Receiver window;
    TFolderWatcherManager manager(2);
    WatchNow(manager, window, folder);

    ASSERT_TRUE(MakeFile(folder + L"\\新規テキスト.txt"));
    EXPECT_TRUE(window.GetsChange()) << "created file";
    ASSERT_TRUE(::MoveFileW((folder + L"\\新規テキスト.txt").c_str(), (folder + L"\\名前変更.txt").c_str()));
    EXPECT_TRUE(window.GetsChange()) << "renamed file";
    ASSERT_TRUE(::DeleteFileW((folder + L"\\名前変更.txt").c_str()));
    EXPECT_TRUE(window.GetsChange()) << "deleted file";
    ASSERT_TRUE(::CreateDirectoryW((folder + L"\\新しいフォルダ").c_str(), nullptr));
    EXPECT_TRUE(window.GetsChange()) << "created folder";
    ASSERT_TRUE(::RemoveDirectoryW((folder + L"\\新しいフォルダ").c_str()));
    EXPECT_TRUE(window.GetsChange()) << "removed folder";
    EXPECT_EQ(window.Misdelivered(), 0) << "sent instead of posted, or with parameters";
}

TEST(FolderWatcher, ChangesInsideEntriesAreNotReported) {
    const qbtest::TempFolder folder(L"watch-quiet");
    const std::wstring sub = folder.Child(L"サブ"), file = folder.Child(L"中身.txt");
    ASSERT_TRUE(MakeFile(file));
    Receiver window;
    TFolderWatcherManager manager(2);
    WatchNow(manager, window, folder.Path());
    // Made while watched, so that a watch wrongly taking in the subtree would see inside it: Wine adds
    // subtree watches only for folders it sees being made.
    ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
    ASSERT_TRUE(window.GetsChange()) << "a folder created";

    ASSERT_TRUE(MakeFile(sub + L"\\奥.txt"));
    EXPECT_TRUE(window.StaysQuiet()) << "a file created in a subfolder";
    ASSERT_TRUE(Append(file, "more"));
    EXPECT_TRUE(window.StaysQuiet()) << "a file's content";
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(window.StaysQuiet()) << "a file's attributes";
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(window.StaysQuiet()) << "a file's attributes";

    ASSERT_TRUE(MakeFile(folder.Child(L"後.txt")));
    EXPECT_TRUE(window.GetsChange()) << "the watcher was not listening at all";
}

TEST(FolderWatcherManager, ClampsItsCapacity) {
    const std::pair<int, int> cases[] = {{0, 1}, {-3, 1}, {1, 1}, {2, 2}, {15, 15}, {16, 15}};
    for (const auto& [asked, kept] : cases) EXPECT_EQ(TFolderWatcherManager(asked).Capacity(), kept) << asked;
}

TEST(FolderWatcherManager, AWatcherIsKeyedByWindowAndExactPath) {
    const qbtest::TempFolder folder(L"watch-key");
    Receiver first, second;
    TFolderWatcherManager manager(15);
    TFolderWatcher* watcher = WatchNow(manager, first, folder.Path());
    TFolderWatcher* other = WatchNow(manager, second, folder.Path());
    EXPECT_NE(watcher, other) << "another window on the same folder";
    EXPECT_EQ(manager.WatchFolder(first.Hwnd(), folder.Path()), watcher);

    std::wstring upper = folder.Path();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    ASSERT_NE(upper, folder.Path());
    EXPECT_NE(WatchNow(manager, first, upper), watcher) << "a path differing in letter case";
    EXPECT_EQ(
        manager.Watched(),
        (Watched{{first.Hwnd(), folder.Path()}, {second.Hwnd(), folder.Path()}, {first.Hwnd(), upper}}));

    ASSERT_TRUE(MakeFile(folder.Child(L"a.txt")));
    EXPECT_TRUE(second.GetsChange()) << "each window hears of its folder";
    EXPECT_TRUE(qbtest::WaitUntil([&] { return first.Changes() >= 2; }, kDeadline)) << "one per watcher";
}

TEST(FolderWatcherManager, EvictsTheOldestByCreationOrder) {
    const qbtest::TempFolder root(L"watch-evict");
    std::vector<std::wstring> folders;
    for (const wchar_t* name : {L"1", L"2", L"3", L"4"}) {
        folders.push_back(root.Child(name));
        ASSERT_TRUE(::CreateDirectoryW(folders.back().c_str(), nullptr));
    }
    Receiver window;
    const HWND w = window.Hwnd();
    TFolderWatcherManager manager(2);
    const fw::unique_handle firstThread = ThreadOf(WatchNow(manager, window, folders[0]));
    TFolderWatcher* second = WatchNow(manager, window, folders[1]);
    WatchNow(manager, window, folders[2]);
    EXPECT_EQ(manager.Watched(), (Watched{{w, folders[1]}, {w, folders[2]}}));
    EXPECT_TRUE(HasEnded(firstThread)) << "the evicted watcher's thread runs on";

    EXPECT_EQ(manager.WatchFolder(w, folders[1]), second) << "an existing watcher is reused";
    WatchNow(manager, window, folders[3]);
    EXPECT_EQ(manager.Watched(), (Watched{{w, folders[2]}, {w, folders[3]}})) << "reuse made 2 no younger";

    ASSERT_TRUE(MakeFile(folders[0] + L"\\x.txt"));
    ASSERT_TRUE(MakeFile(folders[1] + L"\\x.txt"));
    EXPECT_TRUE(window.StaysQuiet()) << "folders no longer watched";
    ASSERT_TRUE(MakeFile(folders[3] + L"\\x.txt"));
    EXPECT_TRUE(window.GetsChange());
}

TEST(FolderWatcherManager, StopWatchersForEndsOnlyThatWindowsWatchers) {
    const qbtest::TempFolder one(L"watch-stop1"), two(L"watch-stop2");
    Receiver closing, staying;
    TFolderWatcherManager manager(15);
    const fw::unique_handle threadOne = ThreadOf(WatchNow(manager, closing, one.Path()));
    WatchNow(manager, staying, one.Path());
    const fw::unique_handle threadTwo = ThreadOf(WatchNow(manager, closing, two.Path()));
    WatchNow(manager, staying, two.Path());

    manager.StopWatchersFor(closing.Hwnd());
    EXPECT_TRUE(HasEnded(threadOne));
    EXPECT_TRUE(HasEnded(threadTwo));
    EXPECT_EQ(manager.Watched(), (Watched{{staying.Hwnd(), one.Path()}, {staying.Hwnd(), two.Path()}}));

    ASSERT_TRUE(MakeFile(one.Child(L"x.txt")));
    EXPECT_TRUE(staying.GetsChange());
    ASSERT_TRUE(MakeFile(two.Child(L"x.txt")));
    EXPECT_TRUE(staying.GetsChange());
    EXPECT_EQ(closing.Changes(), 0);
}

TEST(FolderWatcher, EndingItRightAfterItStartsEndsItsThread) {
    const qbtest::TempFolder folder(L"watch-early");
    Receiver window;
    TFolderWatcherManager manager(15);
    std::vector<fw::unique_handle> threads;
    for (int i = 0; i < 20; ++i) {
        threads.push_back(ThreadOf(manager.WatchFolder(window.Hwnd(), folder.Path())));
        manager.StopWatchersFor(window.Hwnd());
    }
    threads.push_back(ThreadOf(WatchNow(manager, window, folder.Path())));
    manager.StopWatchersFor(window.Hwnd());
    for (const auto& thread : threads) EXPECT_TRUE(HasEnded(thread));
}

TEST(FolderWatcherManager, NeverWaitsForABodyHeldUpInTheFileSystem) {
    const fw::unique_event letReturn(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_letOpenReturn = letReturn.get();
    Receiver closing, staying;
    std::vector<fw::unique_handle> threads;
    {
        TFolderWatcherManager manager(2, &HeldUpOpen);
        threads.push_back(ThreadOf(manager.WatchFolder(closing.Hwnd(), L"\\\\slow\\a")));
        threads.push_back(ThreadOf(manager.WatchFolder(staying.Hwnd(), L"\\\\slow\\b")));
        threads.push_back(ThreadOf(manager.WatchFolder(staying.Hwnd(), L"\\\\slow\\c")));  // evicts a
        manager.StopWatchersFor(staying.Hwnd());                                           // a window closing
        threads.push_back(ThreadOf(manager.WatchFolder(closing.Hwnd(), L"\\\\slow\\other")));
    }  // the last filer window closing
    for (const auto& thread : threads)
        EXPECT_FALSE(HasEnded(thread, 0)) << "the GUI thread waited for a body";
    ::SetEvent(letReturn.get());
    for (const auto& thread : threads) EXPECT_TRUE(HasEnded(thread)) << "a stopped body did not end";
}

TEST(FolderWatcher, EndsAtTheNextChangeOnceItsWindowIsGone) {
    const qbtest::TempFolder folder(L"watch-gone");
    Receiver window;
    const HWND gone = window.Hwnd();
    TFolderWatcherManager manager(2);
    TFolderWatcher* watcher = WatchNow(manager, window, folder.Path());
    window.Destroy();

    ASSERT_TRUE(MakeFile(folder.Child(L"x.txt")));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return watcher->Finished(); }, kDeadline));
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, kFolderChanged, kFolderChanged, PM_REMOVE));
    EXPECT_EQ(manager.Watched(), (Watched{{gone, folder.Path()}})) << "the window's own call removes it";
}

TEST(FolderWatcher, APathThatIsNoFolderEndsItsThreadAtOnce) {
    const qbtest::TempFolder folder(L"watch-none");
    ASSERT_TRUE(MakeFile(folder.Child(L"ファイル.txt")));
    Receiver window;
    TFolderWatcherManager manager(15);
    for (const std::wstring& path : {folder.Child(L"ファイル.txt"), folder.Child(L"ない"), std::wstring()}) {
        TFolderWatcher* watcher = manager.WatchFolder(window.Hwnd(), path);
        EXPECT_TRUE(qbtest::WaitUntil([&] { return watcher->Finished(); }, kDeadline)) << path;
        EXPECT_FALSE(watcher->Watching()) << path;
    }
    EXPECT_EQ(window.Changes(), 0);
}

}  // namespace
