// The settings submenu in a real menu window with a real settings record: values typed, pressed, ticked,
// dropped and chosen in the open-file dialog reach the record at once, a menu opened again shows them, and
// the record stores them in the registry when it goes (the key is removed before and after each test).
#include "dialogs/SettingsMenu.h"

#include "dialogs/CheckBoxButton.h"
#include "dialogs/EditStringButton.h"
#include "popup/MenuAccessible.h"
#include "framework/TextConv.h"
#include "support/popup/MenuTest.h"
#include "settings/DataConserver.h"
#include "support/AppTheme.h"
#include "support/DropFiles.h"
#include "support/Input.h"
#include "support/NestedStep.h"
#include "support/SettingsKey.h"
#include "support/TempFolder.h"

#include <dlgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;
using popuptest::MeasureText;

RECT InWindow(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A click `dx` pixels right of the control's centre. A second click on a field goes elsewhere in it: one on
// the same spot soon after would be a double click, which selects a word instead of taking the focus.
void ClickOn(HWND control, int dx = 0) {
    RECT r{};
    ::GetWindowRect(control, &r);
    qbtest::MoveMouseTo(POINT{(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2});
    qbtest::PressLeft();
    qbtest::ReleaseLeft();
}

bool FocusOn(HWND control, int dx = 0) {
    ClickOn(control, dx);
    return qbtest::WaitUntil([control] { return ::GetFocus() == control; });
}

// Replaces a field's text the way a user does: select it all, then type (or delete it).
void TypeOver(const std::wstring& text) {
    qbtest::TapKey(VK_END);
    qbtest::KeyDown(VK_SHIFT);
    qbtest::TapKey(VK_HOME);
    qbtest::KeyUp(VK_SHIFT);
    if (text.empty()) qbtest::TapKey(VK_DELETE);
    qbtest::TypeText(text);
}

void MakeFile(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(h, "BM", 2, &written, nullptr);
    ::CloseHandle(h);
}

// Wine's dialog has no edt1: its file-name field cmb13 is a ComboBoxEx32 around a combo box around the
// edit that takes the name.
HWND FileNameEdit(HWND dialog) {
    HWND field = ::GetDlgItem(dialog, cmb13);
    if (!field) field = ::GetDlgItem(dialog, edt1);
    for (HWND inner = field; inner; inner = ::GetWindow(inner, GW_CHILD)) field = inner;
    return field;
}

class SettingsMenu : public popuptest::MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        settings_ = std::make_unique<TDataConserver>();
        settings_->NoSave = true;
        DataConserver = settings_.get();
    }
    void TearDown() override {
        for (WORD key : {VK_CONTROL, VK_SHIFT, VK_MENU}) {
            if (popuptest::ButtonDown(key)) qbtest::KeyUp(key);
        }
        MenuTest::TearDown();
        DataConserver = nullptr;
        settings_.reset();
    }

    TPopupMenuBase* OpenSettings() {
        TPopupMenuBase* w = NewWindow();
        FillSettingsMenu(*w->ButtonManager);
        ShowAt(w, 30, 60);
        return w;
    }
    template <class T>
    static T* Row(TPopupMenuBase* w, int index) {
        return dynamic_cast<T*>(w->ButtonManager->Entries(index));
    }

    const qbtest::ScratchSettings scratch_;  // no stored settings before or after
    std::unique_ptr<TDataConserver> settings_;
};

