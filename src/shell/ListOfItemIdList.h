// The attribute cache: absolute item identifier lists mapped to SFGAO attribute masks, so that a removable
// drive is asked for its attributes once per run. Two chains appended in step: the n-th value belongs to the
// n-th key. No size limit, no eviction; Add does not look for an existing key (its caller adds only after a
// failed Find).
#pragma once

#include "shell/Chain.h"
#include "shell/IdList.h"
#include "shell/Malloc.h"

#include <shlobj.h>

#include <cstdint>
#include <utility>
#include <vector>

class TListOfITEMIDLIST {
public:
    // Takes a use of the shared allocator holder; throws fw::Exception when there is no allocator.
    TListOfITEMIDLIST();
    ~TListOfITEMIDLIST() { Clear(); }
    TListOfITEMIDLIST(const TListOfITEMIDLIST&) = delete;
    TListOfITEMIDLIST& operator=(const TListOfITEMIDLIST&) = delete;

    // Appends a copy of `list` with `value`. Throws std::bad_alloc; then nothing is added.
    void Add(PCUIDLIST_ABSOLUTE list, std::uint32_t value);
    // The value of the first key byte-equal to `list`, or 0.
    std::uint32_t Find(PCUIDLIST_ABSOLUTE list) const noexcept;
    // Copies of every key with its value, for a worker thread that may not touch the cache itself.
    std::vector<std::pair<unique_absolute_idlist, std::uint32_t>> Snapshot() const;
    // Frees every key with the allocator and empties both chains.
    void Clear() noexcept;
    int Count() const noexcept { return keys_.Count(); }

private:
    TMalloc::Use malloc_;
    TChain<ITEMIDLIST_ABSOLUTE> keys_;  // owned copies, freed with malloc_
    TOwningChain<std::uint32_t> values_;
};
