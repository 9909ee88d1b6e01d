#include "shell/ListOfItemIdList.h"

#include "shell/IdList.h"

#include <memory>
#include <new>

TListOfITEMIDLIST::TListOfITEMIDLIST() : malloc_(TMalloc::Shared()) {}

void TListOfITEMIDLIST::Add(PCUIDLIST_ABSOLUTE list, std::uint32_t value) {
    unique_absolute_idlist key = CopyIdList(list);
    if (!key) throw std::bad_alloc();
    auto boxed = std::make_unique<std::uint32_t>(value);
    values_.Add(boxed.get());
    (void)boxed.release();  // now owned by the chain
    try {
        keys_.Add(key.get());
    } catch (...) {
        // Keep the chains in step: drop the value just appended.
        delete values_.RemoveAt(values_.Count() - 1);
        throw;
    }
    (void)key.release();  // now owned by the chain, freed in Clear
}

std::uint32_t TListOfITEMIDLIST::Find(PCUIDLIST_ABSOLUTE list) const noexcept {
    auto value = values_.begin();
    for (ITEMIDLIST_ABSOLUTE* key : keys_) {
        if (IdListsEqual(key, list)) return **value;
        ++value;
    }
    return 0;
}

std::vector<std::pair<unique_absolute_idlist, std::uint32_t>> TListOfITEMIDLIST::Snapshot() const {
    std::vector<std::pair<unique_absolute_idlist, std::uint32_t>> copy;
    auto value = values_.begin();
    for (ITEMIDLIST_ABSOLUTE* key : keys_) {
        if (unique_absolute_idlist list = CopyIdList(key)) copy.emplace_back(std::move(list), **value);
        ++value;
    }
    return copy;
}

void TListOfITEMIDLIST::Clear() noexcept {
    for (ITEMIDLIST_ABSOLUTE* key : keys_) malloc_->Free(key);
    keys_.Clear();
    values_.Clear();
}
