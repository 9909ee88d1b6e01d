#include "framework/Application.h"
#include "framework/Edit.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/GraphicControl.h"
#include "support/ScreenGrab.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

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

TEST(Form, ParamsGiveTheClassNameAndABorderlessPopupHasNoFrame) {
    fw::Form popup(nullptr, fw::FormParams{L"TBorderlessTestForm", WS_POPUP, WS_EX_TOOLWINDOW});
    wchar_t name[64]{};
    ::GetClassNameW(popup.Handle(), name, 64);
    EXPECT_EQ(std::wstring(name), L"TBorderlessTestForm");
    popup.SetBounds(40, 50, 200, 120);
    popup.Show();
    EXPECT_EQ(popup.ClientWidth(), 200);
    EXPECT_EQ(popup.ClientHeight(), 120);
    EXPECT_FALSE(::GetWindowLongPtrW(popup.Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
    EXPECT_EQ(popup.BorderIcons(), 0u);
    EXPECT_EQ(popup.Caption(), L"");
}

// True while an icon handle is still a live icon.
bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return false;
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return true;
}

TEST(Form, TheFormOwnsItsIconAndDestroysItAfterItsWindow) {
    auto* form = new fw::Form(nullptr);
    HICON first = ::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION));
    HICON second = ::CopyIcon(::LoadIconW(nullptr, IDI_INFORMATION));
    ASSERT_TRUE(IconAlive(first) && IconAlive(second));
    form->SetIcon(fw::unique_hicon(first));
    EXPECT_EQ(form->Icon(), first);
    EXPECT_EQ(::SendMessageW(form->Handle(), WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(first));
    EXPECT_EQ(::SendMessageW(form->Handle(), WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(first));

    form->SetIcon(fw::unique_hicon(second));  // the first one is replaced and goes
    EXPECT_EQ(::SendMessageW(form->Handle(), WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(second));
    EXPECT_FALSE(IconAlive(first));
    EXPECT_TRUE(IconAlive(second));
    form->Free();
    EXPECT_FALSE(IconAlive(second));
}

TEST(Form, OnShowRunsBeforeTheFormIsVisible) {
    fw::Form form(nullptr);
    int shows = 0;
    bool visibleDuringOnShow = true;
    form.OnShow = [&](fw::Form& sender) {
        ++shows;
        visibleDuringOnShow = ::IsWindowVisible(sender.Handle()) != FALSE;
    };
    form.Show();
    EXPECT_EQ(shows, 1);
    EXPECT_FALSE(visibleDuringOnShow);
    EXPECT_TRUE(form.Visible());
}

TEST(Form, OnActivateAndOnDeactivateFollowTheWindowInFront) {
    fw::Form first(nullptr);
    fw::Form second(nullptr);
    first.SetBounds(60, 60, 200, 150);
    second.SetBounds(300, 60, 200, 150);
    int activations = 0;
    int deactivations = 0;
    first.OnActivate = [&](fw::Form&) { ++activations; };
    first.OnDeactivate = [&](fw::Form&) { ++deactivations; };
    auto bringToFront = [](fw::Form& form) {
        return qbtest::WaitUntil([&] {
            if (::GetForegroundWindow() != form.Handle()) ::SetForegroundWindow(form.Handle());
            return ::GetForegroundWindow() == form.Handle();
        });
    };
    first.Show();
    ASSERT_TRUE(bringToFront(first));
    EXPECT_GE(activations, 1);
    EXPECT_EQ(deactivations, 0);

    second.Show();
    ASSERT_TRUE(bringToFront(second));
    EXPECT_TRUE(qbtest::WaitUntil([&] { return deactivations == 1; }));
    const int before = activations;
    ASSERT_TRUE(bringToFront(first));
    EXPECT_EQ(activations, before + 1);
    EXPECT_EQ(deactivations, 1);
}

// A form that paints its own background: two halves, green and blue.
class TwoToneForm : public fw::Form {
public:
    TwoToneForm() : fw::Form(nullptr, fw::FormParams{L"TTwoToneForm", WS_POPUP}) {}

protected:
    void PaintBackground(HDC dc, const RECT& area) override {
        const int half = ClientWidth() / 2;
        fw::unique_hbrush green(::CreateSolidBrush(RGB(0, 160, 0)));
        fw::unique_hbrush blue(::CreateSolidBrush(RGB(0, 0, 200)));
        RECT left{area.left, area.top, half, area.bottom};
        RECT right{half, area.top, area.right, area.bottom};
        ::FillRect(dc, &left, green.get());
        ::FillRect(dc, &right, blue.get());
    }
};

TEST(Form, APaintBackgroundOverridePaintsTheClientArea) {
    TwoToneForm form;
    form.SetBounds(100, 300, 200, 100);
    form.Show();
    ::UpdateWindow(form.Handle());
    qbtest::PumpFor(50ms);
    EXPECT_EQ(qbtest::PixelAt(POINT{110, 350}), (qbtest::Rgb{0, 160, 0}));
    EXPECT_EQ(qbtest::PixelAt(POINT{290, 350}), (qbtest::Rgb{0, 0, 200}));
    EXPECT_EQ(qbtest::PixelAt(POINT{100, 300}), (qbtest::Rgb{0, 160, 0}));  // no frame: the corner too
}

TEST(Form, ScrollingMovesChildControlsAndWindowlessOnes) {
    fw::Form form(nullptr);
    form.SetClientSize(300, 150);
    auto* edit = new fw::Edit(&form, form);
    edit->SetBounds(10, 100, 200, 24);
    auto* graphic = new fw::GraphicControl(&form);
    graphic->SetParent(&form);
    graphic->SetBounds(10, 130, 50, 20);
    // Scrolled before the form is first shown (a form restores its scroll position) and while shown.
    form.VertScrollBar().SetRange(400);
    form.VertScrollBar().SetPosition(40);
    EXPECT_EQ(form.VertScrollBar().Position(), 40);
    EXPECT_EQ(edit->Top(), 60);
    EXPECT_EQ(graphic->Top(), 90);
    edit->SetColor(0x00C08000);  // teal
    form.Show();
    form.VertScrollBar().SetPosition(100);
    EXPECT_EQ(edit->Top(), 0);
    EXPECT_EQ(edit->Left(), 10);
    EXPECT_EQ(graphic->Top(), 30);
    // On the screen too: the edit is drawn at its new place, the form where it was.
    POINT nowAt{200, 12};
    POINT wasAt{200, 72};
    ::ClientToScreen(form.Handle(), &nowAt);
    ::ClientToScreen(form.Handle(), &wasAt);
    qbtest::PumpFor(50ms);
    EXPECT_EQ(qbtest::PixelAt(nowAt), (qbtest::Rgb{0, 0x80, 0xC0}));
    EXPECT_EQ(qbtest::PixelAt(wasAt), qbtest::SysRgb(COLOR_BTNFACE));
    form.VertScrollBar().SetPosition(0);
    EXPECT_EQ(edit->Top(), 100);
    EXPECT_EQ(graphic->Top(), 130);
}

TEST(Application, DeactivationIsRecordedAtOnceAndReportedLater) {
    // Activation changes left by the windows of earlier tests arrive first.
    qbtest::PumpFor(100ms);
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
