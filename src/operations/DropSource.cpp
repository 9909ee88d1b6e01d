#include "operations/DropSource.h"

#include <cassert>

namespace {
constinit fw::SharedInstance<TDropSourceManager> g_shared;  // holds no use itself
}  // namespace

TDropSource::~TDropSource() {
    assert(RefCount() == 0 && "Deleting the object too early");
}

STDMETHODIMP TDropSource::QueryContinueDrag(BOOL escape, DWORD keys) noexcept {
    if (escape) return DRAGDROP_S_CANCEL;
    if (keys & MK_LBUTTON) return S_OK;
    return DRAGDROP_S_DROP;
}

STDMETHODIMP TDropSource::GiveFeedback(DWORD) noexcept {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

TDropSourceManager::TDropSourceManager() : source_(fw::MakeComObject<TDropSource>()) {}

TDropSourceManager::Use TDropSourceManager::Shared() {
    return g_shared.Acquire();
}

TDropSourceManager* TDropSourceManager::Current() noexcept {
    return g_shared.Current();
}
