// Folder entries: they ask their menu window to open the folder as its submenu, from the triangle when
// triangles are shown, otherwise after the hover delay. A removable drive waits longer before opening, so
// that passing over it does not spin up the drive.
#pragma once

#include "operations/FileObject.h"

class TFolderButton : public TFileObject {
public:
    using TFileObject::TFileObject;

    void OpenFromTriangle() override;
    void Hover() override;
    bool HasSubmenu() const override { return true; }
    TPopupMenuBase* OpenSubmenu() override { return OpenSubFolder(); }

private:
    TPopupMenuBase* OpenSubFolder();
    bool opening_ = false;  // while the window opens this folder; a request from inside that is dropped
};

class TRemovableFolder : public TFolderButton {
public:
    using TFolderButton::TFolderButton;

    // The inherited colouring; then a removable drive (removable and holding file-system items) gets
    // ExtraHoverDelay more before it opens.
    void SetAttributes(ULONG flags) override;

    int ExtraHoverDelay = 1000;
};
