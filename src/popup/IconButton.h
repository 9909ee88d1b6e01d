// A popup button with a 16 by 16 icon from an image list before its caption (shell items).
#pragma once

#include "popup/PopupButton.h"

#include <commctrl.h>

class TIconButton : public virtual TPopupButton {
public:
    static constexpr int kGap = 3;
    static constexpr int kIconWidth = 16;
    static constexpr int kIconHeight = 16;

    void Paint() override;
    void Measure() override;
    // The image list's icon for the image index; the caller owns the handle.
    HICON GetIcon();

    int ImageIndex = 0;
    HIMAGELIST ImageList = nullptr;  // borrowed (the system image list); null draws no icon

protected:
    // Called before the icon is first needed (painted, or asked for): an entry whose icon is costly to
    // look up (a shell item) does it here, so a long list pays only for what is seen.
    virtual void PrepareIcon() {}
};
