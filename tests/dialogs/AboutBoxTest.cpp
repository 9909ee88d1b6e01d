// The super label and the about box on the display: gradients, shadows and the tinted glass are read
// back from the screen; the box is closed with a real click and with real keys, and its owner is freed
// under its loop.
#include "dialogs/CopyrightForm.h"
#include "dialogs/SuperLabel.h"

#include "framework/Form.h"
#include "framework/Lifetime.h"
#include "popup/PopupButton.h"
#include "support/Input.h"
#include "support/popup/MenuTest.h"
#include "support/NestedStep.h"
#include "support/Process.h"
#include "support/ScreenGrab.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using qbtest::Rgb;
using qbtest::ScreenGrab;

constexpr fw::Color kRed = 0x000000FF;
constexpr fw::Color kBlue = 0x00FF0000;

// A plain borderless form to put labels on.
class Host : public fw::Form {
public:
    explicit Host(fw::Color color) : fw::Form(nullptr, fw::FormParams{L"TSuperLabelHost", WS_POPUP}) {
        SetColor(color);
        SetBounds(100, 100, 320, 120);
    }
    TSuperLabel* AddLabel(int left, int top, int width, int height) {
        auto* label = new TSuperLabel(this);
        label->SetParent(this);
        label->SetBounds(left, top, width, height);
        return label;
    }
    void ShowPainted() {
        Show();
        ::UpdateWindow(Handle());
        qbtest::PumpFor(50ms);
    }
    RECT OnScreen(const TSuperLabel& label) const {
        const POINT tl = label.ClientToScreen(POINT{0, 0});
        return RECT{tl.x, tl.y, tl.x + label.Width(), tl.y + label.Height()};
    }
};

// The pixels of one colour (within a tolerance that smoothing leaves alone) and their far corner.
struct Ink {
    int count = 0;
    LONG right = -1;
    LONG bottom = -1;
};
template <class Test>
Ink FindInk(const ScreenGrab& grab, const RECT& r, Test test) {
    Ink ink;
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) {
            if (!test(grab.At(POINT{x, y}))) continue;
            ++ink.count;
            ink.right = std::max(ink.right, x);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}
bool IsRed(Rgb c) {
    return c.r > 200 && c.g < 80 && c.b < 80;
}
bool IsBlue(Rgb c) {
    return c.b > 200 && c.r < 80 && c.g < 80;
}

TEST(SuperLabel, FontWeightIsClampedAndTheDefaultsAreAPlainCentredCaption) {
    TSuperLabel label(nullptr);
    EXPECT_EQ(label.Width(), 60);
    EXPECT_EQ(label.Height(), 25);
    EXPECT_EQ(label.FontWeight(), 400);
    EXPECT_EQ(label.Caption(), L"SuperLabel");
    EXPECT_EQ(label.HorizontalAlignment(), taHCenter);
    EXPECT_EQ(label.VerticalAlignment(), taVCenter);
    EXPECT_EQ(label.DirGradation(), taNoGradation);
    label.SetFontWeight(1500);
    EXPECT_EQ(label.FontWeight(), 1000);
    label.SetFontWeight(-5);
    EXPECT_EQ(label.FontWeight(), 0);
    label.SetFontWeight(700);
    EXPECT_EQ(label.FontWeight(), 700);
}

TEST(SuperLabel, TextOriginPlacesTheRotatedTextsBox) {
    TSuperLabel label(nullptr);
    label.SetBounds(0, 0, 100, 80);
    label.SetFontHeight(20);
    label.SetAngle(faBottomToTop);
    EXPECT_EQ(label.TextOrigin(30).x, 40);  // (W - T) / 2
    EXPECT_EQ(label.TextOrigin(30).y, 55);  // (L + H) / 2: the text runs up from there
    // Wider than the label: halves truncate toward zero.
    label.SetAngle(faLeftToRight);
    EXPECT_EQ(label.TextOrigin(135).x, -17);
    EXPECT_EQ(label.TextOrigin(135).y, 30);
    label.SetAngle(faRightToLeft);
    label.SetHorizontalAlignment(taRightJustify);
    label.SetVerticalAlignment(taBottomJustify);
    label.SetLeftRightMargin(4);
    label.SetTopBottomMargin(3);
    EXPECT_EQ(label.TextOrigin(30).x, 96);  // W - M: upside down, the text ends left of here
    EXPECT_EQ(label.TextOrigin(30).y, 77);  // H - N
}

