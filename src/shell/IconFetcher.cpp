#include "shell/IconFetcher.h"

#include "framework/UtilityWindow.h"
#include "shell/IdList.h"
#include "shell/ShellFolder.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace {

// Posted to the fetcher's hidden window when answers are waiting; wParam and lParam are 0.
constexpr UINT kIconsFetched = WM_APP + 1;

std::atomic<long> g_requests{0};
std::atomic<long> g_running{0};

// The icon of an item asked with its absolute list: what the shell offers for any item, at any cost.
int WholeListIndex(PCUIDLIST_ABSOLUTE item) noexcept {
    SHFILEINFOW info{};
    if (!::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof(info),
                          SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return -1;
    return info.iIcon;
}

// The worker's parent folder: bound again only when an item of another folder comes, or after a pause.
class TParentFolder {
public:
    int IconIndexOf(PCUIDLIST_ABSOLUTE item) {
        const UINT last = LastItemSize(item);
        if (last == 0) return WholeListIndex(item);  // the desktop itself has no parent
        const auto* bytes = reinterpret_cast<const BYTE*>(item);
        const UINT parentSize = IdListSize(item) - last;
        if (!folder_ || bytes_.size() != parentSize || !std::equal(bytes_.begin(), bytes_.end(), bytes)) {
            folder_.reset();
            bytes_.assign(bytes, bytes + parentSize);
            const unique_absolute_idlist parent = ParentIdList(item);
            if (!parent) return -1;
            folder_.emplace(parent.get());
        }
        int index = -1;
        // The folder answers from its own items (through IShellIcon or IExtractIcon), at a cost that does
        // not grow with the folder.
        if (*folder_) {
            const auto* child = reinterpret_cast<PCUITEMID_CHILD>(bytes + parentSize);
            index = ::SHMapPIDLToSystemImageListIndex(folder_->Folder(), child, nullptr);
        }
        return index >= 0 ? index : WholeListIndex(item);
    }

    void Forget() noexcept {
        folder_.reset();
        bytes_.clear();
    }

private:
    std::vector<BYTE> bytes_;  // the bound folder's list, on the heap rather than the shell's allocator
    std::optional<TShellFolder> folder_;
};

}  // namespace

// What the window thread and the worker share, counted: each side holds one reference and drops it when
// it is done, whichever is first.
class TIconWork {
public:
    struct Answer {
        uint64_t ticket;
        int index;
    };

    // A worker answering to `target`, or null when no thread can be started. The caller holds one
    // reference.
    static TIconWork* Start(HWND target) noexcept {
        TIconWork* work = new (std::nothrow) TIconWork(target);
        if (!work) return nullptr;
        if (!work->wake_) {
            work->Release();
            return nullptr;
        }
        ++work->references_;  // the body's
        ++g_running;
        if (const HANDLE thread = ::CreateThread(nullptr, 0, &Body, work, 0, nullptr)) {
            ::CloseHandle(thread);
            return work;
        }
        --g_running;
        work->Release();
        work->Release();
        return nullptr;
    }

    void Release() noexcept {
        if (--references_ == 0) delete this;
    }

    // Throws std::bad_alloc; then nothing was queued.
    void Queue(uint64_t ticket, unique_absolute_idlist item) {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            jobs_.emplace(ticket, std::move(item));
        }
        ::SetEvent(wake_);
    }

    // A request not yet taken goes now; one the worker has taken is answered, and the answer ignored.
    void Drop(uint64_t ticket) noexcept {
        unique_absolute_idlist item;
        const std::lock_guard<std::mutex> guard(lock_);
        const auto found = jobs_.find(ticket);
        if (found == jobs_.end()) return;
        item = std::move(found->second);
        jobs_.erase(found);
    }

    // Ends the worker once it is done with the item in hand; every request still queued goes now.
    void Stop() noexcept {
        std::map<uint64_t, unique_absolute_idlist> dropped;
        {
            const std::lock_guard<std::mutex> guard(lock_);
            stop_ = true;
            dropped.swap(jobs_);
        }
        ::SetEvent(wake_);
    }

    std::vector<Answer> TakeAnswers() noexcept {
        std::vector<Answer> taken;
        const std::lock_guard<std::mutex> guard(lock_);
        taken.swap(answers_);
        posted_ = false;
        return taken;
    }

private:
    explicit TIconWork(HWND target) noexcept
        : target_(target), wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~TIconWork() {
        if (wake_) ::CloseHandle(wake_);
    }

    static DWORD WINAPI Body(void* self) noexcept {
        auto* work = static_cast<TIconWork*>(self);
        try {
            work->Execute();
        } catch (...) {
            // Out of memory: the requests still queued go with the work; their clients keep the icons they
            // have.
        }
        work->Release();
        --g_running;
        return 0;
    }

    void Execute() {
        // A drive without its medium fails the call rather than asking the user for the disk.
        ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        {
            TParentFolder parent;
            for (;;) {
                uint64_t ticket = 0;
                unique_absolute_idlist item;
                if (!Take(ticket, item)) break;
                if (!item) {
                    // Nothing of the shell's is held while there is nothing to do: a leak check, or a
                    // drive to be ejected, finds nothing of ours between the batches of rows.
                    parent.Forget();
                    if (!Wait()) break;
                    continue;
                }
                const int index = parent.IconIndexOf(item.get());
                item.reset();
                Reply(ticket, index);
            }
        }
        if (SUCCEEDED(com)) ::CoUninitialize();
    }

    // False once the worker is to end; else the newest request in `item`, or null when there is none.
    bool Take(uint64_t& ticket, unique_absolute_idlist& item) {
        const std::lock_guard<std::mutex> guard(lock_);
        if (stop_) return false;
        if (jobs_.empty()) return true;
        const auto newest = std::prev(jobs_.end());
        ticket = newest->first;
        item = std::move(newest->second);
        jobs_.erase(newest);
        return true;
    }

    // Until a request or the stop comes; the apartment's own calls (a shell extension's) are answered
    // meanwhile. False when the wait fails.
    bool Wait() {
        if (::MsgWaitForMultipleObjects(1, &wake_, FALSE, INFINITE, QS_ALLINPUT) == WAIT_FAILED) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        return true;
    }

    void Reply(uint64_t ticket, int index) {
        const std::lock_guard<std::mutex> guard(lock_);
        if (stop_) return;
        answers_.push_back(Answer{ticket, index});
        // One message carries every answer that arrives before the window thread takes them.
        if (!posted_) posted_ = ::PostMessageW(target_, kIconsFetched, 0, 0) != FALSE;
    }

    const HWND target_;  // only posted to
    const HANDLE wake_;  // auto-reset, owned
    std::atomic<long> references_{1};
    std::mutex lock_;                                  // guards what follows
    std::map<uint64_t, unique_absolute_idlist> jobs_;  // by ticket: the newest last
    std::vector<Answer> answers_;
    bool posted_ = false;
    bool stop_ = false;
};

