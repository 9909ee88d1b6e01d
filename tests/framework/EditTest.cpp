#include "framework/Edit.h"

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "support/Input.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace {

using namespace std::chrono_literals;

using qbtest::TypeText;

// A form on the display with one edit control, in front and with the keyboard focus in the edit.
class EditOnForm : public testing::Test {
protected:
    void SetUp() override {
        form_ = new fw::Form(fw::App(), fw::FormParams{L"TEditTestForm"});
        form_->SetBounds(120, 90, 320, 140);
        edit_ = new fw::Edit(form_, *form_);
        edit_->SetBounds(10, 10, 260, 24);
        form_->Show();
    }
    void TearDown() override { delete form_; }

    // Other programs may share the display: ask again until the form is in front and the edit has focus.
    bool FocusEdit() {
        return qbtest::WaitUntil([&] {
            if (::GetForegroundWindow() != form_->Handle()) ::SetForegroundWindow(form_->Handle());
            if (::GetFocus() != edit_->Handle()) edit_->SetFocus();
            return ::GetForegroundWindow() == form_->Handle() && ::GetFocus() == edit_->Handle();
        });
    }

    fw::Form* form_ = nullptr;
    fw::Edit* edit_ = nullptr;
};

TEST_F(EditOnForm, JapaneseTextRoundTrips) {
    const std::wstring text = L"新しいフォルダ（２）～ａｂｃ 𠀋";
    edit_->SetText(text);
    EXPECT_EQ(edit_->Text(), text);
    wchar_t buffer[64]{};
    ::GetWindowTextW(edit_->Handle(), buffer, 64);
    EXPECT_EQ(std::wstring(buffer), text);
    edit_->SetText(L"");
    EXPECT_EQ(edit_->Text(), L"");
}

TEST_F(EditOnForm, IsAChildEditWindowOfTheForm) {
    HWND h = edit_->Handle();
    ASSERT_TRUE(::IsWindow(h));
    EXPECT_EQ(::GetParent(h), form_->Handle());
    wchar_t cls[16]{};
    ::GetClassNameW(h, cls, 16);
    EXPECT_EQ(_wcsicmp(cls, L"Edit"), 0);
    EXPECT_TRUE(::GetWindowLongPtrW(h, GWL_STYLE) & ES_AUTOHSCROLL);
    EXPECT_TRUE(::SendMessageW(h, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);

    RECT r;
    ::GetWindowRect(h, &r);
    ::MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 260);

    EXPECT_TRUE(edit_->Visible());
    edit_->SetVisible(false);
    EXPECT_FALSE(edit_->Visible());
    EXPECT_FALSE(::IsWindowVisible(h));
    edit_->SetVisible(true);
    form_->Hide();
    EXPECT_TRUE(edit_->Visible());  // its own state, not the parent's

    fw::Font font;
    font.SetName(L"Noto Sans CJK JP");
    font.SetHeight(20);
    edit_->SetFont(font);
    HFONT used = reinterpret_cast<HFONT>(::SendMessageW(h, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    ASSERT_TRUE(::GetObjectW(used, sizeof(lf), &lf));
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Noto Sans CJK JP");
    EXPECT_EQ(lf.lfHeight, -20);
}

TEST_F(EditOnForm, TypingRaisesOnChange) {
    std::vector<std::wstring> seen;
    edit_->OnChange = [&](fw::Edit& sender) { seen.push_back(sender.Text()); };
    ASSERT_TRUE(FocusEdit());
    TypeText(L"あa");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return edit_->Text() == L"あa"; }))
        << "text: " << edit_->Text().size();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], L"あ");
    EXPECT_EQ(seen[1], L"あa");

    edit_->SelectAll();
    TypeText(L"字");
    EXPECT_TRUE(qbtest::WaitUntil([&] { return edit_->Text() == L"字"; }));
}

TEST_F(EditOnForm, EnterAndEscapeReachOnKeyDownAndCanBeSwallowed) {
    std::vector<WORD> keys;
    bool swallow = true;
    edit_->OnKeyDown = [&](fw::Edit&, WORD& key, fw::ShiftState) {
        keys.push_back(key);
        if (swallow && (key == VK_RETURN || key == VK_ESCAPE || key == 'Q')) key = 0;
    };
    ASSERT_TRUE(FocusEdit());
    qbtest::TapKey(VK_RETURN);
    qbtest::TapKey(VK_ESCAPE);
    qbtest::TapKey('Q');  // swallowed: its character must not be typed either
    qbtest::TapKey('W');  // not swallowed: typed as usual
    ASSERT_TRUE(qbtest::WaitUntil([&] { return keys.size() >= 4; }));
    EXPECT_EQ(keys, (std::vector<WORD>{VK_RETURN, VK_ESCAPE, 'Q', 'W'}));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return edit_->Text() == L"w"; })) << edit_->Text().size();

    // Keys that are let through still work: Escape goes on to the control.
    swallow = false;
    qbtest::TapKey(VK_ESCAPE);
    ASSERT_TRUE(qbtest::WaitUntil([&] { return keys.size() >= 5; }));
    EXPECT_EQ(keys.back(), VK_ESCAPE);
}

