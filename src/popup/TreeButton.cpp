#include "popup/TreeButton.h"

#include "popup/PopupBase.h"

void TTreeButton::OpenChild() {
    if (TPopupMenuBase* window = MenuWindow()) window->OpenChildFor(this, FillProc);
}

void TTreeButton::OpenFromTriangle() {
    if (TriangleSide != 2 && FillProc) OpenChild();
}

void TTreeButton::Hover() {
    if (TriangleSide == 2 && FillProc) OpenChild();
}