TEST_F(SettingsMenu, RowsShowTheRecordsValuesWithEachFieldBetweenItsTexts) {
    settings_->DelayTime = 350;
    settings_->HotKey1 = VK_F5;
    settings_->HotKey2 = MOD_ALT | MOD_SHIFT;
    settings_->HideWhenDeactivate = true;
    settings_->ButtonFaceBmp = L"C:\\絵\\face.bmp";
    TPopupMenuBase* w = OpenSettings();
    ASSERT_EQ(w->ButtonManager->EntryCount(), 7);
    auto* delay = Row<TEditStringButton>(w, 0);
    auto* offsetY = Row<TEditStringButton>(w, 2);
    auto* hotkey = Row<TEditHotkeyButton>(w, 3);
    auto* hide = Row<TCheckBoxButton>(w, 4);
    auto* triangle = Row<TCheckBoxButton>(w, 5);
    auto* face = Row<TEditFileNameButton>(w, 6);
    ASSERT_TRUE(delay && offsetY && hotkey && hide && triangle && face);
    EXPECT_EQ(delay->Prefix + L"|" + delay->Suffix, L"サブメニュー表示まで|ミリ秒待つ");
    EXPECT_EQ(face->Prefix + L"|" + face->Suffix, L"ボタンの背景として|を使う。");
    EXPECT_EQ(delay->EditBox->Text(), L"350");
    EXPECT_EQ(offsetY->EditBox->Text(), L"0");
    EXPECT_EQ(hotkey->EditBox->Text(), L"Shift + Alt + F5");
    EXPECT_TRUE(hide->CheckBox->Checked());
    EXPECT_FALSE(triangle->CheckBox->Checked());
    EXPECT_EQ(face->EditBox->Text(), L"C:\\絵\\face.bmp");
    EXPECT_EQ(face->BrowseButton->Text(), L"参照");
    EXPECT_EQ(face->OpenDialog->Filter, L"ビットマップ(*.bmp)|*bmp");

    // One column; each field at its row's top, just after the prefix; each check box over its row.
    int top = 0;
    for (TPopupButtonBase* row : *w->ButtonManager) {
        EXPECT_EQ(row->Top(), top);
        top += row->Height();
        if (auto* edit = dynamic_cast<TEditStringButton*>(row)) {
            const RECT r = InWindow(edit->EditBox->Handle());
            EXPECT_EQ(edit->PrefixWidth, MeasureText(edit->GetFont(), edit->Prefix).cx);
            EXPECT_EQ(r.left, edit->PrefixWidth + 3);
            EXPECT_EQ(r.top, row->Top());
        } else if (auto* box = dynamic_cast<TCheckBoxButton*>(row)) {
            const RECT r = InWindow(box->CheckBox->Handle());
            EXPECT_EQ(r.right - r.left, MeasureText(box->GetFont(), box->Caption).cx + 25);
            EXPECT_EQ(r.top, row->Top());
        }
    }
    EXPECT_EQ(w->ClientHeight(), top);
    EXPECT_EQ(InWindow(hotkey->EditBox->Handle()).right - InWindow(hotkey->EditBox->Handle()).left, 150);
    const RECT field = InWindow(face->EditBox->Handle());
    const RECT browse = InWindow(face->BrowseButton->Handle());
    EXPECT_EQ(field.right - field.left, 280);
    const RECT besideField{field.right + 2, face->Top(), field.right + 2 + 36, face->Top() + 18};
    EXPECT_TRUE(::EqualRect(&browse, &besideField));
    EXPECT_EQ(face->ControlWidth, 280 + 2 + 36);
    // Nothing was reported while the values were shown.
    EXPECT_EQ(settings_->HotKey1, VK_F5);
    EXPECT_TRUE(settings_->HideWhenDeactivate);

    // The prefix is drawn left of its field.
    const RECT row = popuptest::ScreenRect(delay);
    const RECT prefix{row.left, row.top, row.left + delay->PrefixWidth, row.bottom};
    EXPECT_GT(qbtest::ScreenGrab(prefix).Count(prefix, popuptest::IsDark), 20);
}

