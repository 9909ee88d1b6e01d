// The about box: the program's name, version and maker on dark, blue-tinted glass over whatever lies
// behind it, and an OK button along the bottom edge. ShowAboutBox shows it modally and frees it. Its
// layout (277 x 133 at 96 DPI) scales with the DPI of its monitor.
#pragma once

#include "dialogs/SuperLabel.h"
#include "framework/Buttons.h"
#include "framework/Form.h"
#include "framework/GraphicControl.h"
#include "framework/UniqueAny.h"

#include <windows.h>

// A raised frame one pixel wide: highlight on the left and top, shadow on the right and bottom.
class TBevel : public fw::GraphicControl {
public:
    explicit TBevel(fw::Component* owner) : fw::GraphicControl(owner) {}
    void Paint(const RECT& clip) override;
};

class TCopyrightForm : public fw::Form {
public:
    // Hidden, centred on the screen; `owner` frees it when it goes first.
    explicit TCopyrightForm(fw::Component* owner);

    // Components of the form (it owns them), in the order they are made.
    TSuperLabel* SuperLabel1;  // the program's name
    TSuperLabel* SuperLabel2;  // its version
    TSuperLabel* SuperLabel3;  // the maker's notice, first line
    TSuperLabel* SuperLabel4;  // and second
    TBevel* Bevel1;            // left edge
    TBevel* Bevel2;            // right edge
    // OK: it has the focus while the box shows, and Enter, Space and Escape press it.
    fw::Button* Button1 = nullptr;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Lays the labels and the button out and captures the screen under the form, before it appears.
    void Showing() override;
    void DoClose(fw::CloseAction& action) override;
    // The tinted capture; the form's colour where there is none.
    void PaintBackground(HDC dc, const RECT& area) override;
    void DpiChanged(int oldDpi, int newDpi) override;

private:
    // The client size and every component's bounds, for the form's DPI.
    void LayOut();
    // Labels centred across the form, the button along its whole bottom edge.
    void AlignToWidth();
    void CenterOnScreen();
    void CaptureBackground();
    void StretchBackground();

    fw::unique_hbitmap background_;  // client-sized, already tinted
};

// Shows the about box owned by `owner` (a menu window, say) until the user closes it, then frees it; the
// owner may be freed meanwhile. Returns the modal result (IDOK for the OK button, IDCANCEL when the box
// was closed otherwise or went with its owner).
int ShowAboutBox(fw::Component* owner);