TEST(SuperLabel, AGradientStepsOneLineAtATimeAndStopsAStepShortOfItsEnd) {
    Host host(0x00008000);
    TSuperLabel* across = host.AddLabel(10, 10, 255, 20);
    across->SetCaption(L"");
    across->SetDirGradation(taHorizontalGradation);
    across->SetLeftTopColor(0x000000);
    across->SetRightBottomColor(0xFFFFFF);
    // Red to blue downwards: the colour's low byte is red.
    TSuperLabel* down = host.AddLabel(10, 50, 30, 5);
    down->SetCaption(L"");
    down->SetDirGradation(taVerticalGradation);
    down->SetLeftTopColor(kRed);
    down->SetRightBottomColor(kBlue);
    host.ShowPainted();

    const RECT a = host.OnScreen(*across);
    const ScreenGrab grab(RECT{a.left, a.top, a.right + 1, a.bottom});
    ASSERT_TRUE(grab.Ok());
    int wrong = 0;
    for (int x = 0; x < 255; ++x) {
        for (LONG y : {a.top, a.top + 10, a.bottom - 1}) {
            const Rgb seen = grab.At(POINT{a.left + x, y});
            if (seen != Rgb{x, x, x} && ++wrong <= 3) ADD_FAILURE() << "column " << x << ": " << seen;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(grab.At(POINT{a.left + 254, a.top}), (Rgb{254, 254, 254}));
    EXPECT_EQ(grab.At(POINT{a.right, a.top}), (Rgb{0, 128, 0})) << "the gradient ends with the label";

    const RECT d = host.OnScreen(*down);
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(qbtest::PixelAt(POINT{d.left + 15, d.top + y}), (Rgb{255 - 51 * y, 0, 51 * y}))
            << "row " << y;
    }
}

TEST(SuperLabel, AGradientLabelWithNoWidthIsWidenedToOneColumn) {
    Host host(0x00008000);
    TSuperLabel* label = host.AddLabel(10, 10, 0, 20);
    label->SetDirGradation(taHorizontalGradation);
    label->SetLeftTopColor(kRed);
    host.ShowPainted();
    // The form skips a control with no area; a paint asked of the label itself widens it.
    label->Paint(RECT{0, 0, 0, 20});
    EXPECT_EQ(label->Width(), 1);
    ::UpdateWindow(host.Handle());
    qbtest::PumpFor(50ms);
    const RECT r = host.OnScreen(*label);
    EXPECT_EQ(qbtest::PixelAt(POINT{r.left, r.top + 5}), (Rgb{255, 0, 0}));
    EXPECT_EQ(qbtest::PixelAt(POINT{r.left + 1, r.top + 5}), (Rgb{0, 128, 0}));
}

TEST(SuperLabel, AShadowLiesShadowLeavePixelsRightAndBelowTheText) {
    Host host(fw::clWhite);
    TSuperLabel* label = host.AddLabel(10, 10, 120, 80);
    label->SetCaption(L"H");
    label->SetFontHeight(48);
    label->SetFontWeight(900);
    fw::Font font;
    font.SetColor(kBlue);
    label->SetFont(font);
    label->SetShadow(true);
    label->SetShadowLeave(3);
    label->SetShadowColor(kRed);
    host.ShowPainted();

    const RECT r = host.OnScreen(*label);
    const ScreenGrab shadowed(r);
    const Ink text = FindInk(shadowed, r, IsBlue);
    const Ink shadow = FindInk(shadowed, r, IsRed);
    ASSERT_GT(text.count, 50);
    ASSERT_GT(shadow.count, 20);
    EXPECT_EQ(shadow.right, text.right + 3);
    EXPECT_EQ(shadow.bottom, text.bottom + 3);

    label->SetShadow(false);
    ::UpdateWindow(host.Handle());
    qbtest::PumpFor(50ms);  // Wine hands a window's new pixels to the display a little later
    const ScreenGrab plain(r);
    EXPECT_EQ(FindInk(plain, r, IsRed).count, 0);
    EXPECT_EQ(FindInk(plain, r, IsBlue).count, text.count) << "the text itself stays where it was";
}

// Two plain colours side by side, split at the screen's middle column, under where the about box
// appears.
class Backdrop : public fw::Form {
public:
    static constexpr COLORREF kLeft = RGB(200, 100, 50);
    static constexpr COLORREF kRight = RGB(60, 240, 180);

    Backdrop() : fw::Form(nullptr, fw::FormParams{L"TAboutBackdrop", WS_POPUP}) {
        const int cx = ::GetSystemMetrics(SM_CXSCREEN);
        const int cy = ::GetSystemMetrics(SM_CYSCREEN);
        SetBounds(cx / 2 - 200, cy / 2 - 120, 400, 240);
        Show();
        ::UpdateWindow(Handle());
        qbtest::PumpFor(50ms);
    }

protected:
    void PaintBackground(HDC dc, const RECT& area) override {
        const int half = ClientWidth() / 2;
        fw::unique_hbrush left(::CreateSolidBrush(kLeft));
        fw::unique_hbrush right(::CreateSolidBrush(kRight));
        const RECT l{area.left, area.top, half, area.bottom};
        const RECT r{half, area.top, area.right, area.bottom};
        ::FillRect(dc, &l, left.get());
        ::FillRect(dc, &r, right.get());
    }
};

Rgb Tinted(COLORREF c) {
    return Rgb{GetRValue(c) * 30 / 100, GetGValue(c) * 30 / 100, GetBValue(c) * 70 / 100};
}

// Aqua text on the dark glass, smoothed edges included.
bool IsAquaInk(Rgb c) {
    return c.g > 150 && c.b > 150 && c.r < 100;
}

POINT OnBox(const fw::Form& box, int x, int y) {
    POINT p{x, y};
    ::ClientToScreen(box.Handle(), &p);
    return p;
}

class AboutBox : public testing::Test {
protected:
    void SetUp() override { qbtest::MoveMouseTo(popuptest::kNeutral); }
    void TearDown() override {
        if (box_) box_->Free();
        qbtest::MoveMouseTo(popuptest::kNeutral);
        qbtest::PumpFor(30ms);
    }
    TCopyrightForm* ShowBox() {
        box_ = new TCopyrightForm(nullptr);
        box_->Show();
        ::UpdateWindow(box_->Handle());
        qbtest::PumpFor(50ms);
        return box_;
    }

    Backdrop backdrop_;
    TCopyrightForm* box_ = nullptr;
};

TEST_F(AboutBox, IsACentredBorderlessPopupWithCentredLabelsAndOkAlongTheBottom) {
    TCopyrightForm* box = ShowBox();
    ASSERT_TRUE(box->Visible());
    const LONG_PTR style = ::GetWindowLongPtrW(box->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME));
    EXPECT_EQ(box->Caption(), L"バージョン情報");
    EXPECT_EQ(box->ClientWidth(), 277);
    EXPECT_EQ(box->ClientHeight(), 133);
    EXPECT_EQ(box->Width(), 277) << "no frame";
    EXPECT_EQ(box->Height(), 133);
    EXPECT_EQ(box->Left(), (::GetSystemMetrics(SM_CXSCREEN) - 277) / 2);
    EXPECT_EQ(box->Top(), (::GetSystemMetrics(SM_CYSCREEN) - 133) / 2);

    // Centred when shown: (277 - width) / 2, truncated.
    EXPECT_EQ(box->SuperLabel1->Left(), 13);
    EXPECT_EQ(box->SuperLabel2->Left(), 45);
    EXPECT_EQ(box->SuperLabel3->Left(), 22);
    EXPECT_EQ(box->SuperLabel4->Left(), 58);
    EXPECT_EQ(box->SuperLabel1->Caption(), L"Quillbrook");
    EXPECT_EQ(box->SuperLabel2->Caption(), L"Ver.0.1.1");
    EXPECT_EQ(box->Button1->Left(), 0);
    EXPECT_EQ(box->Button1->Top(), 113);
    EXPECT_EQ(box->Button1->Width(), 277);
    EXPECT_EQ(box->Button1->Height(), 20);
    EXPECT_EQ(box->Button1->Text(), L"OK");

    RECT window{};
    ::GetWindowRect(box->Handle(), &window);
    const ScreenGrab grab(window);
    ASSERT_TRUE(grab.Ok());
    // Every line is there in aqua, whole: its label's first and last columns are clear of ink.
    const TSuperLabel* labels[] = {box->SuperLabel1, box->SuperLabel2, box->SuperLabel3, box->SuperLabel4};
    for (const TSuperLabel* label : labels) {
        const POINT tl = OnBox(*box, label->Left(), label->Top());
        const RECT r{tl.x, tl.y, tl.x + label->Width(), tl.y + label->Height()};
        EXPECT_GT(grab.Count(r, IsAquaInk), 20) << "no text in " << label->Caption();
        EXPECT_EQ(grab.Count(RECT{r.left, r.top, r.left + 1, r.bottom}, IsAquaInk), 0) << label->Caption();
        EXPECT_EQ(grab.Count(RECT{r.right - 1, r.top, r.right, r.bottom}, IsAquaInk), 0) << label->Caption();
    }
    // The name's ink is centred in the box (glyph side bearings aside).
    int first = -1;
    int last = -1;
    for (int x = 0; x < 277; ++x) {
        const POINT p = OnBox(*box, x, 0);
        if (grab.Count(RECT{p.x, p.y, p.x + 1, p.y + 41}, IsAquaInk) == 0) continue;
        if (first < 0) first = x;
        last = x;
    }
    ASSERT_GE(first, 0);
    EXPECT_LE(std::abs(first - (276 - last)), 4) << "ink from " << first << " to " << last;
    // Raised edges on both sides.
    const Rgb highlight = qbtest::SysRgb(COLOR_BTNHIGHLIGHT);
    const Rgb shadow = qbtest::SysRgb(COLOR_BTNSHADOW);
    EXPECT_EQ(grab.At(OnBox(*box, 0, 60)), highlight);
    EXPECT_EQ(grab.At(OnBox(*box, 1, 60)), shadow);
    EXPECT_EQ(grab.At(OnBox(*box, 275, 60)), highlight);
    EXPECT_EQ(grab.At(OnBox(*box, 276, 60)), shadow);

    EXPECT_TRUE(qbtest::SaveScreenshot(window, qbtest::OutputFolder() + L"\\about-box.bmp"));
}

