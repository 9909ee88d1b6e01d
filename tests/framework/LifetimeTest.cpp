// Nothing is freed under its own running handler: a release, an owner's end or a modal form's end that
// arrives from the queue while a handler runs a nested message loop leaves the object alive (hidden and
// out of its owner) until that handler returns, and frees it then.
#include "framework/Application.h"
#include "framework/Form.h"
#include "support/Later.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

int g_live = 0;

class LiveForm : public fw::Form {
public:
    explicit LiveForm(fw::Component* owner) : fw::Form(owner) { ++g_live; }
    ~LiveForm() override { --g_live; }
};

// Runs a nested message loop until `done` or a second has passed, as a context menu or a dialog would.
void NestedLoopUntil(const std::function<bool()>& done) {
    qbtest::WaitUntil(done, 1s);
}

TEST(DeferredFree, AFormReleasedInsideItsOwnHandlerLivesUntilTheHandlerReturns) {
    g_live = 0;
    auto* form = new LiveForm(fw::App());
    form->Show();
    const HWND hwnd = form->Handle();
    int liveAfterLoop = -1;
    bool visibleAfterLoop = true;
    std::wstring captionAfterLoop;
    form->OnKeyDown = [&](fw::Form& self, WORD&, fw::ShiftState) {
        self.Release();
        qbtest::PumpFor(100ms);  // the release message arrives in here
        liveAfterLoop = g_live;
        if (g_live != 1) return;  // freed under this very handler: nothing left to touch
        visibleAfterLoop = self.Visible();
        self.SetCaption(L"まだ生きている");
        captionAfterLoop = self.Caption();
    };
    ::SendMessageW(hwnd, WM_KEYDOWN, VK_F2, 0);
    EXPECT_EQ(liveAfterLoop, 1);
    EXPECT_FALSE(visibleAfterLoop) << "a released form stays on screen until its handler returns";
    EXPECT_EQ(captionAfterLoop, L"まだ生きている");
    EXPECT_EQ(g_live, 0) << "the form outlived its handler";
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 0);
}

TEST(DeferredFree, AnOwnerFreedDuringAChildsHandlerTakesTheChildOnlyWhenTheHandlerReturns) {
    g_live = 0;
    auto* owner = new LiveForm(fw::App());
    auto* child = new LiveForm(owner);
    child->Show();
    const HWND childWindow = child->Handle();
    int liveAfterLoop = -1;
    bool ownedAfterLoop = true;
    child->OnKeyDown = [&](fw::Form& self, WORD&, fw::ShiftState) {
        qbtest::Later([owner] { owner->Free(); });
        NestedLoopUntil([] { return g_live < 2; });
        liveAfterLoop = g_live;
        if (g_live != 1) return;
        ownedAfterLoop = self.Owner() != nullptr;
        EXPECT_TRUE(self.Marked());
        EXPECT_FALSE(self.Visible());
    };
    ::SendMessageW(childWindow, WM_KEYDOWN, VK_F2, 0);
    EXPECT_EQ(liveAfterLoop, 1) << "the owner went at once, the child waited for its handler";
    EXPECT_FALSE(ownedAfterLoop);
    EXPECT_EQ(g_live, 0);
    EXPECT_FALSE(::IsWindow(childWindow));
    EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 0);
}

TEST(DeferredFree, AModalFormFreedWhileItsLoopRunsEndsTheLoopAndGoesAfterIt) {
    g_live = 0;
    auto* owner = new LiveForm(fw::App());
    auto* dialog = new LiveForm(owner);
    const HWND dialogWindow = dialog->Handle();
    // Nobody closes the dialog: its end comes from the owner's, from the queue inside its loop.
    int liveInLoop = -1;
    qbtest::Later([&] {
        owner->Free();
        liveInLoop = g_live;
    });
    const int result = dialog->ShowModal();
    EXPECT_EQ(liveInLoop, 1) << "the owner went at once, the dialog waited for its loop";
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(g_live, 0);
    EXPECT_FALSE(::IsWindow(dialogWindow));
    EXPECT_EQ(fw::DeferredDelete::MarkedCount(), 0);
}

}  // namespace
