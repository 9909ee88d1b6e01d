// Dragging shell items out of the menus. OLE's drag loop asks the drop source whether the drag goes on and
// which cursor to show; the data object is the shell's own for the item, so a drop anywhere (the explorer,
// another folder window, a program) gets what a drag from the explorer would give it.
//
// TDropSourceManager holds the program's one drop source: made by the first use, gone with the last (a
// drag holds a use for its loop). It makes no OLE call, so it may be made and destroyed at any time.
#pragma once

#include "framework/ComObject.h"
#include "framework/SharedInstance.h"

#include <oleidl.h>

class TDropSource final : public fw::ComObject<IDropSource> {
public:
    // Escape cancels; the left button held goes on; its release drops.
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) noexcept override;
    // The system's drag cursors.
    STDMETHODIMP GiveFeedback(DWORD effect) noexcept override;

private:
    ~TDropSource() override;  // only the last Release ends it
};

class TDropSourceManager {
public:
    // Throws std::bad_alloc.
    TDropSourceManager();
    TDropSourceManager(const TDropSourceManager&) = delete;
    TDropSourceManager& operator=(const TDropSourceManager&) = delete;

    IDropSource* Source() const noexcept { return source_.get(); }

    using Use = fw::SharedInstance<TDropSourceManager>::Use;
    // A use of the program's holder: made by its first user, destroyed with its last.
    static Use Shared();
    // The holder while anyone uses it, else null; never makes one.
    static TDropSourceManager* Current() noexcept;

private:
    fw::ComPtr<TDropSource> source_;
};