TEST_F(AboutBox, ItsBackgroundIsWhatLayUnderItDarkenedAndTintedBlue) {
    TCopyrightForm* box = ShowBox();
    const Rgb left = Tinted(Backdrop::kLeft);
    const Rgb right = Tinted(Backdrop::kRight);
    ASSERT_EQ(left, (Rgb{60, 30, 35}));
    // Points clear of labels, edges and the button, either side of the backdrop's split.
    EXPECT_EQ(qbtest::PixelAt(OnBox(*box, 10, 60)), left);
    EXPECT_EQ(qbtest::PixelAt(OnBox(*box, 6, 105)), left);
    EXPECT_EQ(qbtest::PixelAt(OnBox(*box, 265, 60)), right);
    EXPECT_EQ(qbtest::PixelAt(OnBox(*box, 270, 105)), right);

    // Painted again (the box covered its own backdrop meanwhile): tinted once, not again.
    box->Invalidate();
    ::UpdateWindow(box->Handle());
    qbtest::PumpFor(50ms);
    EXPECT_EQ(qbtest::PixelAt(OnBox(*box, 10, 60)), left);
    EXPECT_EQ(qbtest::PixelAt(OnBox(*box, 265, 60)), right);
}

// Ends a modal loop the test has lost control of: the box's own result.
void GiveUp() {
    if (HWND w = qbtest::FindThreadWindow(L"TCopyrightForm")) {
        if (fw::Form* box = fw::Form::FromHandle(w)) box->SetModalResult(IDABORT);
    }
}

