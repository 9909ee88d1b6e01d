#include "shell/Malloc.h"

#include "framework/Exception.h"

#include <shlobj.h>

namespace {
constinit fw::SharedInstance<TMalloc> g_shared;  // holds no use itself
}  // namespace

TMalloc::TMalloc() {
    if (FAILED(::SHGetMalloc(malloc_.put())) || !malloc_) {
        malloc_.reset();
        throw fw::Exception(L"Cannot get IMalloc");
    }
}

TMalloc::Use TMalloc::Shared() {
    return g_shared.Acquire();
}

TMalloc* TMalloc::Current() noexcept {
    return g_shared.Current();
}
