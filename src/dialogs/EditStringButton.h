// Rows of the settings menu that hold an edit field between two texts: "prefix [field] suffix".
//
// TEditStringButton is the plain field (numbers typed as text), TEditHotkeyButton a read-only field that
// shows the key combination pressed in it, TEditFileNameButton a wide field with a browse button that also
// takes a file dropped from the shell. Each reports every change of its value through OnValueChange; what
// the value means is the listener's business (the settings record refuses what it cannot use).
//
// The field is the edit box of TEditCaptionButton, made when the row joins a container with a menu window:
// its controls are components of the container and child windows of the menu window, placed over the row
// and moved with it. They go when the row goes (or when it is freed while one of its handlers runs).
#pragma once

#include "operations/DropBox.h"
#include "operations/EditCaptionButton.h"
#include "framework/ControlSlot.h"
#include "framework/OpenDialog.h"

#include <functional>
#include <string>

class TEditStringButton : public TEditCaptionButton {
public:
    TEditStringButton(std::wstring prefix, std::wstring editText, std::wstring suffix);

    void Attach(TPopupButtonManager* container) override;
    void Measure() override;
    void Paint() override;
    TPopupButtonBase& SetLeft(int v) override;
    TPopupButtonBase& SetTop(int v) override;
    // The rows name no shell item: there is nothing to rename.
    void ApplyRename() override {}
    void CancelRename() override {}
    // Enter on the row: the field takes the focus, its text selected.
    void Activate() override;

    // The texts either side of the field, read together.
    std::wstring SpokenName() const override { return Prefix + L" " + Suffix; }
    std::wstring Prefix;
    std::wstring EditText;  // follows the field as the user types
    std::wstring Suffix;
    int PrefixWidth = 0;  // measured
    int PrefixHeight = 0;
    int SuffixWidth = 0;
    int SuffixHeight = 0;
    // Gaps and the field's width are pixels at 96 DPI; the row scales them to its window's DPI.
    int GapBefore = 3;
    int GapAfter = 3;
    int FieldWidth = 36;
    int ControlWidth = 2;  // what stands between the texts, in pixels as drawn; measured
    std::function<void(TEditStringButton& sender)> OnValueChange;

protected:
    // Gives the controls between prefix and suffix their widths for the window's DPI (their heights
    // follow the DPI by themselves).
    virtual void SizeControls();
    // The size of the controls between prefix and suffix.
    virtual SIZE ControlSize() const;
    // Moves the controls onto the row's place in the menu window.
    virtual void PlaceControls();
    virtual void FieldKeyDown(WORD& key, fw::ShiftState shift);
    // Escape goes on to the menu window (which closes), Tab moves the focus on, Up and Down go back to the
    // rows, moving the highlight from this one; true when `key` was one.
    bool PassNavigationKey(WORD& key, fw::ShiftState shift);
    static bool IsNavigationKey(WORD key, fw::ShiftState shift) noexcept;
    // Raises OnValueChange with the row held: the listener may free the row, its container or its window.
    void ValueChanged();
};

class TEditHotkeyButton : public TEditStringButton {
public:
    TEditHotkeyButton(std::wstring prefix, std::wstring editText, std::wstring suffix, int modifiers,
                      int key);

    void Attach(TPopupButtonManager* container) override;
    // Takes a key with the modifiers held as the combination and shows it.
    void CaptureHotkey(WORD key, fw::ShiftState shift);

    int Modifiers = 0;  // MOD_ flags
    int Key = 0;        // virtual key
    // The combination the settings keep, which the field shows again once every key is up: one they
    // refuse shows only while it is held. The row's first combination; the listener keeps it up to date.
    int StoredModifiers = 0;
    int StoredKey = 0;

protected:
    void FieldKeyDown(WORD& key, fw::ShiftState shift) override;

private:
    void FieldKeyUp(WORD key, fw::ShiftState shift);
};

class TEditFileNameButton : public TEditStringButton {
public:
    static constexpr int kButtonGap = 2;

    using TEditStringButton::TEditStringButton;

    void Attach(TPopupButtonManager* container) override;
    // Lets the user choose a file in the open-file dialog; the chosen path goes into the field.
    void Browse();

    // Both owned by the container (as component owner).
    fw::ControlSlot<fw::OpenDialog> OpenDialog;
    fw::ControlSlot<TDropBox> BrowseButton;

protected:
    void SizeControls() override;
    SIZE ControlSize() const override;
    void PlaceControls() override;
    void WillFreeLater() noexcept override;

private:
    void FilesDropped(TDropBox& sender);
};
