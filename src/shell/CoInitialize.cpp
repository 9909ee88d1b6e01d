#include "shell/CoInitialize.h"

#include <ole2.h>

TCoInitialize::TCoInitialize() : result_(::OleInitialize(nullptr)) {
    try {
        malloc_ = TMalloc::Shared();
    } catch (...) {
        if (SUCCEEDED(result_)) ::OleUninitialize();
        throw;
    }
}

TCoInitialize::~TCoInitialize() {
    malloc_.reset();
    // A failed OleInitialize (say, a thread already in another apartment) took no count to give back.
    if (SUCCEEDED(result_)) ::OleUninitialize();
}
