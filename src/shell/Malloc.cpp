#include "shell/Malloc.h"

#include "framework/Exception.h"

#include <shlobj.h>

namespace {
constinit fw::SharedInstance<TMalloc> g_shared;  // holds no use itself
}  // namespace

TMalloc::TMalloc() {
    const HRESULT hr = ::SHGetMalloc(malloc_.put());
    if (FAILED(hr) || !malloc_) {
        malloc_.reset();
        throw fw::Exception(L"Cannot get IMalloc", FAILED(hr) ? hr : E_NOINTERFACE);
    }
}

TMalloc::Use TMalloc::Shared() {
    return g_shared.Acquire();
}

TMalloc* TMalloc::Current() noexcept {
    return g_shared.Current();
}
