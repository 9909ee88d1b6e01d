// Cascades on a second monitor: each window keeps to the monitor it opens on. The virtual display has one
// monitor, so these tests give the program a layout of two (the windows on the second one lie beyond the
// visible screen, where their positions still work as usual).
#include "framework/Screen.h"
#include "popup/PopupBase.h"
#include "popup/StringButton.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace std::chrono_literals;

// The primary monitor with a task bar along its bottom, and a smaller one to its right whose top lies
// 200 pixels higher, with a task bar of its own.
const fw::MonitorArea kPrimary{RECT{0, 0, 1280, 1024}, RECT{0, 0, 1280, 994}};
const fw::MonitorArea kRight{RECT{1280, -200, 2304, 568}, RECT{1280, -200, 2304, 540}};

TPopupMenuBase::FillProc Entries(int count, const std::wstring& caption = L"項目") {
    return [count, caption](TPopupButtonManager& m) {
        for (int i = 0; i < count; ++i) {
            auto* b = new TStringButton;
            b->SetCaption(caption + L" " + std::to_wstring(i + 1));
            m.AddEntry(b);
        }
    };
}

class Monitors : public testing::Test {
protected:
    void TearDown() override {
        manager_.reset();
        qbtest::PumpFor(20ms);
    }
    TPopupMenuBase* Top(int left, int top, int entries) {
        auto* w = new TPopupMenuBase(manager_.get(), manager_.get());
        Entries(entries)(*w->ButtonManager);
        w->ButtonManager->FinishLayout();
        w->SetLeft(left);
        w->SetTop(top);
        w->Show();
        return w;
    }

    fw::ScopedMonitorLayout layout_{{kPrimary, kRight}};
    std::unique_ptr<TPopupMenuManager> manager_ = std::make_unique<TPopupMenuManager>(nullptr);
};

TEST_F(Monitors, ASubmenuTurnsAtTheRightEdgeOfItsOwnMonitor) {
    // On the right-hand monitor a cascade opens to the right, past the primary monitor's edge.
    TPopupMenuBase* top = Top(1400, 100, 4);
    TPopupMenuBase* child = top->OpenChildFor(top->ButtonManager->Entries(1), Entries(3));
    EXPECT_EQ(child->Left(), top->Left() + top->Width() - 5);
    EXPECT_TRUE(child->OpensRight);

    // Near that monitor's right edge it turns left, and the windows below keep going left.
    TPopupMenuBase* edge = Top(2304 - 60 - 10, 100, 4);
    TPopupMenuBase* left = edge->OpenChildFor(edge->ButtonManager->Entries(0), Entries(3));
    EXPECT_EQ(left->Left(), edge->Left() - left->Width() + 5);
    EXPECT_FALSE(left->OpensRight);
    TPopupMenuBase* further = left->OpenChildFor(left->ButtonManager->Entries(0), Entries(3));
    EXPECT_EQ(further->Left(), left->Left() - further->Width() + 5);

    // On the primary monitor a submenu that would run onto the other monitor turns at the shared edge.
    TPopupMenuBase* primary = Top(1280 - 80, 300, 4);
    TPopupMenuBase* turned = primary->OpenChildFor(primary->ButtonManager->Entries(0), Entries(3));
    EXPECT_LE(turned->Left() + turned->Width(), 1280);
    EXPECT_FALSE(turned->OpensRight);
}

TEST_F(Monitors, ATallSubmenuIsCutToItsOwnMonitorAndMayRiseToItsTop) {
    TPopupMenuBase* top = Top(1400, 0, 4);
    TPopupMenuBase* child =
        top->OpenChildFor(top->ButtonManager->Entries(3), Entries(150, L"右のモニターの長い一覧"));
    // Pushed up to the monitor's top (above the primary monitor's), and as tall as its work area.
    EXPECT_EQ(child->Top(), -200);
    EXPECT_EQ(child->Top() + child->Height(), 540);
    EXPECT_TRUE(child->VertScrollBar().IsShowing());

    // On the primary monitor the same list keeps the primary monitor's measures.
    TPopupMenuBase* home = Top(100, 100, 4);
    TPopupMenuBase* homeChild =
        home->OpenChildFor(home->ButtonManager->Entries(3), Entries(150, L"右のモニターの長い一覧"));
    EXPECT_EQ(homeChild->Top(), 0);
    EXPECT_EQ(homeChild->Height(), 994);
}

TEST_F(Monitors, AWideSubmenuIsCutToTheWidthOfItsOwnMonitor) {
    // Wider than the right-hand monitor (1024 pixels), narrower than the primary one (1280).
    const auto wide = Entries(1, std::wstring(90, L'幅'));
    TPopupMenuBase* home = Top(100, 100, 4);
    ASSERT_GT(home->OpenChildFor(home->ButtonManager->Entries(0), wide)->Width(), 1024);
    TPopupMenuBase* top = Top(2000, 100, 4);
    TPopupMenuBase* child = top->OpenChildFor(top->ButtonManager->Entries(0), wide);
    EXPECT_EQ(child->Width(), 1024);
    EXPECT_EQ(child->Left(), 1280);
}

TEST_F(Monitors, AWindowIsPulledIntoTheWorkAreaOfTheMonitorUnderItsCorner) {
    TPopupMenuBase* w = Top(2290, 530, 5);
    ClampToWorkArea(w);
    EXPECT_EQ(w->Left() + w->Width(), 2304);
    EXPECT_EQ(w->Top() + w->Height(), 540);

    // A point on no monitor goes to the nearest one.
    w->SetLeft(5000);
    w->SetTop(-900);
    ClampToWorkArea(w);
    EXPECT_EQ(w->Left() + w->Width(), 2304);
    EXPECT_EQ(w->Top(), -200);

    w->SetLeft(1270);
    w->SetTop(990);
    ClampToWorkArea(w);
    EXPECT_EQ(w->Left() + w->Width(), 1280);
    EXPECT_EQ(w->Top() + w->Height(), 994);
}

}  // namespace