TEST_F(AboutBox, ClickingOkEndsTheModalLoopWithOkAndFreesTheBox) {
    auto* owner = new fw::Form(fw::App());
    HWND boxWindow = nullptr;
    qbtest::NestedStep user(
        [&] {
            HWND w = qbtest::FindThreadWindow(L"TCopyrightForm");
            if (!w) return false;
            boxWindow = w;
            auto* box = dynamic_cast<TCopyrightForm*>(fw::Form::FromHandle(w));
            if (!box) return false;
            RECT r{};
            ::GetWindowRect(box->Button1->Handle(), &r);
            qbtest::ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
            return true;
        },
        GiveUp);
    EXPECT_EQ(ShowAboutBox(owner), IDOK);
    EXPECT_TRUE(user.Done());
    ASSERT_NE(boxWindow, nullptr);
    EXPECT_FALSE(::IsWindow(boxWindow));
    EXPECT_EQ(owner->ComponentCount(), 0) << "the box left its owner";
    EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 0);
    owner->Free();
}

class AboutBoxFromAMenu : public popuptest::MenuTest {};

TEST_F(AboutBoxFromAMenu, TheMenuThatOwnsTheBoxClosingDuringItsLoopEndsTheLoopSafely) {
    TPopupMenuBase* menu = NewWindow();
    ShowAt(menu, 40, 60);
    const HWND menuWindow = menu->Handle();
    HWND boxWindow = nullptr;
    qbtest::NestedStep user(
        [&] {
            boxWindow = qbtest::FindThreadWindow(L"TCopyrightForm");
            if (!boxWindow) return false;
            // As when the program loses activation: the menu closes, and releases itself.
            ::PostMessageW(menuWindow, WM_CLOSE, 0, 0);
            return true;
        },
        GiveUp);
    EXPECT_EQ(ShowAboutBox(menu), IDCANCEL);
    EXPECT_TRUE(user.Done());
    EXPECT_FALSE(::IsWindow(menuWindow));
    ASSERT_NE(boxWindow, nullptr);
    EXPECT_FALSE(::IsWindow(boxWindow));
    EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 0);
}

