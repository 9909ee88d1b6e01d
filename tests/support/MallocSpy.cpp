#include "support/MallocSpy.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <mutex>
#include <unordered_set>

namespace qbtest {

namespace {

// The block a Realloc on this thread is resizing, between PreRealloc and PostRealloc.
thread_local void* t_reallocBlock = nullptr;
thread_local SIZE_T t_reallocSize = 0;

// The spy adds no bytes of its own, so the pointers it sees are the caller's. The allocator calls it on any
// thread, hence the lock. COM holds it for the rest of the run, so it is never deleted and does not count
// references. Nothing may throw into the allocator: a count missed for lack of memory fails a test instead.
class MallocSpy final : public IMallocSpy {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) noexcept override {
        *out = (iid == IID_IUnknown || iid == IID_IMallocSpy) ? static_cast<IMallocSpy*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return 2; }
    STDMETHODIMP_(ULONG) Release() noexcept override { return 1; }

    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T request) noexcept override { return request; }
    STDMETHODIMP_(void*) PostAlloc(void* actual) noexcept override {
        Update(nullptr, actual);
        return actual;
    }
    // The spied flag of the Pre calls only says whether the block was allocated while a spy was registered;
    // the set says whether it was allocated during the current scope.
    STDMETHODIMP_(void*) PreFree(void* request, BOOL) noexcept override {
        Update(request, nullptr);
        return request;
    }
    STDMETHODIMP_(void) PostFree(BOOL) noexcept override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) noexcept override {
        *newRequest = request;
        t_reallocBlock = request;
        t_reallocSize = size;
        return size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) noexcept override {
        // Realloc(null, n) allocates, Realloc(p, 0) frees, a failed Realloc leaves the block alive, and a
        // block moved or resized stays a block of the scope only if it was one.
        void* old = t_reallocBlock;
        if (!old) {
            Update(nullptr, actual);
        } else if (actual || t_reallocSize == 0) {
            Update(old, actual, true);
        }
        return actual;
    }
    STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) noexcept override { return request; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T actual, BOOL) noexcept override { return actual; }
    STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) noexcept override { return request; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) noexcept override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() noexcept override {}
    STDMETHODIMP_(void) PostHeapMinimize() noexcept override {}

    bool Start() {
        std::lock_guard<std::mutex> guard(lock_);
        if (counting_) return false;
        live_.clear();
        counting_ = true;
        return true;
    }
    void Stop() {
        std::lock_guard<std::mutex> guard(lock_);
        counting_ = false;
        live_.clear();
    }
    std::size_t Outstanding() const {
        std::lock_guard<std::mutex> guard(lock_);
        return live_.size();
    }
    bool IsOutstanding(const void* p) const {
        std::lock_guard<std::mutex> guard(lock_);
        return live_.count(const_cast<void*>(p)) != 0;
    }

private:
    // Forgets `gone` (when it was tracked) and tracks `made`: when `onlyIfTracked`, only if `gone` was.
    void Update(void* gone, void* made, bool onlyIfTracked = false) noexcept {
        try {
            std::lock_guard<std::mutex> guard(lock_);
            const bool wasTracked = gone && live_.erase(gone) != 0;
            if (made && counting_ && (wasTracked || !onlyIfTracked)) live_.insert(made);
        } catch (...) {
        }
    }

    mutable std::mutex lock_;
    std::unordered_set<void*> live_;
    bool counting_ = false;
};

// Never destroyed: the allocator may still call it while the process shuts down.
MallocSpy& Spy() {
    static MallocSpy* spy = new MallocSpy;
    return *spy;
}

}  // namespace

MallocSpyScope::MallocSpyScope() {
    static const HRESULT registered = ::CoRegisterMallocSpy(&Spy());
    if (FAILED(registered)) {
        ADD_FAILURE() << "CoRegisterMallocSpy failed: 0x" << std::hex << registered;
        return;
    }
    active_ = Spy().Start();
    if (!active_) ADD_FAILURE() << "MallocSpyScope inside another one";
}

MallocSpyScope::~MallocSpyScope() {
    if (active_) Spy().Stop();
}

std::size_t MallocSpyScope::Outstanding() const {
    return Spy().Outstanding();
}
bool MallocSpyScope::IsOutstanding(const void* p) const {
    return Spy().IsOutstanding(p);
}

}  // namespace qbtest