TEST_F(EditOnForm, OnExitWhenTheFocusMovesToTheForm) {
    int exits = 0;
    edit_->OnExit = [&](fw::Edit& sender) {
        EXPECT_EQ(&sender, edit_);
        ++exits;
    };
    ASSERT_TRUE(FocusEdit());
    EXPECT_EQ(exits, 0);
    ::SetFocus(form_->Handle());
    EXPECT_TRUE(qbtest::WaitUntil([&] { return exits == 1; }));
    EXPECT_EQ(::GetFocus(), form_->Handle());
}

TEST_F(EditOnForm, AHandlerMayFreeTheControl) {
    HWND h = edit_->Handle();
    edit_->OnKeyDown = [&](fw::Edit& sender, WORD&, fw::ShiftState) {
        sender.Free();
        edit_ = nullptr;
    };
    ::SendMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(edit_, nullptr);
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(form_->ComponentCount(), 0);
}

TEST_F(EditOnForm, ExceptionsInHandlersGoToTheExceptionDisplay) {
    qbtest::ReportedExceptions().clear();
    edit_->OnKeyDown = [](fw::Edit&, WORD&, fw::ShiftState) { throw fw::Exception(L"キーが壊れました"); };
    edit_->OnChange = [](fw::Edit&) { throw fw::Exception(L"変更"); };
    ::SendMessageW(edit_->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    edit_->SetText(L"x");  // EN_CHANGE comes back through the form
    ASSERT_EQ(qbtest::ReportedExceptions().size(), 2u);
    EXPECT_EQ(qbtest::ReportedExceptions()[0], L"キーが壊れました");
    EXPECT_EQ(qbtest::ReportedExceptions()[1], L"変更");
    EXPECT_TRUE(::IsWindow(edit_->Handle()));
    qbtest::ReportedExceptions().clear();
}

TEST_F(EditOnForm, ReadOnlyKeepsTypingOutButReportsKeysDownAndUpWithTheirShiftState) {
    // The hotkey field: the user presses a combination and the program shows it.
    struct Key {
        WORD key;
        fw::ShiftState shift;
        bool operator==(const Key&) const = default;
    };
    std::vector<Key> downs;
    std::vector<Key> ups;
    edit_->OnKeyDown = [&](fw::Edit&, WORD& key, fw::ShiftState shift) { downs.push_back({key, shift}); };
    edit_->OnKeyUp = [&](fw::Edit&, WORD& key, fw::ShiftState shift) { ups.push_back({key, shift}); };
    edit_->SetText(L"なし");
    edit_->SetReadOnly(true);
    EXPECT_TRUE(edit_->ReadOnly());
    ASSERT_TRUE(FocusEdit());
    qbtest::KeyDown(VK_CONTROL);
    qbtest::KeyDown(VK_SHIFT);
    qbtest::KeyDown('E');
    qbtest::KeyUp('E');
    qbtest::KeyUp(VK_SHIFT);
    qbtest::KeyUp(VK_CONTROL);
    TypeText(L"x字");
    ASSERT_TRUE(qbtest::WaitUntil([&] { return ups.size() >= 3 && ups[2].key == VK_CONTROL; }));
    const fw::ShiftState both = fw::ssCtrl | fw::ssShift;
    EXPECT_EQ(downs.at(0), (Key{VK_CONTROL, fw::ssCtrl}));
    EXPECT_EQ(downs.at(1), (Key{VK_SHIFT, both}));
    EXPECT_EQ(downs.at(2), (Key{'E', both}));
    EXPECT_EQ(ups.at(0), (Key{'E', both}));
    EXPECT_EQ(ups.at(1), (Key{VK_SHIFT, fw::ssCtrl}));
    EXPECT_EQ(ups.at(2), (Key{VK_CONTROL, 0}));
    qbtest::PumpFor(50ms);
    EXPECT_EQ(edit_->Text(), L"なし");
}

TEST_F(EditOnForm, Ctl3DChoosesBetweenTheSunkenAndAFlatOnePixelBorder) {
    HWND h = edit_->Handle();
    auto frame = [h] {
        RECT window{}, client{};
        ::GetWindowRect(h, &window);
        ::GetClientRect(h, &client);
        return ((window.right - window.left) - client.right) / 2;
    };
    EXPECT_EQ(frame(), ::GetSystemMetrics(SM_CXEDGE));
    edit_->SetCtl3D(false);
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(edit_->Width(), 260);  // the same place on the form
    edit_->SetCtl3D(true);
    EXPECT_EQ(frame(), ::GetSystemMetrics(SM_CXEDGE));
}

TEST(Edit, LivesAsLongAsItsOwnerAndNoLongerThanItsParentWindow) {
    fw::Form form(nullptr);
    auto* owner = new fw::Component(nullptr);
    auto* edit = new fw::Edit(owner, form);
    HWND h = edit->Handle();
    ASSERT_TRUE(::IsWindow(h));
    delete owner;  // frees the edit, which destroys its window
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_TRUE(::IsWindow(form.Handle()));

    // The parent window going first takes the control window with it; the object stays usable.
    auto* parent = new fw::Form(nullptr);
    fw::Component keeper(nullptr);
    auto* orphan = new fw::Edit(&keeper, *parent);
    h = orphan->Handle();
    int changes = 0;
    orphan->OnChange = [&](fw::Edit&) { ++changes; };
    delete parent;
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(orphan->Handle(), nullptr);
    orphan->SetText(L"誰もいない");
    EXPECT_EQ(orphan->Text(), L"");
    EXPECT_EQ(changes, 0);
}

}  // namespace
