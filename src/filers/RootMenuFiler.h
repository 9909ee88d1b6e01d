// The root level: the folders that lie directly on the desktop, in the order the desktop lists them, with
// the desktop's name as caption and its small icon as the window's icon. The top menu builds on it.
#pragma once

#include "filers/MenuFilerBase.h"

class TRootMenuFiler : public TMenuFilerBase {
public:
    static constexpr fw::FormParams kParams{L"TRootMenuFiler"};

    TRootMenuFiler(fw::Component* owner, bool showTriangle, fw::Component* adopter,
                   const fw::FormParams& params = kParams);

    bool IsRootMenu() const noexcept override { return true; }

private:
    void RootCaptionAndIcon();
    void RootFill();
};
