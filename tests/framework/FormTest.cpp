#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace std::chrono_literals;

int g_liveForms = 0;

class CountedForm : public fw::Form {
public:
    explicit CountedForm(fw::Component* owner) : fw::Form(owner, fw::FormParams{L"TCountedForm"}) {
        ++g_liveForms;
    }
    ~CountedForm() override { --g_liveForms; }
};

class ThrowingForm : public fw::Form {
public:
    explicit ThrowingForm(fw::Component* owner) : fw::Form(owner, fw::FormParams{L"TThrowingForm"}) {}

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_APP + 7) throw fw::Exception(L"壊れました");
        if (msg == WM_APP + 8) throw std::runtime_error("plain");
        return fw::Form::WndProc(msg, wParam, lParam);
    }
};

TEST(Form, ReleaseFreesTheFormOnlyAfterTheCurrentHandlersReturn) {
    g_liveForms = 0;
    auto* form = new CountedForm(fw::App());
    HWND hwnd = form->Handle();
    ASSERT_TRUE(::IsWindow(hwnd));
    form->Release();
    EXPECT_EQ(g_liveForms, 1);  // still alive until the posted message arrives
    EXPECT_TRUE(qbtest::WaitUntil([] { return g_liveForms == 0; }));
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(Form, CloseRunsTheCloseEventAndFollowsItsAction) {
    g_liveForms = 0;
    auto* form = new CountedForm(fw::App());
    form->Show();
    ASSERT_TRUE(form->Visible());

    fw::CloseAction next = fw::CloseAction::None;
    int closes = 0;
    form->OnClose = [&](fw::Form&, fw::CloseAction& action) {
        ++closes;
        EXPECT_EQ(action, fw::CloseAction::Hide);  // the default
        action = next;
    };
    // The close box arrives as WM_CLOSE.
    ::SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(form->Visible());

    next = fw::CloseAction::Hide;
    form->Close();
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(g_liveForms, 1);

    next = fw::CloseAction::Free;
    form->Close();
    EXPECT_TRUE(qbtest::WaitUntil([] { return g_liveForms == 0; }));
}

TEST(Form, FreeingTheOwnerFreesOwnedFormsAndTheirWindows) {
    g_liveForms = 0;
    auto* parent = new CountedForm(fw::App());
    auto* child = new CountedForm(parent);
    HWND childWindow = child->Handle();
    child->Release();  // a release still pending when the owner goes must not run on a freed form
    delete parent;
    EXPECT_EQ(g_liveForms, 0);
    EXPECT_FALSE(::IsWindow(childWindow));
    qbtest::PumpFor(50ms);
    EXPECT_EQ(g_liveForms, 0);
}

TEST(Form, GeometryCaptionAndBorderIcons) {
    CountedForm form(nullptr);
    form.SetCaption(L"デスクトップ");
    EXPECT_EQ(form.Caption(), L"デスクトップ");

    form.SetBounds(30, 40, 300, 200);
    EXPECT_EQ(form.Left(), 30);
    EXPECT_EQ(form.Top(), 40);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 200);
    form.SetClientWidth(150);
    form.SetClientHeight(90);
    EXPECT_EQ(form.ClientWidth(), 150);
    EXPECT_EQ(form.ClientHeight(), 90);
    EXPECT_EQ(form.Left(), 30);

    form.SetBorderIcons(fw::biSystemMenu);
    const LONG_PTR style = ::GetWindowLongPtrW(form.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_CAPTION);
    // Owned by the application window: no task-bar button of its own.
    EXPECT_EQ(::GetWindow(form.Handle(), GW_OWNER), fw::App()->Handle());
}

TEST(Form, KeyDownReachesTheKeyEvent) {
    CountedForm form(nullptr);
    WORD seen = 0;
    form.OnKeyDown = [&](fw::Form&, WORD& key, fw::ShiftState) { seen = key; };
    ::PostMessageW(form.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return seen == VK_ESCAPE; }));
}

TEST(Form, ExceptionsInHandlersGoToTheExceptionDisplay) {
    qbtest::ReportedExceptions().clear();
    ThrowingForm form(nullptr);
    ::SendMessageW(form.Handle(), WM_APP + 7, 0, 0);
    ::SendMessageW(form.Handle(), WM_APP + 8, 0, 0);
    ASSERT_EQ(qbtest::ReportedExceptions().size(), 2u);
    EXPECT_EQ(qbtest::ReportedExceptions()[0], L"壊れました");
    EXPECT_EQ(qbtest::ReportedExceptions()[1], L"plain");
    EXPECT_TRUE(::IsWindow(form.Handle()));
}

TEST(Application, DeactivationIsRecordedAtOnceAndReportedLater) {
    fw::Application* app = fw::App();
    int deactivations = 0;
    bool activeWhenReported = true;
    app->OnDeactivate = [&] {
        ++deactivations;
        activeWhenReported = app->Active();
    };
    app->ActivateAppChanged(true);
    qbtest::PumpFor(20ms);
    app->ActivateAppChanged(false);
    EXPECT_FALSE(app->Active());
    EXPECT_EQ(deactivations, 0);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return deactivations == 1; }));
    EXPECT_FALSE(activeWhenReported);
    app->ActivateAppChanged(false);  // no change, no second event
    qbtest::PumpFor(20ms);
    EXPECT_EQ(deactivations, 1);
    app->OnDeactivate = nullptr;
}

}  // namespace
