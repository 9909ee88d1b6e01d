// An object shared by use count: made by its first user, destroyed with its last (the shell allocator
// holder, the hover timer, the button face, ...).
//
//   constinit fw::SharedInstance<Face> g_face;             // holds no use itself
//   fw::SharedInstance<Face>::Use face_ = g_face.Acquire();  // in each user
//   Face* face = g_face.Current();                          // null while nobody uses it; never makes one
//
// Each user owns a move-only `Use`; the object lives while any use does. The count is kept under a lock, so
// acquiring and releasing are safe from any thread. The object is destroyed outside the lock, on the thread
// that releases the last use: its destructor may take long (join threads) or take uses of other shared
// objects. Current() is meant for the object's own thread or for holders of a use: on another thread the
// last use may go at any time.
//
// The constructor is constexpr, so a namespace-scope instance is constant-initialised and is there before any
// other static object can ask for it. That is why the lock is a slim reader/writer lock: MinGW's std::mutex
// has no constexpr constructor.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>

namespace fw {

template <class T>
class SharedInstance {
public:
    // One user's hold on the object. An empty use (default-made or moved from) holds nothing.
    class Use {
    public:
        Use() noexcept = default;
        Use(Use&& other) noexcept
            : owner_(std::exchange(other.owner_, nullptr)), object_(std::exchange(other.object_, nullptr)) {}
        Use& operator=(Use&& other) noexcept {
            if (this != &other) {
                reset();
                owner_ = std::exchange(other.owner_, nullptr);
                object_ = std::exchange(other.object_, nullptr);
            }
            return *this;
        }
        ~Use() { reset(); }

        T* get() const noexcept { return object_; }
        T* operator->() const noexcept { return object_; }
        T& operator*() const noexcept { return *object_; }
        explicit operator bool() const noexcept { return object_ != nullptr; }

        // Gives the use back; the last one destroys the object.
        void reset() noexcept {
            object_ = nullptr;
            if (SharedInstance* owner = std::exchange(owner_, nullptr)) owner->Release();
        }

    private:
        friend class SharedInstance;
        Use(SharedInstance* owner, T* object) noexcept : owner_(owner), object_(object) {}

        SharedInstance* owner_ = nullptr;
        T* object_ = nullptr;
    };

    constexpr SharedInstance() noexcept = default;
    SharedInstance(const SharedInstance&) = delete;
    SharedInstance& operator=(const SharedInstance&) = delete;

    // A use of the object; the first user's call makes it with `make()`, which returns a std::unique_ptr<T>.
    // If `make` throws, the exception passes and nothing changes; if it returns null, the use is empty.
    template <class Factory>
    Use Acquire(Factory&& make) {
        const Guard guard(lock_);
        if (uses_ == 0) {
            object_ = std::forward<Factory>(make)();
            if (!object_) return Use();
        }
        ++uses_;
        return Use(this, object_.get());
    }
    // The same, making the first object with T's default constructor.
    Use Acquire() {
        return Acquire([] { return std::make_unique<T>(); });
    }

    // The object while anyone uses it, else null.
    T* Current() const noexcept {
        const Guard guard(lock_);
        return object_.get();
    }
    int Uses() const noexcept {
        const Guard guard(lock_);
        return uses_;
    }

private:
    // Holds the lock for its scope, so every exit path (a throwing factory too) gives it back.
    class Guard {
    public:
        explicit Guard(SRWLOCK& lock) noexcept : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
        ~Guard() { ::ReleaseSRWLockExclusive(&lock_); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        SRWLOCK& lock_;
    };

    void Release() noexcept {
        std::unique_ptr<T> last;
        {
            const Guard guard(lock_);
            if (--uses_ == 0) last = std::move(object_);
        }
        // `last`, if any, is destroyed here, after the lock is given back.
    }

    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::unique_ptr<T> object_;
    int uses_ = 0;
};

}  // namespace fw
