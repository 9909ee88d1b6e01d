// Nothing is freed under its own running handler.
//
// Context menus, the commands they run, edit boxes, drag loops and modal dialogs run nested message loops
// inside window and entry handlers; a release, a refill or a close that arrives from the queue inside such
// a loop must not pull the object out from under the handler that is still running.
//
// An object that can be freed while one of its handlers runs derives from DeferredDelete. Everything that
// calls into it for a message or an input event (the window procedure, a container routing the mouse to
// an entry, a timer firing a hover) holds a HandlerScope on it for the call. Free() deletes the object at
// once when no scope is open; otherwise it only marks it (the object hides itself and leaves the lists it
// is in, see WillFreeLater) and the outermost scope deletes it when it closes. A marked object receives
// no further input. Code that resumes after a nested loop asks Marked() before it goes on.
#pragma once

namespace fw {

class DeferredDelete {
public:
    DeferredDelete(const DeferredDelete&) = delete;
    DeferredDelete& operator=(const DeferredDelete&) = delete;

    // Deletes the object now, or marks it when one of its handlers is running; freeing a marked object
    // again does nothing.
    void Free() noexcept;
    // The object has been freed: it waits for the outermost running handler, or is being deleted right
    // now (messages that its destruction causes find it so). Either way it handles nothing more.
    bool Marked() const noexcept { return marked_ || dying_; }
    // How many handlers of this object are running (nested loops make it more than one).
    int HandlerDepth() const noexcept { return depth_; }

    // Objects marked and not yet deleted, program-wide (for leak checks).
    static int MarkedCount() noexcept;

protected:
    DeferredDelete() noexcept = default;
    virtual ~DeferredDelete();

    // Called once when Free() has to wait: the object stops being visible and reachable (a window hides,
    // a component leaves its owner's list), but stays alive for the handler that still runs.
    virtual void WillFreeLater() noexcept {}

private:
    friend class HandlerScope;
    void Delete() noexcept;
    int depth_ = 0;
    bool marked_ = false;
    bool dying_ = false;
};

// Marks one running handler of an object (nothing when the object is null). The scope that closes last
// deletes an object that was freed meanwhile, so nothing may touch the object after its scope has closed.
class HandlerScope {
public:
    explicit HandlerScope(DeferredDelete* object) noexcept;
    explicit HandlerScope(DeferredDelete& object) noexcept : HandlerScope(&object) {}
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

private:
    DeferredDelete* object_;
};

}  // namespace fw