TEST_F(SettingsMenu, NumberFieldsStoreTheLastTextThatConvertsAndTabMovesOn) {
    TPopupMenuBase* w = OpenSettings();
    auto* delay = Row<TEditStringButton>(w, 0);
    auto* offsetX = Row<TEditStringButton>(w, 1);
    auto* offsetY = Row<TEditStringButton>(w, 2);
    ASSERT_TRUE(FocusOn(delay->EditBox->Handle()));
    TypeOver(L"12a");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return delay->EditText == L"12a"; }));
    EXPECT_EQ(settings_->DelayTime, 12);
    TypeOver(L"");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return delay->EditBox->Text().empty(); }));
    EXPECT_EQ(delay->EditText, L"");
    EXPECT_EQ(settings_->DelayTime, 12);

    qbtest::TapKey(VK_TAB);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return ::GetFocus() == offsetX->EditBox->Handle(); }));
    TypeOver(L"-7");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return offsetX->EditText == L"-7"; }));
    EXPECT_EQ(settings_->OffsetX, -7);
    qbtest::TapKey(VK_TAB);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return ::GetFocus() == offsetY->EditBox->Handle(); }));
    TypeOver(L"25");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return offsetY->EditText == L"25"; }));
    EXPECT_EQ(settings_->OffsetY, 25);
    EXPECT_EQ(settings_->OffsetX, -7);
    EXPECT_EQ(settings_->DelayTime, 12);
    EXPECT_TRUE(w->Visible());
}

TEST_F(SettingsMenu, TheHotkeyFieldShowsTheKeysPressedAndStoresOnlyAUsableCombination) {
    settings_->HotKey1 = VK_F5;
    settings_->HotKey2 = MOD_ALT;
    TPopupMenuBase* w = OpenSettings();
    auto* hotkey = Row<TEditHotkeyButton>(w, 3);
    auto* hide = Row<TCheckBoxButton>(w, 4);
    HWND field = hotkey->EditBox->Handle();
    const auto stored = [&] { return std::make_pair(settings_->HotKey2, settings_->HotKey1); };
    ASSERT_TRUE(FocusOn(field));
    EXPECT_EQ(hotkey->EditBox->Text(), L"Alt + F5");

    qbtest::KeyDown(VK_CONTROL);
    qbtest::KeyDown(VK_SHIFT);
    qbtest::KeyDown('E');
    ASSERT_TRUE(qbtest::WaitUntil([&] { return hotkey->EditBox->Text() == L"Shift + Ctrl + E"; }))
        << fw::WideToUtf8(hotkey->EditBox->Text());
    EXPECT_EQ(stored(), std::make_pair(6, 69));
    qbtest::KeyUp('E');
    qbtest::KeyUp(VK_SHIFT);
    qbtest::KeyUp(VK_CONTROL);
    qbtest::SettleInput();
    EXPECT_EQ(hotkey->EditBox->Text(), L"Shift + Ctrl + E");
    EXPECT_EQ(stored(), std::make_pair(6, 69));

    // What the record refuses shows while it is held; when the keys go up the field shows what is stored.
    const auto showsStored = [&] { return hotkey->EditBox->Text() == L"Shift + Ctrl + E"; };
    qbtest::KeyDown(VK_CONTROL);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return hotkey->EditBox->Text() == L"Ctrl + "; }));
    qbtest::KeyUp(VK_CONTROL);
    ASSERT_TRUE(qbtest::WaitUntil(showsStored)) << fw::WideToUtf8(hotkey->EditBox->Text());
    qbtest::KeyDown(VK_SHIFT);
    qbtest::KeyDown('A');
    ASSERT_TRUE(qbtest::WaitUntil([&] { return hotkey->EditBox->Text() == L"Shift + A"; }));
    qbtest::KeyUp('A');
    qbtest::KeyUp(VK_SHIFT);
    EXPECT_TRUE(qbtest::WaitUntil(showsStored)) << fw::WideToUtf8(hotkey->EditBox->Text());
    EXPECT_EQ(stored(), std::make_pair(6, 69));

    for (WORD key : {VK_RETURN, VK_BACK, VK_DELETE}) {
        qbtest::KeyDown(key);
        ASSERT_TRUE(qbtest::WaitUntil([&] { return hotkey->Key == key; })) << key;
        qbtest::KeyUp(key);
        EXPECT_TRUE(qbtest::WaitUntil(showsStored)) << key;
        EXPECT_EQ(stored(), std::make_pair(6, 69)) << key;
        EXPECT_EQ(::GetFocus(), field);
    }
    // Only the pair stored at the end changes; the one registered at start stays.
    EXPECT_EQ(settings_->ActiveHotKey1, 69);
    EXPECT_EQ(settings_->ActiveHotKey2, MOD_CONTROL);

    // Tab alone moves on to the next control.
    qbtest::TapKey(VK_TAB);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return ::GetFocus() == hide->CheckBox->Handle(); }));
    EXPECT_EQ(hotkey->Key, 'E');
    EXPECT_EQ(stored(), std::make_pair(6, 69));

    // Escape alone closes the menu window, as anywhere else in it.
    ASSERT_TRUE(FocusOn(field, 40));
    HWND window = w->Handle();
    qbtest::TapKey(VK_ESCAPE);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(window); }));
    EXPECT_EQ(stored(), std::make_pair(6, 69));
}

