#include "popup/TreeButton.h"

#include "popup/PopupBase.h"

TPopupMenuBase* TTreeButton::OpenChild() {
    TPopupMenuBase* window = MenuWindow();
    return window && FillProc ? window->OpenChildFor(this, FillProc) : nullptr;
}

void TTreeButton::OpenFromTriangle() {
    if (TriangleSide != 2 && FillProc) OpenChild();
}

void TTreeButton::Hover() {
    if (TriangleSide == 2 && FillProc) OpenChild();
}
