#include "dialogs/EditStringButton.h"

#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"
#include "settings/DataConserver.h"

#include <algorithm>
#include <utility>

namespace {

// Pixels at 96 DPI.
constexpr int kHotkeyFieldWidth = 150;
constexpr int kFileFieldWidth = 280;
constexpr int kBrowseWidth = 36;
constexpr int kBrowseHeight = 18;

constexpr fw::ShiftState kModifierKeys = fw::ssShift | fw::ssAlt | fw::ssCtrl;

// Whether a face bitmap is drawn behind the entries.
bool FaceLoaded() {
    const fw::Bitmap* face = ButtonFace();
    return face && !face->Empty();
}

}  // namespace

// ---- TEditStringButton

TEditStringButton::TEditStringButton(std::wstring prefix, std::wstring editText, std::wstring suffix)
    : Prefix(std::move(prefix)), EditText(std::move(editText)), Suffix(std::move(suffix)) {}

void TEditStringButton::Attach(TPopupButtonManager* container) {
    TEditCaptionButton::Attach(container);
    TPopupMenuBase* window = MenuWindow();
    if (!container || !window || EditBox) return;
    fw::Edit* box = EditBox.reset(new fw::Edit(container, *window));
    box->SetColor(fw::clBtnFace);
    box->SetWidth(box->Scale(FieldWidth));
    // The starting text is no change: the handler comes after it.
    box->SetText(EditText);
    box->OnChange = [this](fw::Edit& sender) {
        EditText = sender.Text();
        ValueChanged();
    };
    box->OnKeyDown = [this](fw::Edit&, WORD& key, fw::ShiftState shift) { FieldKeyDown(key, shift); };
    box->SetCtl3D(false);
}

void TEditStringButton::SizeControls() {
    if (EditBox) EditBox->SetWidth(EditBox->Scale(FieldWidth));
}

SIZE TEditStringButton::ControlSize() const {
    return EditBox ? SIZE{EditBox->Width(), EditBox->Height()} : SIZE{};
}

void TEditStringButton::Measure() {
    fw::Canvas* canvas = GetCanvas();
    if (!canvas || !EditBox) return;
    canvas->GetFont().Assign(GetFont());
    const SIZE prefix = canvas->TextExtent(Prefix);
    const SIZE suffix = canvas->TextExtent(Suffix);
    PrefixWidth = prefix.cx;
    PrefixHeight = prefix.cy;
    SuffixWidth = suffix.cx;
    SuffixHeight = suffix.cy;
    SizeControls();
    const SIZE control = ControlSize();
    ControlWidth = control.cx;
    SetWidth(PrefixWidth + Scale(GapBefore) + ControlWidth + Scale(GapAfter) + SuffixWidth);
    SetHeight(std::max({PrefixHeight, SuffixHeight, static_cast<int>(control.cy)}));
    PlaceControls();
}

void TEditStringButton::PlaceControls() {
    if (!EditBox || !MenuWindow()) return;
    const POINT at = WindowPoint(PrefixWidth + Scale(GapBefore), 0);
    EditBox->SetBounds(at.x, at.y, EditBox->Width(), EditBox->Height());
}

TPopupButtonBase& TEditStringButton::SetLeft(int v) {
    TEditCaptionButton::SetLeft(v);
    PlaceControls();
    return *this;
}

TPopupButtonBase& TEditStringButton::SetTop(int v) {
    TEditCaptionButton::SetTop(v);
    PlaceControls();
    return *this;
}

void TEditStringButton::Paint() {
    TPopupButton::Paint();
    fw::Canvas* canvas = GetCanvas();
    if (!canvas) return;
    if (EditBox) {
        // The field looks like the row under it: navy with white text while the row is highlighted.
        const fw::Font& font = canvas->GetFont();
        if (!EditBox->GetFont().SameAs(font) || EditBox->GetFont().GetColor() != font.GetColor())
            EditBox->SetFont(font);
        EditBox->SetColor(canvas->GetBrush().GetColor());
    }
    if (FaceLoaded()) canvas->GetBrush().SetStyle(fw::BrushStyle::Clear);
    const RECT r = BoundsRect();
    const int middle = Height() / 2;
    const RECT prefix{r.left, r.top, r.left + PrefixWidth, r.bottom};
    canvas->TextRect(prefix, prefix.left, r.top + middle - PrefixHeight / 2, Prefix);
    const int suffixLeft = r.left + PrefixWidth + Scale(GapBefore) + ControlWidth + Scale(GapAfter);
    const RECT suffix{suffixLeft, r.top, suffixLeft + SuffixWidth, r.bottom};
    canvas->TextRect(suffix, suffix.left, r.top + middle - SuffixHeight / 2, Suffix);
    canvas->GetBrush().SetColor(ContainerColor());
}

