// Where menu windows go on the screen. Every window keeps to one monitor: a submenu to its parent's, a
// window placed at a point to the monitor of that point. A window is cut to its monitor's work area: a
// taller one scrolls, a wider one narrows the entries that reach past the cut, whose captions then end
// in an ellipsis.
#pragma once

class TPopupButtonBase;
class TPopupMenuBase;

// Places `child` beside `parent`, level with `entry` when one is given, inside the work area of the
// parent's monitor: on the side the parent's children open to, on the other side when it does not fit
// there, and pulled into the work area when it fits on neither side.
void PlaceChild(TPopupMenuBase* parent, TPopupMenuBase* child, TPopupButtonBase* entry);
// Cuts a window to the height of its monitor's work area, with a scroll bar when its entries do not
// fit, and to that work area's width.
void FitHeightToWorkArea(TPopupMenuBase* window);
// The entries changed while the window keeps its size (a search typed into it): only the scroll range
// follows, unless the scroll bar must come or go.
void FitScrollRange(TPopupMenuBase* window);
// Cuts a window to the width of the work area of the monitor under its top-left corner and moves it
// into that work area.
void ClampToWorkArea(TPopupMenuBase* window);
// How far the window's content is scrolled down (0 without a vertical scroll bar).
int VertScrollPosition(TPopupMenuBase* window);