TEST_F(SettingsMenu, ChangesReachTheRecordAtOnceShowInTheNextMenuAndAreStoredAtTheEnd) {
    qbtest::TempFolder folder(L"settings-drop");
    const std::wstring picture = folder.Child(L"背景 画像.bmp");
    MakeFile(picture);
    settings_->HideWhenDeactivate = true;
    TPopupMenuBase* w = OpenSettings();
    auto* delay = Row<TEditStringButton>(w, 0);
    auto* hotkey = Row<TEditHotkeyButton>(w, 3);
    auto* hide = Row<TCheckBoxButton>(w, 4);
    auto* triangle = Row<TCheckBoxButton>(w, 5);
    auto* face = Row<TEditFileNameButton>(w, 6);

    ClickOn(hide->CheckBox->Handle());
    EXPECT_FALSE(settings_->HideWhenDeactivate);
    ClickOn(triangle->CheckBox->Handle());
    EXPECT_TRUE(settings_->ShowTriangle);

    // Files dropped from the shell on the browse button: the first one is the picture.
    HDROP drop = qbtest::MakeDrop({picture, folder.Child(L"二枚目.bmp")});
    ASSERT_TRUE(
        ::PostMessageW(face->BrowseButton->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return face->EditBox->Text() == picture; }));
    EXPECT_TRUE(qbtest::DropReleased(drop));
    EXPECT_EQ(settings_->ButtonFaceBmp, picture);

    ASSERT_TRUE(FocusOn(delay->EditBox->Handle()));
    TypeOver(L"450");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return settings_->DelayTime == 450; }));
    ASSERT_TRUE(FocusOn(hotkey->EditBox->Handle()));
    qbtest::KeyDown(VK_MENU);
    qbtest::TapKey(VK_F9);
    qbtest::KeyUp(VK_MENU);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return settings_->HotKey1 == VK_F9; }));
    EXPECT_EQ(settings_->HotKey2, MOD_ALT);

    // The submenu closes and opens again.
    HWND first = w->Handle();
    w->Release();
    ASSERT_TRUE(qbtest::WaitUntil([&] { return !::IsWindow(first); }));
    TPopupMenuBase* again = OpenSettings();
    EXPECT_EQ(Row<TEditStringButton>(again, 0)->EditBox->Text(), L"450");
    EXPECT_EQ(Row<TEditHotkeyButton>(again, 3)->EditBox->Text(), L"Alt + F9");
    EXPECT_FALSE(Row<TCheckBoxButton>(again, 4)->CheckBox->Checked());
    EXPECT_TRUE(Row<TCheckBoxButton>(again, 5)->CheckBox->Checked());
    EXPECT_EQ(Row<TEditFileNameButton>(again, 6)->EditBox->Text(), picture);

    // The program's end: the record goes and stores what was changed.
    settings_->NoSave = false;
    DataConserver = nullptr;
    settings_.reset();
    EXPECT_EQ(scratch_.Dword(L"DelayTime"), 450u);
    EXPECT_EQ(scratch_.Dword(L"HotKey1"), static_cast<DWORD>(VK_F9));
    EXPECT_EQ(scratch_.Dword(L"HotKey2"), static_cast<DWORD>(MOD_ALT));
    EXPECT_EQ(scratch_.Dword(L"OffsetX"), 0u);
    EXPECT_EQ(scratch_.Dword(L"HideWhenDeactivate"), 0u);
    EXPECT_EQ(scratch_.Dword(L"ShowTriangle"), 1u);
    EXPECT_EQ(scratch_.String(L"ButtonFaceBmp"), picture);
}

