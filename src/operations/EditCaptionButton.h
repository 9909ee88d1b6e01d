// An entry whose caption can be edited in place. BeginEdit lays an edit box over the entry, from the given
// place to the row's right edge; Enter confirms (ApplyRename), Escape cancels (CancelRename); nothing else
// ends the edit, so losing the focus leaves it open. The box is a component of the entry's container, a
// child window of the container's menu window, and goes when the entry goes (or is freed while one of its
// handlers runs). A window that replaces its entries (a refill) carries an open edit over to the new entry
// for the same item with TakeEdit and ResumeEdit.
#pragma once

#include "framework/ControlSlot.h"
#include "framework/Edit.h"
#include "popup/PopupButton.h"

#include <optional>
#include <string>

class TEditCaptionButton : public virtual TPopupButton {
public:
    // An open edit box: where it lies on the entry, the text typed so far, the selection in it, and whether
    // it has the focus.
    struct EditState {
        int x = 0;
        int y = 0;
        std::wstring text;
        DWORD selStart = 0;
        DWORD selEnd = 0;
        bool focused = false;
    };

    // Opens a fresh edit box holding `text` at (x, y) relative to the entry and, with `focus`, gives it the
    // focus. An entry whose container has no menu window has nowhere to put one.
    void BeginEdit(int x, int y, const std::wstring& text, bool focus = true);
    // The state of the edit box when one is open (visible).
    std::optional<EditState> TakeEdit() const;
    // Opens the edit box again as `state` describes it, on this entry.
    void ResumeEdit(const EditState& state);
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
    POINT editAt_{};  // where BeginEdit put the box, relative to the entry
};
