#include "support/MallocSpy.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <mutex>
#include <unordered_set>

namespace qbtest {

namespace {
// The block a Realloc on this thread is resizing, between PreRealloc and PostRealloc.
struct PendingRealloc {
    void* request;
    SIZE_T size;
};
thread_local PendingRealloc t_realloc{};
}  // namespace

// The spy adds no bytes of its own: every Pre call hands the request on unchanged, so the pointers it sees
// are the caller's. It may be called on any thread, hence the lock. COM keeps a reference while it is
// registered, and on Windows revoking is deferred while spied blocks are alive, so it is reference counted.
class MallocSpy final : public IMallocSpy {
public:
    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
            *out = static_cast<IMallocSpy*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() noexcept override {
        const LONG refs = ::InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }

    // IMallocSpy
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T request) noexcept override { return request; }
    STDMETHODIMP_(void*) PostAlloc(void* actual) noexcept override {
        if (actual) Track(actual);
        return actual;
    }
    STDMETHODIMP_(void*) PreFree(void* request, BOOL) noexcept override {
        // The spied flag only says whether the block was allocated while some spy was registered; the
        // pointer set says whether it was allocated during this scope.
        if (request) Untrack(request);
        return request;
    }
    STDMETHODIMP_(void) PostFree(BOOL) noexcept override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) noexcept override {
        *newRequest = request;
        t_realloc = PendingRealloc{request, size};
        return size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) noexcept override {
        const PendingRealloc pending = t_realloc;
        try {
            std::lock_guard<std::mutex> guard(lock_);
            void* old = pending.request;
            const bool tracked = old ? live_.count(old) != 0 : !stopped_;  // Realloc(null, n) allocates
            if (actual) {
                // Moved or resized in place: a block of the scope stays one, an older block stays unseen.
                if (old) live_.erase(old);
                if (tracked) {
                    if (!old) ++allocations_;
                    live_.insert(actual);
                }
            } else if (old && pending.size == 0 && tracked) {
                // Realloc(p, 0) frees the block; a failed Realloc leaves it alive.
                live_.erase(old);
                ++frees_;
            }
        } catch (...) {
            // A spy must not throw into the allocator; a missed count shows up as a test failure.
        }
        return actual;
    }
    STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) noexcept override { return request; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T actual, BOOL) noexcept override { return actual; }
    STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) noexcept override { return request; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) noexcept override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() noexcept override {}
    STDMETHODIMP_(void) PostHeapMinimize() noexcept override {}

    std::size_t Outstanding() const {
        std::lock_guard<std::mutex> guard(lock_);
        return live_.size();
    }
    std::size_t Allocations() const {
        std::lock_guard<std::mutex> guard(lock_);
        return allocations_;
    }
    std::size_t Frees() const {
        std::lock_guard<std::mutex> guard(lock_);
        return frees_;
    }
    bool IsOutstanding(const void* p) const {
        std::lock_guard<std::mutex> guard(lock_);
        return live_.count(const_cast<void*>(p)) != 0;
    }
    // Stops counting: after the scope, the spy may stay registered until spied blocks are freed.
    void Stop() {
        std::lock_guard<std::mutex> guard(lock_);
        stopped_ = true;
    }

private:
    ~MallocSpy() = default;

    void Track(void* p) noexcept {
        try {
            std::lock_guard<std::mutex> guard(lock_);
            if (stopped_) return;
            live_.insert(p);
            ++allocations_;
        } catch (...) {
        }
    }
    void Untrack(void* p) noexcept {
        try {
            std::lock_guard<std::mutex> guard(lock_);
            if (live_.erase(p)) ++frees_;
        } catch (...) {
        }
    }

    LONG refs_ = 1;
    mutable std::mutex lock_;
    std::unordered_set<void*> live_;
    std::size_t allocations_ = 0;
    std::size_t frees_ = 0;
    bool stopped_ = false;
};

MallocSpyScope::MallocSpyScope() : spy_(new MallocSpy) {
    const HRESULT hr = ::CoRegisterMallocSpy(spy_);
    registered_ = SUCCEEDED(hr);
    if (!registered_) ADD_FAILURE() << "CoRegisterMallocSpy failed: 0x" << std::hex << hr;
}

MallocSpyScope::~MallocSpyScope() {
    spy_->Stop();
    if (registered_) ::CoRevokeMallocSpy();  // COM drops its reference now or once spied blocks are freed
    spy_->Release();
}

std::size_t MallocSpyScope::Outstanding() const { return spy_->Outstanding(); }
std::size_t MallocSpyScope::Allocations() const { return spy_->Allocations(); }
std::size_t MallocSpyScope::Frees() const { return spy_->Frees(); }
bool MallocSpyScope::IsOutstanding(const void* p) const { return spy_->IsOutstanding(p); }

}  // namespace qbtest
