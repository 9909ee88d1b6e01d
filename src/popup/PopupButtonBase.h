// Menu entries: lightweight drawable items (not windows) that live in a button container and paint on
// its canvas. TPopupButtonBase is the one virtual base of every entry: rectangle, mouse events and the
// hover delay. Shared by the whole family: the button face bitmap drawn behind entries (exists while
// any entry exists), the hover timer, and the submenu-triangle latch.
//
// The family combines its parts by virtual inheritance (TStringButton, TPopupButton and the classes built
// on them share one TPopupButtonBase and one TStringButton), so an entry may be, say, an icon button and
// an editable caption at once.
//
// An entry is a component of its container, freed by it (removal, refill, the container's end) with
// Free(): an entry whose handler is still running, for example inside the nested loop of a context menu,
// stays alive until that handler returns, but is out of the container and gets no more input; should the
// container go meanwhile, the entry forgets it.
#pragma once

#include "framework/Component.h"
#include "framework/Graphics.h"
#include "framework/GraphicControl.h"
#include "framework/LiveCount.h"
#include "framework/SharedInstance.h"
#include "framework/ShiftState.h"
#include "popup/DelayCaller.h"

#include <functional>
#include <string>

class TPopupButtonManager;
class TPopupMenuBase;

class TPopupButtonBase : public fw::Component, public fw::LiveCount<TPopupButtonBase> {
public:
    TPopupButtonBase();
    ~TPopupButtonBase() override;

    virtual void Attach(TPopupButtonManager* container);
    virtual void Paint() {}
    virtual void Measure() {}

    virtual int Left() const { return left_; }
    virtual int Top() const { return top_; }
    virtual int Width() const { return width_; }
    virtual int Height() const { return height_; }
    virtual TPopupButtonBase& SetLeft(int v);
    virtual TPopupButtonBase& SetTop(int v);
    virtual TPopupButtonBase& SetWidth(int v);
    virtual TPopupButtonBase& SetHeight(int v);

    virtual void SetTriangleSide(unsigned char) {}
    virtual void Click();
    virtual void MouseDown(fw::MouseButton button, fw::ShiftState shift, int x, int y);
    virtual void MouseMove(fw::ShiftState shift, int x, int y);
    virtual void MouseUp(fw::MouseButton button, fw::ShiftState shift, int x, int y);
    virtual void MouseEnter();
    virtual void Hover();
    virtual void MouseLeave();

    // Whether a press and a move of more than 5 pixels drags this entry out of the menu (shell items).
    virtual bool IsDraggable() const { return false; }
    // Starts the drag of a draggable entry; called by the container.
    virtual void StartDrag() {}
    // The text a submenu opened from this entry takes as its caption; null for entries without one.
    virtual const std::wstring* CaptionText() const { return nullptr; }
    // What a screen reader says for the entry: its caption, unless the entry shows more than one text.
    virtual std::wstring SpokenName() const {
        const std::wstring* caption = CaptionText();
        return caption ? *caption : std::wstring();
    }

    // The keyboard. The menu window calls these for its keys with the entry, its container and the window
    // held, so each may free any of them; they take the paths the mouse takes.
    // Whether the highlight may rest on the entry (not on separators and labels).
    virtual bool Actionable() const { return false; }
    // Draws the entry highlighted or not, without the hover the mouse starts.
    virtual void SetHighlight(bool) {}
    // Whether the entry opens a submenu, and opening it as its window's child; the child, or null.
    virtual bool HasSubmenu() const { return false; }
    virtual TPopupMenuBase* OpenSubmenu() { return nullptr; }
    // Enter on an entry without a submenu: what a click does.
    virtual void Activate() { Click(); }
    // The entry's context menu at a screen point, and its rename box: for shell items only.
    virtual void ShowContextMenu(int, int) {}
    virtual void BeginRename() {}

    void SetHoverDelay(int milliseconds) noexcept { tracker_.Interval = milliseconds; }
    int HoverDelay() const noexcept { return tracker_.Interval; }
    bool HoverPending() const noexcept { return tracker_.Running(); }
    // Whether the cursor is inside this entry now (screen coordinates, right and bottom edges outside).
    bool CursorInside() const;

    TPopupButtonManager* Container() const noexcept { return container_; }
    fw::Canvas* GetCanvas() const noexcept { return canvas_; }
    // The DPI of the entry's window (96 outside one), and a length in pixels at 96 DPI at that DPI: an
    // entry's sizes are given at 96 DPI and measured and painted scaled.
    int Dpi() const noexcept;
    int Scale(int px96) const noexcept { return fw::ScaleForDpi(px96, Dpi()); }
    RECT BoundsRect() const { return RECT{Left(), Top(), Left() + Width(), Top() + Height()}; }

    std::function<void(TPopupButtonBase& sender)> OnClick;
    std::function<void(TPopupButtonBase& sender, fw::MouseButton, fw::ShiftState, int x, int y)> OnMouseDown;
    std::function<void(TPopupButtonBase& sender)> OnMouseEnter;
    std::function<void(TPopupButtonBase& sender)> OnHover;
    std::function<void(TPopupButtonBase& sender)> OnMouseLeave;
    std::function<void(TPopupButtonBase& sender, fw::ShiftState, int x, int y)> OnMouseMove;
    std::function<void(TPopupButtonBase& sender, fw::MouseButton, fw::ShiftState, int x, int y)> OnMouseUp;

protected:
    fw::Color ContainerColor() const noexcept;
    // The container went while this entry's handler still runs: the entry forgets it.
    void OwnerGone() noexcept override {
        container_ = nullptr;
        canvas_ = nullptr;
    }
    // The caption changed (for the container's type-ahead).
    void CaptionChanged() noexcept;
    // Cancels a pending hover of this entry (for entries whose MouseLeave does not call the base one).
    void StopHover() { tracker_.Stop(); }
    // Freed while one of its handlers runs: it has left its container.
    void WillFreeLater() noexcept override;

private:
    // Tells the entry's window that the entry leaves it.
    void TellWindowLeaving() noexcept;
    friend class TPopupButtonManager;
    fw::SharedInstance<fw::Bitmap>::Use face_;  // keeps the face bitmap while this entry lives
    TDelayCaller tracker_;
    fw::Canvas* canvas_ = nullptr;
    TPopupButtonManager* container_ = nullptr;
    int index_ = -1;  // the place in the container's list, kept by the container
    // The caption folded for a filter, made when first asked after a change of the caption.
    mutable std::wstring folded_;
    mutable bool foldedStale_ = true;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// The bitmap drawn stretched behind every entry when loaded and not empty; null while no entry exists.
fw::Bitmap* ButtonFace();
// Draws the face bitmap stretched into `rect` when one is loaded; whether it drew.
bool DrawButtonFace(fw::Canvas& canvas, const RECT& rect);
// Loads the face bitmap from a file (while entries exist); any failure keeps the previous picture.
void LoadButtonFace(const std::wstring& path);
// Set when a submenu was opened from a triangle; cleared when the cursor leaves the triangle area.
extern bool TriangleLatch;
