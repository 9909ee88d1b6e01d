// The shell task allocator. Item identifier lists are allocated and freed only through it (CoTaskMemAlloc
// and CoTaskMemFree reach the same allocator). `TMalloc` holds one reference to it; the process-wide holder
// from `Shared()` lives as long as anyone holds a use of it, so its users share one reference by use count.
#pragma once

#include "framework/ComPtr.h"
#include "framework/SharedInstance.h"

#include <objbase.h>

class TMalloc {
public:
    // Throws fw::Exception(L"Cannot get IMalloc") when the shell hands out no allocator.
    TMalloc();
    ~TMalloc() = default;  // the ComPtr releases the allocator
    TMalloc(const TMalloc&) = delete;
    TMalloc& operator=(const TMalloc&) = delete;

    void* Alloc(SIZE_T size) noexcept { return malloc_->Alloc(size); }
    void Free(void* p) noexcept { malloc_->Free(p); }
    IMalloc* Get() const noexcept { return malloc_.get(); }

    using Use = fw::SharedInstance<TMalloc>::Use;
    // A use of the process-wide holder: made by its first user, destroyed with its last; safe from any
    // thread. May throw as the constructor.
    static Use Shared();
    // The process-wide holder while anyone uses it, else null; never makes one.
    static TMalloc* Current() noexcept;

private:
    fw::ComPtr<IMalloc> malloc_;
};
