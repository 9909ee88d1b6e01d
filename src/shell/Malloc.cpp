#include "shell/Malloc.h"

#include "framework/Exception.h"

#include <shlobj.h>

#include <mutex>

TMalloc::TMalloc() {
    if (FAILED(::SHGetMalloc(malloc_.put())) || !malloc_) {
        malloc_.reset();
        throw fw::Exception(L"Cannot get IMalloc");
    }
}

std::shared_ptr<TMalloc> TMalloc::Shared() {
    // The cache holds no use itself, so the holder goes away with its last user.
    static std::mutex lock;
    static std::weak_ptr<TMalloc> cache;
    std::lock_guard<std::mutex> guard(lock);
    std::shared_ptr<TMalloc> holder = cache.lock();
    if (!holder) {
        holder = std::make_shared<TMalloc>();
        cache = holder;
    }
    return holder;
}
