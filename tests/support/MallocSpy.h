// Leak checks for the shell task allocator. The first scope registers one IMallocSpy (CoRegisterMallocSpy)
// that stays registered for the run and sees every allocation and free of the allocator: CoTaskMemAlloc,
// SHGetMalloc's IMalloc, the shell's item identifier lists. While a MallocSpyScope lives, Outstanding()
// counts the blocks allocated during the scope and not yet freed; frees of older blocks are ignored.
// Scopes do not nest.
//
// The spy is never revoked: COM refuses to revoke while spied blocks are alive (a leak, or a block the
// shell keeps), and every later registration would then fail.
#pragma once

#include <cstddef>

namespace qbtest {

class MallocSpyScope {
public:
    MallocSpyScope();  // a failed registration or a nested scope is reported as a test failure
    ~MallocSpyScope();
    MallocSpyScope(const MallocSpyScope&) = delete;
    MallocSpyScope& operator=(const MallocSpyScope&) = delete;

    std::size_t Outstanding() const;
    bool IsOutstanding(const void* p) const;

private:
    bool active_ = false;
};

}  // namespace qbtest
