// The windowless container inside each menu window: it keeps the menu's entries in display order, lays
// them out in columns, sizes itself and its window to fit, paints them and routes the mouse to them.
// It owns its entries (they are its components): removing an entry or freeing the container frees the
// entry. Its jobs live in files of their own:
//   PopupButtonManager.cpp           owning the entries: adding, removing, refilling; close refusals
//   PopupButtonManagerLayout.cpp     columns and the window's size (the arithmetic: ColumnLayout)
//   PopupButtonManagerPaint.cpp      which entry is at a point, and painting
//   PopupButtonManagerMouse.cpp      the mouse routed to the entries
//   PopupButtonManagerKeys.cpp       the highlight, the keys that move it, type-ahead (TypeAheadIndex)
//
// Every call into an entry holds the entry (the container itself is held by the form that routes the
// mouse to it), so an entry's handler may refill or empty the container, freeing that very entry: the
// entry then leaves the list at once and goes when its handler returns (a container that goes first tells
// it so, through fw::Component).
//
// The highlight: the hot entry is the one entry drawn highlighted, whether the mouse or a key put it there
// (HotEntry; OnHighlightChange tells when it moves). A key moves it over the actionable entries only and
// scrolls the window to show it; until the mouse really moves, the mouse leaves a highlight that a key
// placed where it is (windows appearing or scrolling under a resting cursor send moves too), so neither a
// hover nor a leave takes it away.
//
// Big folders: a fill sizes the window once (FinishLayout, or FitOwnerWindow for a fill that ends
// without a layout), not once per entry; after the layout, hit tests and painting find the entries by
// position (binary search within each column), so their cost follows what is visible, not the count.
// Every entry knows its place in the list, so a key costs the same in a window of a hundred thousand
// entries as in one of ten.
#pragma once

#include "framework/GraphicControl.h"
#include "framework/Lifetime.h"
#include "popup/ColumnLayout.h"
#include "popup/PopupButtonBase.h"
#include "popup/TypeAheadIndex.h"

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

class TPopupMenuBase;

// Where a key moves the highlight.
enum class THighlightMove { Next, Previous, First, Last, PageDown, PageUp };

class TPopupButtonManager : public fw::GraphicControl {
public:
    explicit TPopupButtonManager(fw::Component* owner);
    ~TPopupButtonManager() override;

    void AddEntry(TPopupButtonBase* entry);
    // Adds entries after the others, as AddEntry does one by one.
    void AddEntries(const std::vector<TPopupButtonBase*>& entries);
    void FinishLayout();
    // The entries added since the last layout take their final places too, and the window keeps its size
    // (rows added to a window that is already as tall as its screen: only its scroll range grows).
    void LayOutInPlace();
    // Measures every entry again and lays them all out afresh, sizing the window (after a change of DPI).
    void Relayout();
    // Gives the window the size of the entries added so far, once; a window that refuses the height
    // makes the entries break into columns as they would have entry by entry. FinishLayout does this.
    void FitOwnerWindow();
    void ClearEntries();
    // Shows only the actionable entries whose caption contains `text` (case, width and kana type do not
    // count), and `pinned` (the search field's own row); the others stay, out of the list, until
    // ClearFilter brings every entry back in its order. Entries added meanwhile are filtered alike.
    // The window keeps its size; the caller fits it.
    void SetFilter(const std::wstring& text, const TPopupButtonBase* pinned);
    // One more entry the filter always shows (a separator, a label of the search's own).
    void Pin(const TPopupButtonBase* entry);
    void ClearFilter();
    // Removes these entries (freeing them) in one pass.
    void RemoveEntries(const std::vector<TPopupButtonBase*>& gone);
    bool Filtering() const noexcept { return filtering_; }
    // Puts an entry first (the search field's row).
    void InsertFirst(TPopupButtonBase* entry);
    void RemoveEntryAt(int index);
    void RemoveEntry(TPopupButtonBase* entry);
    // Refuses (false) automatic closing of the menu chain for one more step, or ends (true) one refusal:
    // closing is allowed again when every refusal has ended, so a step inside another does not end the
    // outer one's. TCloseRefusal does both for a scope.
    void SetCloseAllowed(bool allowed) noexcept;
    TPopupButtonBase* EntryAt(int x, int y) const;

    int EntryCount() const noexcept { return static_cast<int>(entries_.size()); }
    TPopupButtonBase* Entries(int index) const noexcept;
    auto begin() const noexcept { return entries_.begin(); }
    auto end() const noexcept { return entries_.end(); }
    // The place of an entry of this container in display order (0 first), -1 for another's; the entry
    // must be alive.
    int IndexOf(const TPopupButtonBase* entry) const noexcept;
    int ColumnCount() const noexcept { return layout_.ColumnCount(); }
    int ColumnWidth(int column) const noexcept { return layout_.ColumnWidth(column); }

    TPopupMenuBase* OwnerWindow() const noexcept { return ownerWindow_; }
    TPopupButtonBase* HotEntry() const noexcept { return hotEntry_; }
    TPopupButtonBase* PressedEntry() const noexcept { return pressedEntry_; }
    // Whether the entry is one of this container's; the pointer is not followed, so it may be one to an
    // entry that has gone.
    bool Holds(const TPopupButtonBase* entry) const noexcept { return entry && held_.count(entry) != 0; }

