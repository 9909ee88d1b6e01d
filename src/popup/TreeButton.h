// A popup button that opens a submenu filled by a callback: from the triangle when triangles are shown,
// otherwise after the hover delay.
#pragma once

#include "popup/PopupButton.h"

#include <functional>

class TTreeButton : public virtual TPopupButton {
public:
    using FillProcType = std::function<void(TPopupButtonManager& manager)>;
    explicit TTreeButton(FillProcType fill) : FillProc(std::move(fill)) {}

    void OpenFromTriangle() override;
    void Hover() override;
    bool HasSubmenu() const override { return static_cast<bool>(FillProc); }
    TPopupMenuBase* OpenSubmenu() override { return OpenChild(); }

    FillProcType FillProc;

private:
    TPopupMenuBase* OpenChild();
};
