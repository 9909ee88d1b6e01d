// Leak checks for the shell task allocator: while a MallocSpyScope lives, an IMallocSpy registered with
// CoRegisterMallocSpy sees every allocation and free of the allocator (CoTaskMemAlloc, SHGetMalloc's
// IMalloc, the shell's item identifier lists). Outstanding() counts the blocks allocated during the scope
// and not yet freed; frees of older blocks are ignored. Only one scope can be active at a time.
#pragma once

#include <objidl.h>

#include <cstddef>

namespace qbtest {

class MallocSpy;

class MallocSpyScope {
public:
    MallocSpyScope();  // a failed registration is reported as a test failure
    ~MallocSpyScope();
    MallocSpyScope(const MallocSpyScope&) = delete;
    MallocSpyScope& operator=(const MallocSpyScope&) = delete;

    bool Registered() const noexcept { return registered_; }
    // Blocks allocated during the scope and not yet freed.
    std::size_t Outstanding() const;
    // Allocations seen during the scope, and frees of those blocks.
    std::size_t Allocations() const;
    std::size_t Frees() const;
    // Whether `p` is a block allocated during the scope and not yet freed.
    bool IsOutstanding(const void* p) const;

private:
    MallocSpy* spy_;
    bool registered_ = false;
};

}  // namespace qbtest