TEST_F(AboutBoxFromAMenu, OpenedWithEnterOkHasTheFocusAndEnterSpaceEscapeOrAltF4CloseTheBox) {
    TPopupMenuBase* menu = NewWindow();
    auto* about = new TPopupButton;
    about->SetCaption(L"バージョン情報");
    int result = 0;
    about->OnClick = [&](TPopupButtonBase&) { result = ShowAboutBox(menu); };
    menu->ButtonManager->AddEntry(about);
    ShowAt(menu, 40, 60);
    const std::vector<WORD> closers[] = {{VK_RETURN}, {VK_SPACE}, {VK_ESCAPE}, {VK_MENU, VK_F4}};
    for (const std::vector<WORD>& keys : closers) {
        menu->TakeFocus(true);
        result = 0;
        bool okFocused = false;
        qbtest::NestedStep user(
            [&] {
                HWND w = qbtest::FindThreadWindow(L"TCopyrightForm");
                auto* box = w ? dynamic_cast<TCopyrightForm*>(fw::Form::FromHandle(w)) : nullptr;
                if (!box) return false;
                okFocused = ::GetFocus() == box->Button1->Handle();
                for (WORD key : keys) qbtest::KeyDown(key);
                for (auto key = keys.rbegin(); key != keys.rend(); ++key) qbtest::KeyUp(*key);
                return true;
            },
            GiveUp, 3s);
        qbtest::TapKey(VK_RETURN);  // on the menu's entry: the box opens while this Enter is still down
        ASSERT_TRUE(qbtest::WaitUntil([&] { return result != 0; }, 10s));
        EXPECT_TRUE(okFocused) << "key " << keys.back();
        EXPECT_NE(result, IDABORT) << "the box stayed open after key " << keys.back();
        EXPECT_EQ(qbtest::FindThreadWindow(L"TCopyrightForm"), nullptr);
    }
}

}  // namespace
