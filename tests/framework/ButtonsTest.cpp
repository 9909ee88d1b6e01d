#include "framework/Buttons.h"

#include "framework/Application.h"
#include "framework/Form.h"
#include "support/Input.h"
#include "support/NestedStep.h"
#include "support/ScreenGrab.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

int g_liveObjects = 0;

class CountedForm : public fw::Form {
public:
    explicit CountedForm(fw::Component* owner) : fw::Form(owner, fw::FormParams{L"TButtonTestForm"}) {
        ++g_liveObjects;
    }
    ~CountedForm() override { --g_liveObjects; }
};

class CountedButton : public fw::Button {
public:
    CountedButton(fw::Component* owner, fw::Form& parent) : fw::Button(owner, parent) { ++g_liveObjects; }
    ~CountedButton() override { --g_liveObjects; }
};

// A form in front of everything, for real clicks on its controls.
class ButtonsOnForm : public testing::Test {
protected:
    void SetUp() override {
        g_liveObjects = 0;
        form_ = new CountedForm(fw::App());
        form_->SetBounds(150, 120, 320, 200);
        form_->Show();
        ASSERT_TRUE(qbtest::WaitUntil([&] {
            ::SetForegroundWindow(form_->Handle());
            return ::GetForegroundWindow() == form_->Handle();
        }));
    }
    void TearDown() override {
        if (form_) delete form_;
        qbtest::MoveMouseTo(POINT{5, 5});
    }

    // A user's click in the middle of a control.
    static void Click(const fw::ChildControl& control) {
        RECT r{};
        ::GetWindowRect(control.Handle(), &r);
        qbtest::MoveMouseTo(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        qbtest::PressLeft();
        qbtest::ReleaseLeft();
    }

    fw::Form* form_ = nullptr;
};

TEST_F(ButtonsOnForm, AClickRaisesOnClickOnceAndADisabledButtonIgnoresIt) {
    auto* button = new fw::Button(form_, *form_);
    button->SetBounds(20, 20, 120, 30);
    button->SetText(L"実行(&R)");
    int clicks = 0;
    button->OnClick = [&](fw::Button& sender) {
        EXPECT_EQ(&sender, button);
        ++clicks;
    };
    Click(*button);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return clicks == 1; }));
    qbtest::PumpFor(50ms);
    EXPECT_EQ(clicks, 1);

    button->SetEnabled(false);
    Click(*button);
    qbtest::PumpFor(50ms);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ButtonsOnForm, AButtonWithAModalResultEndsShowModalWithIt) {
    auto* cancel = new fw::Button(form_, *form_);
    cancel->SetBounds(20, 20, 100, 30);
    cancel->ModalResult = IDCANCEL;
    auto* ok = new fw::Button(form_, *form_);
    ok->SetBounds(140, 20, 100, 30);
    ok->ModalResult = IDOK;
    int clicks = 0;
    ok->OnClick = [&](fw::Button&) { ++clicks; };
    form_->Hide();
    qbtest::NestedStep user(
        [&] {
            if (!form_->Visible()) return false;
            Click(*ok);
            return true;
        },
        [&] { form_->SetModalResult(IDABORT); });
    EXPECT_EQ(form_->ShowModal(), IDOK);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(form_->Visible());
}

TEST_F(ButtonsOnForm, AClickThatFreesTheFormOrTheButtonItselfLeavesNothingBehind) {
    HWND formWindow = form_->Handle();
    auto* closer = new CountedButton(form_, *form_);
    closer->SetBounds(20, 20, 100, 30);
    HWND buttonWindow = closer->Handle();
    closer->OnClick = [&](fw::Button&) {
        form_->Free();
        EXPECT_EQ(g_liveObjects, 2);  // both wait for the handlers still running
    };
    Click(*closer);
    EXPECT_TRUE(qbtest::WaitUntil([] { return g_liveObjects == 0; }));
    EXPECT_FALSE(::IsWindow(formWindow));
    EXPECT_FALSE(::IsWindow(buttonWindow));
    form_ = nullptr;

    g_liveObjects = 0;
    SetUp();
    auto* selfFreeing = new CountedButton(form_, *form_);
    selfFreeing->SetBounds(20, 20, 100, 30);
    buttonWindow = selfFreeing->Handle();
    selfFreeing->OnClick = [](fw::Button& sender) { sender.Free(); };
    Click(*selfFreeing);
    EXPECT_TRUE(qbtest::WaitUntil([] { return g_liveObjects == 1; }));
    EXPECT_FALSE(::IsWindow(buttonWindow));
    EXPECT_EQ(form_->ComponentCount(), 0);
    EXPECT_TRUE(form_->Visible());
}

// The tick as the user sees it: ink inside the box at the control's left end.
int TickInk(const fw::CheckBox& box) {
    RECT r{};
    ::GetWindowRect(box.Handle(), &r);
    const RECT square{r.left, r.top, r.left + 16, r.bottom};
    return qbtest::ScreenGrab(square).Count(square, [](qbtest::Rgb c) { return c.r + c.g + c.b < 200; });
}

TEST_F(ButtonsOnForm, CheckBoxTicksFromCodeSilentlyAndFromAClickWithOnClick) {
    auto* box = new fw::CheckBox(form_, *form_);
    box->SetBounds(20, 60, 200, 20);
    box->SetText(L"常駐する(&R)");
    int clicks = 0;
    bool checkedInEvent = false;
    box->OnClick = [&](fw::CheckBox& sender) {
        ++clicks;
        checkedInEvent = sender.Checked();
    };
    qbtest::PumpFor(50ms);
    const int emptyInk = TickInk(*box);

    box->SetChecked(true);
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(qbtest::WaitUntil([&] { return TickInk(*box) > emptyInk + 5; })) << emptyInk;
    EXPECT_EQ(clicks, 0);

    Click(*box);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return clicks == 1; }));
    EXPECT_FALSE(box->Checked());
    EXPECT_FALSE(checkedInEvent);
    qbtest::PumpFor(50ms);
    EXPECT_EQ(clicks, 1);
    EXPECT_LE(TickInk(*box), emptyInk + 5);
}

}  // namespace