    // Highlights an entry from the keyboard (null takes the highlight away) and scrolls it into view.
    void SetHighlight(TPopupButtonBase* entry);
    // Whether the highlight was last placed by a key rather than the mouse.
    bool KeyboardHighlight() const noexcept { return keyboardHighlight_; }
    // Moves the highlight over the actionable entries: Next and Previous wrap around at the ends, the pages
    // stop there; with nothing highlighted, Next starts at the first entry and Previous at the last. False
    // when there is nothing to highlight.
    bool MoveHighlight(THighlightMove move);
    // Type-ahead: adds a typed character to the text typed so far (forgotten after a pause) and highlights
    // the next entry whose caption starts with it, ignoring case, width and kana type. A letter typed again
    // and again steps through the entries that start with it.
    bool TypeAhead(wchar_t c);
    // Scrolls the window so that the entry is wholly in view.
    void ScrollIntoView(const TPopupButtonBase* entry);

    // The highlight moved (to HotEntry, which may be null): for whatever follows it, as a screen reader.
    std::function<void(TPopupButtonManager& sender)> OnHighlightChange;

    static constexpr int kTypeAheadPause = 1000;  // milliseconds

    // Whether the menu chain may be closed automatically while this menu is active (no refusal is open).
    // Read-only: SetCloseAllowed and TCloseRefusal change it.
    const bool& CloseAllowed = closeAllowed_;

    void Paint(const RECT& clip) override;
    void MouseDown(fw::MouseButton button, fw::ShiftState shift, int x, int y) override;
    void MouseMove(fw::ShiftState shift, int x, int y) override;
    void MouseUp(fw::MouseButton button, fw::ShiftState shift, int x, int y) override;
    void Click() override {}
    void CMMouseEnter() override {}
    void CMMouseLeave() override;

protected:
    // The window went while this container still ran a handler.
    void OwnerGone() noexcept override { ownerWindow_ = nullptr; }

private:
    friend class TPopupButtonBase;
    void SetOwnerClientSize(int width, int height);
    // Whether the filter shows the entry.
    bool Shows(const TPopupButtonBase* entry) const;
    // Places the listed entries afresh, keeping their measured sizes.
    void LayOutAgain();
    // Takes an entry into the list and places it below the others; `area` grows to hold it.
    void Adopt(TPopupButtonBase* entry, TColumnLayout::Size& area);
    // Places an entry at the running position (the provisional layout of a fill); `area` grows to hold it.
    void PlaceNext(TPopupButtonBase* entry, TColumnLayout::Size& area);
    // Gives the window this entry's share of the size; false when the window did not take the height,
    // after which the entry has started a new column.
    bool GrowOwnerWindow(TPopupButtonBase* entry);
    // Lays the whole fill out again entry by entry, sizing the window each time (only for a window that
    // refused the full height).
    void ReplayWithWindow();
    // Takes an entry that has left the list out of the container's care and frees it.
    void Retire(TPopupButtonBase* entry) noexcept;
    // An entry's caption changed: type-ahead must read it again.
    void CaptionChanged() noexcept { typeAhead_.Clear(); }
    // Where the cursor was when the message being handled was made: a mouse that moved while the program
    // was busy with a key is told apart from one that rests.
    static POINT MessageCursor() noexcept;
    // Moves the hot state from the hot entry to `entry` the way a key does.
    void MoveHotTo(TPopupButtonBase* entry);
    // SetHighlight, keeping the text typed so far.
    void Highlight(TPopupButtonBase* entry);
    // Raises OnHighlightChange when the hot entry is no longer `before`.
    void HighlightChanged(const TPopupButtonBase* before);

    // The entries in display order; each knows its index here. After FinishLayout, until the next change,
    // they have their final places (laidOut_): within a column tops increase, and columns go left to right.
    std::vector<TPopupButtonBase*> entries_;
    std::unordered_set<const TPopupButtonBase*> held_;
    // While a filter shows only some entries: all of them in their order, the folded text looked for, and
    // the entry always shown.
    bool filtering_ = false;
    std::vector<TPopupButtonBase*> all_;
    std::wstring filter_;
    std::vector<const TPopupButtonBase*> pinned_;
    bool laidOut_ = false;
    size_t laidOutCount_ = 0;  // the entries the last layout placed (a fill adds below them)
    int laidOutWidth_ = -1;    // their width, when they were laid out in one column
    bool windowSizePending_ = false;
    TPopupButtonBase* hotEntry_ = nullptr;
    TPopupButtonBase* pressedEntry_ = nullptr;
    fw::MouseButton pressedButton_ = fw::MouseButton::Left;
    int pressX_ = 0;
    int pressY_ = 0;
    // The cursor where it was when a key placed the highlight: moves that leave it there are no moves.
    bool keyboardHighlight_ = false;
    POINT keyboardCursor_{};
    std::wstring typed_;
    ULONGLONG typedAt_ = 0;
    TTypeAheadIndex typeAhead_;  // made at the first letter typed after a change of the entries
    TPopupMenuBase* ownerWindow_ = nullptr;
    TColumnLayout layout_;
    int closeRefusals_ = 0;
    bool closeAllowed_ = true;
};

// Holds an entry with its container and its window for one call into the entry from outside the mouse
// routing (a timer, a control's event), so that the call may free any of them.
class TEntryScope {
public:
    explicit TEntryScope(TPopupButtonBase& entry) noexcept;
    TEntryScope(const TEntryScope&) = delete;
    TEntryScope& operator=(const TEntryScope&) = delete;

private:
    // In this order, so the entry goes before its container and the container before the window.
    fw::HandlerScope window_;
    fw::HandlerScope container_;
    fw::HandlerScope entry_;
};

// Refuses automatic closing of the menu chain while a step that takes the focus away runs (a command
// chosen from a context menu, the open-file dialog), and ends its refusal however the step ends.
class TCloseRefusal {
public:
    explicit TCloseRefusal(TPopupButtonManager* container) noexcept;
    ~TCloseRefusal();
    TCloseRefusal(const TCloseRefusal&) = delete;
    TCloseRefusal& operator=(const TCloseRefusal&) = delete;

private:
    TPopupButtonManager* container_;
    fw::HandlerScope hold_;
};