TEST_F(SettingsMenu, TheOpenFileDialogFillsThePathWhileTheMenusRefuseToClose) {
    qbtest::TempFolder folder(L"settings-browse");
    const std::wstring picture = folder.Child(L"夕焼け.bmp");
    MakeFile(picture);
    TPopupMenuBase* w = OpenSettings();
    auto* face = Row<TEditFileNameButton>(w, 6);

    bool refused = false;
    bool chainMayClose = true;
    HWND owner = nullptr;
    std::wstring filter;
    std::wstring stuck;
    qbtest::NestedStep user(
        [&] {
            HWND dialog = qbtest::FindThreadWindow(L"#32770");
            if (!dialog) return false;
            refused = !w->ButtonManager->CloseAllowed;
            chainMayClose = MayCloseChain(w);
            owner = ::GetWindow(dialog, GW_OWNER);
            filter = fw::WindowText(::GetDlgItem(dialog, cmb1));
            // Typed without the extension: the dialog adds the default one.
            const std::wstring typed = folder.Child(L"夕焼け");
            ::SetWindowTextW(FileNameEdit(dialog), typed.c_str());
            ::PostMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            return true;
        },
        [&] {
            HWND dialog = qbtest::FindThreadWindow(L"#32770");
            if (!dialog) return;
            stuck += L"[" + fw::WindowText(dialog) + L"]";
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    ClickOn(face->BrowseButton->Handle());
    ASSERT_TRUE(qbtest::WaitUntil([&] { return user.Done() && !qbtest::FindThreadWindow(L"#32770"); }, 20s));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return face->EditBox->Text() == picture; }))
        << fw::WideToUtf8(face->EditBox->Text()) << fw::WideToUtf8(stuck);
    EXPECT_EQ(settings_->ButtonFaceBmp, picture);
    EXPECT_TRUE(refused);
    EXPECT_FALSE(chainMayClose);
    EXPECT_EQ(owner, w->Handle());
    EXPECT_NE(filter.find(L"ビットマップ"), std::wstring::npos) << fw::WideToUtf8(filter);
    EXPECT_TRUE(w->ButtonManager->CloseAllowed);
    EXPECT_TRUE(w->Visible());
}

