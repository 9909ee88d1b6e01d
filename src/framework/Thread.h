// A worker thread. A derived class puts the body in Execute() and keeps its destructor private:
//
//   class TWatcher final : public fw::Thread {
//   public:
//       TWatcher(std::wstring path, HWND target);
//   private:
//       ~TWatcher() override = default;  // ended by fw::ThreadDeleter only
//       void Execute() override;         // waits on StopEvent() and its own handles
//       std::wstring path_;
//       HWND target_;
//   };
//   fw::unique_thread<TWatcher> watcher = fw::StartThread<TWatcher>(path, target);
//
// Why the private destructor: a base class destructor runs after the derived class's members are gone, so
// joining there would let the body run on destroyed members. Instead the owner, `unique_thread` (or any
// owner using `ThreadDeleter`, such as a chain), asks the thread to stop, waits for the body to return and
// only then deletes the object. StartThread refuses a class with a public destructor, so neither the stack
// nor a plain delete (std::unique_ptr, TOwningChain) can end a running thread. Only StartThread starts a
// thread, after the object is fully made.
//
// The stop request is a flag (Terminated(), for loops that poll) and a manual-reset event (StopEvent(), for
// bodies that wait), both set by Terminate(); the event exists from construction, so a request made before
// the body starts waiting is not lost. Ending the owner blocks until the body returns: a body must watch the
// stop request, and must post, not send, to the thread that owns it.
//
// Exceptions thrown by the body stay on that thread: they end it and are kept as FatalError() for the owner
// to inspect once Finished().
#pragma once

#include "framework/Exception.h"
#include "framework/UniqueAny.h"

#include <atomic>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

namespace fw {

class Thread;

// Ends a thread object: Terminate(), wait for the body to return, then delete. Never from the thread's own
// body (it would wait for itself).
struct ThreadDeleter {
    template <class T>
    void operator()(T* thread) const noexcept {
        static_assert(!std::is_destructible_v<T>, "a thread class keeps its destructor private");
        End(thread);
    }
    static void End(Thread* thread) noexcept;
};

template <class T>
using unique_thread = std::unique_ptr<T, ThreadDeleter>;

template <class T, class... Args>
unique_thread<T> StartThread(Args&&... args);

class Thread {
public:
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Asks the body to stop: sets the flag and signals the stop event. Returns at once.
    void Terminate() noexcept;
    bool Terminated() const noexcept { return terminated_; }
    // Manual-reset, signalled by Terminate(); for the body's waits.
    HANDLE StopEvent() const noexcept { return stopEvent_.get(); }

    // Waits for the body to return (at once when the thread never started).
    void WaitFor() noexcept;
    HANDLE Handle() const noexcept { return handle_.get(); }
    bool Finished() const noexcept { return finished_; }
    // Read only once Finished(): the body writes it on its way out.
    const std::wstring& FatalError() const noexcept { return fatalError_; }

protected:
    // Throws fw::Exception when the stop event cannot be made.
    Thread();
    virtual ~Thread();  // reached through ThreadDeleter only, with the body already returned

    virtual void Execute() = 0;

private:
    template <class T, class... Args>
    friend unique_thread<T> StartThread(Args&&... args);
    friend struct ThreadDeleter;

    bool Start();
    static unsigned long __stdcall ThreadProc(void* param) noexcept;

    unique_event stopEvent_;
    unique_handle handle_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::wstring fatalError_;
};

// Makes a `T` and starts its body. Throws fw::Exception when the thread cannot be made, and what T's
// constructor throws.
template <class T, class... Args>
unique_thread<T> StartThread(Args&&... args) {
    static_assert(std::is_base_of_v<Thread, T>);
    static_assert(!std::is_destructible_v<T>, "a thread class keeps its destructor private");
    unique_thread<T> thread(new T(std::forward<Args>(args)...));
    if (!static_cast<Thread&>(*thread).Start()) throw Exception(L"Cannot start a thread");
    return thread;
}

}  // namespace fw
