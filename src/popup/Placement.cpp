#include "popup/Placement.h"

#include "framework/Screen.h"
#include "popup/PopupBase.h"

#include <algorithm>

namespace {

// Parent and child overlap by this many pixels at 96 DPI, scaled to the parent's DPI.
constexpr int kOverlap = 5;

fw::MonitorArea MonitorOfWindow(const TPopupMenuBase* window) {
    return fw::MonitorOf(RECT{window->Left(), window->Top(), window->Left() + window->Width(),
                              window->Top() + window->Height()});
}

// A window wider than the work area (a name of hundreds of characters) is cut to it: the entries that
// reach past the new client width are narrowed to end there, and paint their captions cut short.
void FitWidthIn(TPopupMenuBase* window, const fw::MonitorArea& monitor) {
    const int room = monitor.work.right - monitor.work.left;
    if (window->Width() <= room) return;
    const int client = std::max(0, room - (window->Width() - window->ClientWidth()));
    TPopupButtonManager& container = *window->ButtonManager;
    for (TPopupButtonBase* e : container) {
        if (e->Left() + e->Width() > client) e->SetWidth(std::max(0, client - e->Left()));
    }
    container.SetClientWidth(client);
    window->SetClientWidth(client);
}

// Heights count from the monitor's top edge, as they count from the screen's top on the primary monitor.
void FitIn(TPopupMenuBase* window, const fw::MonitorArea& monitor) {
    const RECT& work = monitor.work;
    const int available = (work.bottom - work.top) - (window->Top() - monitor.monitor.top);
    if (available < window->Height()) window->SetHeight(available);
    fw::FormScrollBar& bar = window->VertScrollBar();
    if (window->ClientHeight() >= window->ButtonManager->Height()) {
        bar.SetVisible(false);
    } else {
        // The scroll bar widens the window instead of narrowing the entries (as far as the width allows).
        const int width = window->ClientWidth();
        bar.SetRange(window->ButtonManager->Height());
        bar.SetVisible(true);
        window->SetClientWidth(width);
    }
    FitWidthIn(window, monitor);
}

}  // namespace

int VertScrollPosition(TPopupMenuBase* window) {
    fw::FormScrollBar& bar = window->VertScrollBar();
    return bar.IsShowing() ? bar.Position() : 0;
}

// A child stays on its parent's monitor: it never rises above that monitor's top and turns back at its
// left and right edges.
void PlaceChild(TPopupMenuBase* parent, TPopupMenuBase* child, TPopupButtonBase* entry) {
    const fw::MonitorArea monitor = MonitorOfWindow(parent);
    const RECT& work = monitor.work;
    if (entry) child->SetTop(entry->Top() + parent->Top() - VertScrollPosition(parent));
    if (work.bottom < child->Top() + child->Height()) child->SetTop(work.bottom - child->Height());
    if (child->Top() < monitor.monitor.top) child->SetTop(monitor.monitor.top);
    FitIn(child, monitor);
    const int overlap = parent->Scale(kOverlap);
    if (parent->OpensRight) {
        child->SetLeft(parent->Left() + parent->Width() - overlap);
        child->OpensRight = true;
    } else {
        child->SetLeft(parent->Left() - child->Width() + overlap);
        child->OpensRight = false;
    }
    if (child->Left() < monitor.monitor.left) {
        child->SetLeft(parent->Left() + parent->Width() - overlap);
        child->OpensRight = true;
    } else if (work.right < child->Left() + child->Width()) {
        child->SetLeft(parent->Left() - child->Width() + overlap);
        child->OpensRight = false;
    }
    // Room on neither side (the parent is about as wide as the monitor): the child comes into the work
    // area over its parent rather than off the screen. It keeps the side its own children open to.
    if (child->Left() < monitor.monitor.left || work.right < child->Left() + child->Width()) {
        child->SetLeft(std::max<int>(work.left, std::min<int>(child->Left(), work.right - child->Width())));
    }
}

void FitHeightToWorkArea(TPopupMenuBase* window) {
    FitIn(window, MonitorOfWindow(window));
}

void FitScrollRange(TPopupMenuBase* window) {
    fw::FormScrollBar& bar = window->VertScrollBar();
    const bool scrolls = window->ClientHeight() < window->ButtonManager->Height();
    if (scrolls && bar.IsShowing()) {
        bar.SetRange(window->ButtonManager->Height());
        return;
    }
    if (scrolls || bar.IsShowing()) FitHeightToWorkArea(window);
}

// The monitor is the one under the window's top-left corner: the point a one-shot start was given.
void ClampToWorkArea(TPopupMenuBase* window) {
    const fw::MonitorArea monitor = fw::MonitorAt(POINT{window->Left(), window->Top()});
    FitWidthIn(window, monitor);
    const RECT& work = monitor.work;
    if (window->Left() < work.left) {
        window->SetLeft(work.left);
    } else if (work.right < window->Left() + window->Width()) {
        window->SetLeft(work.right - window->Width());
    }
    if (window->Top() < work.top) {
        window->SetTop(work.top);
    } else if (work.bottom < window->Top() + window->Height()) {
        window->SetTop(work.bottom - window->Height());
    }
}
