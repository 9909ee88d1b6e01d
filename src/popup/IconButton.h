// A popup button with an icon from an image list before its caption (shell items). The icon has the
// system's small-icon size for the window's DPI (16 by 16 at 96 DPI).
#pragma once

#include "popup/PopupButton.h"

#include <commctrl.h>

#include <string>

class TIconButton : public virtual TPopupButton {
public:
    static constexpr int kGap = 3;
    static constexpr int kIconWidth = 16;
    static constexpr int kIconHeight = 16;

    void Paint() override;
    void Measure() override;
    // The side of the icon at the window's DPI.
    int IconSize() const noexcept { return fw::SmallIconSize(Dpi()); }
    // The image list's icon for the image index; the caller owns the handle.
    HICON GetIcon();

    int ImageIndex = 0;
    HIMAGELIST ImageList = nullptr;  // borrowed (the system image list); null draws no icon
    // A text after the caption, dimmer (where a found item is); set before the entry is added.
    std::wstring Note;

protected:
    // Called before the icon is first needed (painted, or asked for): an entry whose icon is costly to
    // look up (a shell item) gives what it knows at once here, so a long list pays only for what is seen.
    virtual void PrepareIcon() {}
    // After each paint of the icon, at `icon` on the canvas: an entry may draw a marker over it, or ask
    // for a better icon now that the row is seen.
    virtual void IconPainted(fw::Canvas& /*canvas*/, const RECT& /*icon*/) {}
    // The image list to draw the icon from at `size` pixels; the list with images of that size draws
    // sharpest. By default ImageList, whatever its size.
    virtual HIMAGELIST ImageListFor(int /*size*/) { return ImageList; }
};
