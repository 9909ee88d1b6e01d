// An entry whose caption can be edited in place. BeginEdit lays an edit box over the entry; Enter confirms
// (ApplyRename), Escape cancels (CancelRename); nothing else ends the edit, so losing the focus leaves it
// open. The box is a component of the entry's container, a child window of the container's menu window,
// and goes when the entry goes (or is freed while one of its handlers runs).
#pragma once

#include "framework/ControlSlot.h"
#include "framework/Edit.h"
#include "popup/PopupButton.h"

#include <string>

class TEditCaptionButton : public virtual TPopupButton {
public:
    // Opens a fresh edit box holding `text` at (x, y) relative to the entry and gives it the focus. An entry
    // whose container has no menu window has nowhere to put one.
    void BeginEdit(int x, int y, const std::wstring& text);
    // Enter in the edit box.
    virtual void ApplyRename() = 0;
    // Escape in the edit box: hides it.
    virtual void CancelRename();

    fw::ControlSlot<fw::Edit> EditBox;  // owned by the container (as component owner); null until BeginEdit

protected:
    void HideEditBox();
    void WillFreeLater() noexcept override;

private:
    void EditKeyDown(WORD& key);
};