TEST_F(SettingsMenu, AScreenReaderHearsEachRowsTextsAndItsFieldsValueOrCheck) {
    settings_->DelayTime = 350;
    settings_->HideWhenDeactivate = true;
    TPopupMenuBase* w = OpenSettings();
    IAccessible* rows = w->Accessible();
    ASSERT_NE(rows, nullptr);
    auto child = [](long id) {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    };
    auto text = [&](HRESULT (IAccessible::*get)(VARIANT, BSTR*), long id) {
        BSTR b = nullptr;
        if (FAILED((rows->*get)(child(id), &b)) || !b) return std::wstring();
        std::wstring t(b, ::SysStringLen(b));
        ::SysFreeString(b);
        return t;
    };
    auto number = [&](HRESULT (IAccessible::*get)(VARIANT, VARIANT*), long id) {
        VARIANT v;
        ::VariantInit(&v);
        return SUCCEEDED((rows->*get)(child(id), &v)) && v.vt == VT_I4 ? v.lVal : -1L;
    };
    // The delay row: its two texts and the number in its field.
    EXPECT_EQ(text(&IAccessible::get_accName, 1), L"サブメニュー表示まで ミリ秒待つ");
    EXPECT_EQ(number(&IAccessible::get_accRole, 1), ROLE_SYSTEM_TEXT);
    EXPECT_EQ(text(&IAccessible::get_accValue, 1), L"350");
    // The file row's field, not its browse button.
    EXPECT_EQ(number(&IAccessible::get_accRole, 7), ROLE_SYSTEM_TEXT);
    // The check box rows: checked as the box is.
    auto* hide = Row<TCheckBoxButton>(w, 4);
    ASSERT_NE(hide, nullptr);
    EXPECT_EQ(text(&IAccessible::get_accName, 5), hide->Caption);
    EXPECT_EQ(number(&IAccessible::get_accRole, 5), ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_TRUE(number(&IAccessible::get_accState, 5) & STATE_SYSTEM_CHECKED);
    ClickOn(hide->CheckBox->Handle());
    EXPECT_TRUE(
        qbtest::WaitUntil([&] { return !(number(&IAccessible::get_accState, 5) & STATE_SYSTEM_CHECKED); }));
}

TEST_F(SettingsMenu, FromTheKeyboardEnterTakesARowsFieldWhichKeepsItsLettersAndDownGoesBackToTheRows) {
    TPopupMenuBase* w = OpenSettings();
    w->TakeFocus(false);
    auto* delay = Row<TEditStringButton>(w, 0);
    auto* hide = Row<TCheckBoxButton>(w, 4);
    qbtest::TapKey(VK_DOWN);
    qbtest::TapKey(VK_RETURN);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return ::GetFocus() == delay->EditBox->Handle(); }));
    qbtest::TapKey('4');
    qbtest::TapKey('S');
    EXPECT_TRUE(qbtest::WaitUntil([&] { return delay->EditText == L"4s"; }))
        << "the menu took the field's letters";
    EXPECT_EQ(w->ButtonManager->HotEntry(), delay);

    // Down leaves the field for the next rows; Enter on a check box row ticks its box.
    for (int i = 0; i < 4; ++i) qbtest::TapKey(VK_DOWN);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return w->ButtonManager->HotEntry() == hide; }));
    EXPECT_TRUE(w->Focused());
    qbtest::PumpFor(100ms);
    const RECT row = popuptest::ScreenRect(hide, 1);
    EXPECT_GT(qbtest::ScreenGrab(row).Count(row, qbtest::Rgb{0, 0, 128}), popuptest::Area(row) / 2)
        << "the box does not show its row's highlight";
    qbtest::TapKey(VK_RETURN);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return settings_->HideWhenDeactivate; }));
    EXPECT_TRUE(hide->CheckBox->Checked());
}

TEST_F(SettingsMenu, InTheDarkThemeFieldsAndCheckBoxesAreDarkAndReadable) {
    const qbtest::AppTheme theme;
    qbtest::AppTheme::SetLight(false);
    settings_->HideWhenDeactivate = true;
    TPopupMenuBase* w = OpenSettings();
    const auto* delay = Row<TEditStringButton>(w, 0);
    const auto* hide = Row<TCheckBoxButton>(w, 4);
    ASSERT_TRUE(delay && delay->EditBox && hide && hide->CheckBox);
    for (const fw::ChildControl* control : {static_cast<const fw::ChildControl*>(delay->EditBox.get()),
                                            static_cast<const fw::ChildControl*>(hide->CheckBox.get())}) {
        RECT r;
        ::GetWindowRect(control->Handle(), &r);
        const qbtest::TextLook look = qbtest::LookOf(r);
        EXPECT_LT(qbtest::Luminance(look.back), 0.05) << look.back;
        EXPECT_GE(look.Contrast(), 4.5) << look.ink << " on " << look.back;
    }
}

}  // namespace