void TEditStringButton::Activate() {
    if (!EditBox) return;
    EditBox->SetFocus();
    EditBox->SelectAll();
}

void TEditStringButton::FieldKeyDown(WORD& key, fw::ShiftState shift) {
    PassNavigationKey(key, shift);
}

bool TEditStringButton::IsNavigationKey(WORD key, fw::ShiftState shift) noexcept {
    const fw::ShiftState held = shift & kModifierKeys;
    if (key == VK_ESCAPE || key == VK_UP || key == VK_DOWN) return held == 0;
    // Shift + Tab goes back; it is no usable hotkey either.
    if (key == VK_TAB) return held == 0 || held == fw::ssShift;
    return false;
}

bool TEditStringButton::PassNavigationKey(WORD& key, fw::ShiftState shift) {
    if (!IsNavigationKey(key, shift)) return false;
    const WORD pressed = key;
    // Handled here: the field itself would only beep.
    key = 0;
    TEntryScope scope(*this);
    TPopupMenuBase* window = MenuWindow();
    if (Marked() || !window || !EditBox) return true;
    if (pressed == VK_ESCAPE) {
        // The field has the focus, so the menu window would never see the key that closes it.
        ::SendMessageW(window->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    } else if (pressed == VK_UP || pressed == VK_DOWN) {
        // A one-line field has no lines to move between: the key goes back to the rows, from this one.
        window->ButtonManager->SetHighlight(this);
        window->SetFocus();
        ::SendMessageW(window->Handle(), WM_KEYDOWN, pressed, 0);
    } else if (HWND next = ::GetNextDlgTabItem(window->Handle(), EditBox->Handle(),
                                               (shift & fw::ssShift) ? TRUE : FALSE)) {
        ::SetFocus(next);
    }
    return true;
}

void TEditStringButton::ValueChanged() {
    // Called from the row's controls, outside the mouse routing.
    TEntryScope scope(*this);
    if (Marked() || !OnValueChange) return;
    OnValueChange(*this);
}

// ---- TEditHotkeyButton

TEditHotkeyButton::TEditHotkeyButton(std::wstring prefix, std::wstring editText, std::wstring suffix,
                                     int modifiers, int key)
    : TEditStringButton(std::move(prefix), std::move(editText), std::move(suffix)),
      Modifiers(modifiers),
      Key(key),
      StoredModifiers(modifiers),
      StoredKey(key) {}

void TEditHotkeyButton::Attach(TPopupButtonManager* container) {
    TEditStringButton::Attach(container);
    if (!EditBox) return;
    FieldWidth = kHotkeyFieldWidth;
    EditBox->SetWidth(EditBox->Scale(FieldWidth));
    // The field shows keys, it is not typed in: its text changes only here.
    EditBox->OnChange = nullptr;
    EditBox->SetReadOnly(true);
    EditBox->SetText(HotKeyText(static_cast<unsigned short>(Key), ModifiersToShiftState(Modifiers)));
    EditBox->OnKeyUp = [this](fw::Edit&, WORD& key, fw::ShiftState shift) { FieldKeyUp(key, shift); };
}

void TEditHotkeyButton::CaptureHotkey(WORD key, fw::ShiftState shift) {
    int modifiers = 0;
    if (shift & fw::ssShift) modifiers |= MOD_SHIFT;
    if (shift & fw::ssAlt) modifiers |= MOD_ALT;
    if (shift & fw::ssCtrl) modifiers |= MOD_CONTROL;
    Modifiers = modifiers;
    Key = key;
    if (EditBox) EditBox->SetText(HotKeyText(key, shift));
}

void TEditHotkeyButton::FieldKeyDown(WORD& key, fw::ShiftState shift) {
    if (PassNavigationKey(key, shift)) return;
    // Every key is shown, modifiers on their own too, so the user sees the combination grow; the key goes
    // on to the read-only field, which types nothing.
    CaptureHotkey(key, shift);
    ValueChanged();
}

void TEditHotkeyButton::FieldKeyUp(WORD key, fw::ShiftState shift) {
    if (IsNavigationKey(key, shift)) return;
    if (shift & kModifierKeys) {
        // A modifier pressed alone follows the keys still held; a named key waits for them.
        if (!KeyName(Key).empty()) return;
        CaptureHotkey(key, shift);
        ValueChanged();
        return;
    }
    // Every key is up: the field shows what is stored (the combination just pressed, if the settings took
    // it).
    Modifiers = StoredModifiers;
    Key = StoredKey;
    if (EditBox)
        EditBox->SetText(HotKeyText(static_cast<unsigned short>(Key), ModifiersToShiftState(Modifiers)));
}

// ---- TEditFileNameButton

void TEditFileNameButton::WillFreeLater() noexcept {
    TEditStringButton::WillFreeLater();
    // The row has left its window; the container may go before the row does, taking what it owns.
    BrowseButton.reset();
    OpenDialog.reset();
}

void TEditFileNameButton::Attach(TPopupButtonManager* container) {
    TEditStringButton::Attach(container);
    TPopupMenuBase* window = MenuWindow();
    if (!EditBox || !window || BrowseButton) return;
    FieldWidth = kFileFieldWidth;
    EditBox->SetWidth(EditBox->Scale(FieldWidth));
    OpenDialog.reset(new fw::OpenDialog(container));
    TDropBox* button = BrowseButton.reset(new TDropBox(container, *window));
    button->SetText(L"参照");
    button->SetBounds(button->Left(), button->Top(), button->Scale(kBrowseWidth),
                      button->Scale(kBrowseHeight));
    button->OnDropFiles = [this](TDropBox& sender) { FilesDropped(sender); };
    button->OnClick = [this](fw::Button&) { Browse(); };
    button->SetDropAccept(true);
    button->SetVisible(true);
}

void TEditFileNameButton::SizeControls() {
    TEditStringButton::SizeControls();
    if (BrowseButton) {
        BrowseButton->SetBounds(BrowseButton->Left(), BrowseButton->Top(), BrowseButton->Scale(kBrowseWidth),
                                BrowseButton->Scale(kBrowseHeight));
    }
}

SIZE TEditFileNameButton::ControlSize() const {
    const SIZE field = TEditStringButton::ControlSize();
    if (!BrowseButton) return field;
    return SIZE{field.cx + Scale(kButtonGap) + BrowseButton->Width(),
                std::max<LONG>(field.cy, BrowseButton->Height())};
}

void TEditFileNameButton::PlaceControls() {
    TEditStringButton::PlaceControls();
    if (!BrowseButton || !EditBox || !MenuWindow()) return;
    const POINT at = WindowPoint(PrefixWidth + Scale(GapBefore) + EditBox->Width() + Scale(kButtonGap), 0);
    BrowseButton->SetBounds(at.x, at.y, BrowseButton->Width(), BrowseButton->Height());
}

void TEditFileNameButton::FilesDropped(TDropBox& sender) {
    TEntryScope scope(*this);
    if (Marked() || !EditBox || sender.FileCount() == 0) return;
    // Through the field, whose change reaches the listener.
    EditBox->SetText(sender.FileNames.front());
}

void TEditFileNameButton::Browse() {
    // The dialog runs its own loop inside the button's click: hold the row, its container and its window,
    // and keep the menus from closing while the dialog has the focus.
    TEntryScope scope(*this);
    TCloseRefusal refusal(Container());
    TPopupMenuBase* window = MenuWindow();
    if (Marked() || !OpenDialog || !window) return;
    // A row freed meanwhile frees the dialog too, and Execute then reports no choice.
    if (!OpenDialog->Execute(window->Handle()) || Marked() || !EditBox) return;
    EditBox->SetText(OpenDialog->FileName);
}
