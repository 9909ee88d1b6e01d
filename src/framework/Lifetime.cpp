#include "framework/Lifetime.h"

#include <cassert>

namespace fw {

namespace {
int g_marked = 0;
}

DeferredDelete::~DeferredDelete() {
    // Deleting an object whose handler is still on the stack is the fault this class exists to prevent:
    // whoever did it must call Free() instead.
    assert(depth_ == 0 && "deleted inside its own handler; use Free()");
    if (marked_) --g_marked;
}

void DeferredDelete::Delete() noexcept {
    // A message that the destruction itself causes (a window going inactive) opens and closes a scope on
    // the object once more: it must not delete it a second time.
    dying_ = true;
    delete this;
}

void DeferredDelete::Free() noexcept {
    if (marked_ || dying_) return;
    if (depth_ == 0) {
        Delete();
        return;
    }
    marked_ = true;
    ++g_marked;
    WillFreeLater();
}

int DeferredDelete::MarkedCount() noexcept {
    return g_marked;
}

HandlerScope::HandlerScope(DeferredDelete* object) noexcept : object_(object) {
    if (object_) ++object_->depth_;
}

HandlerScope::~HandlerScope() {
    if (!object_) return;
    if (--object_->depth_ == 0 && object_->marked_ && !object_->dying_) object_->Delete();
}

}  // namespace fw
