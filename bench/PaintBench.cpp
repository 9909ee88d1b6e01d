// How much a menu window of thousands of entries draws when the user highlights, scrolls or uncovers a
// small part of it, compared with redrawing it whole. Prints entries drawn and time per operation, and
// the ratios, measured in one run.
#include "framework/Application.h"
#include "popup/PopupBase.h"
#include "popup/PopupButton.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace {

int g_painted = 0;

class CountingButton : public TPopupButton {
public:
    void Paint() override {
        ++g_painted;
        TPopupButton::Paint();
    }
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

struct Sample {
    double microseconds;
    double entries;
};

template <class F>
Sample Measure(int rounds, F&& step) {
    g_painted = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) step(i);
    const auto end = std::chrono::steady_clock::now();
    return Sample{std::chrono::duration<double, std::micro>(end - start).count() / rounds,
                  static_cast<double>(g_painted) / rounds};
}

}  // namespace

int wmain() {
    constexpr int kEntries = 3000;
    constexpr int kRounds = 200;
    fw::Application app(::GetModuleHandleW(nullptr));
    app.Initialize();
    auto manager = std::make_unique<TPopupMenuManager>(nullptr);
    auto* window = new TPopupMenuBase(manager.get(), manager.get());
    const auto fillStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kEntries; ++i) {
        auto* b = new CountingButton();
        b->SetCaption(L"ファイル " + std::to_wstring(i) + L".txt");
        window->ButtonManager->AddEntry(b);
    }
    window->ButtonManager->FinishLayout();
    const double fillMicroseconds =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - fillStart).count();

    // The same entries in a container that sizes no window: what measuring and laying out cost alone.
    fw::Form plainForm(nullptr);
    auto* bare = new TPopupButtonManager(&plainForm);
    bare->SetParent(&plainForm);
    const auto bareStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kEntries; ++i) {
        auto* b = new CountingButton();
        b->SetCaption(L"ファイル " + std::to_wstring(i) + L".txt");
        bare->AddEntry(b);
    }
    bare->FinishLayout();
    const double bareMicroseconds =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - bareStart).count();
    window->SetLeft(0);
    window->SetTop(0);
    FitHeightToWorkArea(window);
    window->Show();
    Pump();
    HWND h = window->Handle();
    TPopupButtonManager& container = *window->ButtonManager;

    const Sample full = Measure(kRounds / 10, [&](int) {
        ::InvalidateRect(h, nullptr, FALSE);
        ::UpdateWindow(h);
    });
    const Sample one = Measure(kRounds, [&](int i) {
        TPopupButtonBase* e = container.Entries(i % 20);
        RECT r = e->BoundsRect();
        container.InvalidateRect(r);
        ::UpdateWindow(h);
    });
    const Sample scroll = Measure(kRounds, [&](int i) {
        window->VertScrollBar().SetPosition((i % 50) * 16);
        ::UpdateWindow(h);
    });

    std::printf("entries in the window: %d (visible about %d)\n", kEntries, window->ClientHeight() / 16);
    std::printf("filling the window:  %8.1f us per entry (%.0f ms in all)\n", fillMicroseconds / kEntries,
                fillMicroseconds / 1000);
    std::printf("same, no window:     %8.1f us per entry; the window's sizing is %.1fx the rest\n",
                bareMicroseconds / kEntries, (fillMicroseconds - bareMicroseconds) / bareMicroseconds);
    std::printf("full repaint:       %8.1f us, %7.1f entries drawn\n", full.microseconds, full.entries);
    std::printf("one entry repaint:  %8.1f us, %7.1f entries drawn\n", one.microseconds, one.entries);
    std::printf("scroll by a line:   %8.1f us, %7.1f entries drawn\n", scroll.microseconds, scroll.entries);
    std::printf("ratio full / one entry: time %.1fx, entries drawn %.1fx\n",
                full.microseconds / one.microseconds, full.entries / (one.entries > 0 ? one.entries : 1));
    std::printf("ratio full / scroll:    time %.1fx, entries drawn %.1fx\n",
                full.microseconds / scroll.microseconds,
                full.entries / (scroll.entries > 0 ? scroll.entries : 1));
    manager.reset();
    return 0;
}
