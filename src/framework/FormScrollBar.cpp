#include "framework/FormScrollBar.h"

#include "framework/Form.h"

#include <algorithm>

namespace fw {

void FormScrollBar::SetRange(int range) {
    range_ = range < 0 ? 0 : range;
    Update();
}

void FormScrollBar::SetVisible(bool visible) {
    visible_ = visible;
    Update();
}

int FormScrollBar::ClientExtent() const {
    return bar_ == SB_VERT ? form_.ClientHeight() : form_.ClientWidth();
}

void FormScrollBar::SetPosition(int position) {
    const int limit = std::max(0, range_ - ClientExtent());
    position = std::clamp(position, 0, limit);
    if (!showing_) position = 0;
    if (position == position_) return;
    const int delta = position_ - position;
    position_ = position;
    if (HWND h = form_.Handle()) {
        SCROLLINFO si{sizeof(si), SIF_POS};
        si.nPos = position_;
        ::SetScrollInfo(h, bar_, &si, TRUE);
    }
    if (bar_ == SB_VERT) {
        form_.ScrollContent(0, delta);
    } else {
        form_.ScrollContent(delta, 0);
    }
}

void FormScrollBar::Update() {
    HWND h = form_.Handle();
    if (!h || updating_) return;
    updating_ = true;
    const bool show = visible_ && range_ > ClientExtent();
    if (show != showing_) {
        showing_ = show;
        ::ShowScrollBar(h, bar_, show ? TRUE : FALSE);
    }
    if (show) {
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS};
        si.nMin = 0;
        si.nMax = range_ - 1;
        si.nPage = static_cast<UINT>(std::max(0, ClientExtent()));
        si.nPos = position_;
        ::SetScrollInfo(h, bar_, &si, TRUE);
    }
    updating_ = false;
    // Keeps the position inside the new range (and back at 0 when the bar went away).
    SetPosition(position_);
}

void FormScrollBar::Scroll(WORD code, int trackPosition) {
    const int page = std::max(1, ClientExtent());
    switch (code) {
        case SB_LINEUP:
            SetPosition(position_ - ScaleForDpi(increment_, form_.Dpi()));
            break;
        case SB_LINEDOWN:
            SetPosition(position_ + ScaleForDpi(increment_, form_.Dpi()));
            break;
        case SB_PAGEUP:
            SetPosition(position_ - page);
            break;
        case SB_PAGEDOWN:
            SetPosition(position_ + page);
            break;
        case SB_TOP:
            SetPosition(0);
            break;
        case SB_BOTTOM:
            SetPosition(range_);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            if (code == SB_THUMBTRACK && !tracking_) break;
            // The 16-bit position of the message is not enough for long content: ask for the 32-bit one.
            SCROLLINFO si{sizeof(si), SIF_TRACKPOS};
            if (form_.Handle() && ::GetScrollInfo(form_.Handle(), bar_, &si)) trackPosition = si.nTrackPos;
            SetPosition(trackPosition);
            break;
        }
        default:
            break;
    }
}

void FormScrollBar::Wheel(int delta) {
    SetPosition(position_ - delta * ScaleForDpi(wheelStep_, form_.Dpi()) / WHEEL_DELTA);
}

}  // namespace fw
