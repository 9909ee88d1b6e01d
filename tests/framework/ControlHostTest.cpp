#include "framework/ControlHost.h"

#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/GraphicControl.h"
#include "support/ScreenGrab.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::chrono_literals;

// A windowless control that fills itself with one colour.
class Swatch : public fw::GraphicControl {
public:
    Swatch(fw::Form& form, fw::Color color, int left) : fw::GraphicControl(&form), color_(color) {
        SetParent(&form);
        SetBounds(left, 10, 40, 40);
    }
    void Paint(const RECT&) override {
        GetCanvas().GetBrush().SetColor(color_);
        GetCanvas().FillRect(RECT{0, 0, Width(), Height()});
    }

private:
    fw::Color color_;
};

// One that fails half-way through its painting.
class BrokenSwatch : public Swatch {
public:
    using Swatch::Swatch;
    int paints = 0;
    void Paint(const RECT& clip) override {
        ++paints;
        Swatch::Paint(clip);
        throw fw::Exception(L"描画に失敗しました");
    }
};

TEST(ControlHost, AControlWhosePaintThrowsStopsNeitherTheOthersNorTheForm) {
    qbtest::ReportedExceptions().clear();
    fw::Form form(nullptr, fw::FormParams{L"TPaintFailureForm", WS_POPUP});
    form.SetBounds(400, 300, 200, 60);
    new Swatch(form, 0x000000C0, 10);  // red
    auto* broken = new BrokenSwatch(form, 0x00C0C0C0, 60);
    new Swatch(form, 0x0000C000, 110);  // green, painted after the broken one
    form.Show();
    ::UpdateWindow(form.Handle());
    qbtest::PumpFor(50ms);

    EXPECT_GE(broken->paints, 1);
    EXPECT_EQ(qbtest::PixelAt(POINT{430, 330}), (qbtest::Rgb{0xC0, 0, 0}));
    EXPECT_EQ(qbtest::PixelAt(POINT{530, 330}), (qbtest::Rgb{0, 0xC0, 0}));
    EXPECT_EQ(qbtest::PixelAt(POINT{590, 355}), qbtest::SysRgb(COLOR_BTNFACE));  // the form's own background
    auto& reported = qbtest::ReportedExceptions();
    EXPECT_GE(reported.size(), 1u);
    EXPECT_TRUE(std::all_of(reported.begin(), reported.end(),
                            [](const std::wstring& m) { return m == L"描画に失敗しました"; }));
    EXPECT_FALSE(broken->GetCanvas().HandleAllocated());

    // The window is not left invalid: it does not ask to be painted over and over.
    const int paints = broken->paints;
    qbtest::PumpFor(100ms);
    EXPECT_EQ(broken->paints, paints);
    qbtest::ReportedExceptions().clear();
}

}  // namespace