// The window thread's side: the hidden window the answers come to, the requests waiting for them and
// the clients that have asked.
class TIconFetcher {
public:
    // The fetcher, made with its worker when `make` and there is none; null when there is none or none
    // can be made.
    static TIconFetcher* Get(bool make) noexcept {
        if (!instance_ && make) {
            try {
                auto fetcher = std::make_unique<TIconFetcher>();
                if (fetcher->window_.Handle()) fetcher->work_ = TIconWork::Start(fetcher->window_.Handle());
                if (fetcher->work_) instance_ = std::move(fetcher);
            } catch (...) {
            }
        }
        return instance_.get();
    }

    TIconFetcher() : window_([this](UINT msg, WPARAM, LPARAM) { return Handle(msg); }, nullptr) {}
    ~TIconFetcher() {
        if (!work_) return;
        // Never waits for the worker: it ends on its own once out of the file system.
        work_->Stop();
        work_->Release();
    }
    TIconFetcher(const TIconFetcher&) = delete;
    TIconFetcher& operator=(const TIconFetcher&) = delete;

    bool Request(TIconClient& client, PCUIDLIST_ABSOLUTE item) noexcept {
        Cancel(client);
        unique_absolute_idlist copy = CopyIdList(item);
        if (!copy) return false;
        const uint64_t ticket = ++lastTicket_;
        try {
            waiting_.emplace(ticket, &client);
        } catch (...) {
            return false;
        }
        try {
            work_->Queue(ticket, std::move(copy));
        } catch (...) {
            waiting_.erase(ticket);
            return false;
        }
        if (client.ticket_ == 0) ++clients_;
        client.ticket_ = ticket;
        ++g_requests;
        return true;
    }

    void Cancel(TIconClient& client) noexcept {
        if (client.ticket_ != 0 && waiting_.erase(client.ticket_) != 0) work_->Drop(client.ticket_);
    }

    bool Pending(const TIconClient& client) const noexcept {
        return client.ticket_ != 0 && waiting_.count(client.ticket_) != 0;
    }

    // A client that has asked goes; with the last one, the fetcher and its worker go too.
    static void Leave(TIconClient& client) noexcept {
        if (client.ticket_ == 0 || !instance_) return;
        instance_->Cancel(client);
        if (--instance_->clients_ == 0) instance_.reset();
    }

    // A fetcher made for a request that then failed, before anyone held it.
    static void DropIfUnused() noexcept {
        if (instance_ && instance_->clients_ == 0) instance_.reset();
    }

private:
    std::optional<LRESULT> Handle(UINT msg) {
        if (msg != kIconsFetched) return std::nullopt;
        // IconFetched only takes the index and repaints: no client goes meanwhile, nor the fetcher.
        for (const TIconWork::Answer& answer : work_->TakeAnswers()) {
            const auto found = waiting_.find(answer.ticket);
            if (found == waiting_.end()) continue;  // dropped, or its client has gone
            TIconClient* client = found->second;
            waiting_.erase(found);
            client->IconFetched(answer.index);
        }
        return 0;
    }

    static inline std::unique_ptr<TIconFetcher> instance_;
    static inline uint64_t lastTicket_ = 0;  // never reused, across fetchers too

    fw::UtilityWindow window_;
    TIconWork* work_ = nullptr;  // one reference
    std::unordered_map<uint64_t, TIconClient*> waiting_;
    long clients_ = 0;  // live clients that have asked
};

TIconClient::~TIconClient() {
    TIconFetcher::Leave(*this);
}

bool TIconClient::RequestIcon(PCUIDLIST_ABSOLUTE item) noexcept {
    TIconFetcher* fetcher = TIconFetcher::Get(true);
    if (!fetcher) return false;
    if (fetcher->Request(*this, item)) return true;
    TIconFetcher::DropIfUnused();
    return false;
}

void TIconClient::CancelIcon() noexcept {
    if (TIconFetcher* fetcher = TIconFetcher::Get(false)) fetcher->Cancel(*this);
}

bool TIconClient::IconPending() const noexcept {
    const TIconFetcher* fetcher = TIconFetcher::Get(false);
    return fetcher && fetcher->Pending(*this);
}

long TIconFetcherCounts::Requests() noexcept {
    return g_requests;
}

long TIconFetcherCounts::RunningWorkers() noexcept {
    return g_running;
}
