// The windowless container inside each menu window: it keeps the menu's entries in display order, lays
// them out in columns, sizes itself and its window to fit, paints them and routes the mouse to them.
// It owns its entries: removing an entry or freeing the container frees the entry.
#pragma once

#include "framework/GraphicControl.h"
#include "popup/PopupButtonBase.h"
#include "shell/Chain.h"

#include <functional>
#include <memory>
#include <vector>

class TPopupMenuBase;

class TPopupButtonManager : public fw::GraphicControl {
public:
    explicit TPopupButtonManager(fw::Component* owner);
    ~TPopupButtonManager() override;

    void AddEntry(TPopupButtonBase* entry);
    void FinishLayout();
    void ClearEntries();
    void RemoveEntryAt(int index);
    void RemoveEntry(TPopupButtonBase* entry);
    void SetCloseAllowed(bool allowed) noexcept { CloseAllowed = allowed; }
    TPopupButtonBase* EntryAt(int x, int y) const;

    int EntryCount() const noexcept { return entries_.Count(); }
    TPopupButtonBase* Entries(int index) const noexcept { return entries_.Items(index); }
    TPopupButtonBase* FirstEntry() noexcept { return entries_.First(); }
    TPopupButtonBase* NextEntry() noexcept { return entries_.Next(); }
    auto begin() const noexcept { return entries_.begin(); }
    auto end() const noexcept { return entries_.end(); }
    int ColumnCount() const noexcept { return columnCount_; }
    int ColumnWidth(int column) const noexcept;

    TPopupMenuBase* OwnerWindow() const noexcept { return ownerWindow_; }
    TPopupButtonBase* HotEntry() const noexcept { return hotEntry_; }
    TPopupButtonBase* PressedEntry() const noexcept { return pressedEntry_; }

    bool CloseAllowed = true;

    // Asks whether an entry can be dragged out, and starts its drag; set by the drag support.
    std::function<bool(TPopupButtonBase& entry)> IsDraggable;
    std::function<void(TPopupButtonBase& entry)> StartDrag;

    void Paint(const RECT& clip) override;
    void MouseDown(fw::MouseButton button, fw::ShiftState shift, int x, int y) override;
    void MouseMove(fw::ShiftState shift, int x, int y) override;
    void MouseUp(fw::MouseButton button, fw::ShiftState shift, int x, int y) override;
    void Click() override {}
    void CMMouseEnter() override {}
    void CMMouseLeave() override;

private:
    void ResetLayoutState();
    void SetOwnerClientSize(int width, int height);
    void ForgetEntry(TPopupButtonBase* entry) noexcept;

    TOwningChain<TPopupButtonBase> entries_;
    // An entry's handler may refill or free the container (a nested message loop of a context menu
    // runs inside one): these tell the caller afterwards whether its pointers are still good.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    unsigned generation_ = 0;  // changes whenever entries are destroyed
    TPopupButtonBase* hotEntry_ = nullptr;
    TPopupButtonBase* pressedEntry_ = nullptr;
    int pressX_ = 0;
    int pressY_ = 0;
    TPopupMenuBase* ownerWindow_ = nullptr;
    int columnWidth_ = 0;
    int columnCount_ = 0;
    int columnLeft_ = 0;
    int runningY_ = 0;
    std::vector<int> columnWidths_;
};
