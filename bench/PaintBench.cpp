// How much a menu window of thousands of entries draws when the user highlights, scrolls or uncovers a
// small part of it, compared with redrawing it whole; and what a large face bitmap costs a repaint of a
// menu of twenty entries, drawn from the kept scaled copies or stretched whole for every entry as before.
// Prints entries drawn and time per operation, and the ratios, measured in one run.
#include "BenchSupport.h"
#include "framework/Application.h"
#include "framework/Dpi.h"
#include "framework/GdiScope.h"
#include "framework/UniqueAny.h"
#include "popup/PopupBase.h"
#include "popup/PopupButton.h"
#include "popup/PopupButtonBase.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

int g_painted = 0;
// Set, each entry first stretches the whole face onto itself the way every entry did before the scaled
// copies were kept; the usual paint that follows adds only a plain copy of the kept one.
bool g_wholeStretchPerEntry = false;

void StretchWholeFace(fw::Canvas& canvas, const RECT& r) {
    const fw::Bitmap* face = ButtonFace();
    HDC dc = canvas.Handle();
    if (!face || face->Empty() || !dc) return;
    fw::unique_hdc source(::CreateCompatibleDC(dc));
    fw::ScopedSelect select(source.get(), face->Handle());
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source.get(), 0, 0, face->Width(),
                 face->Height(), SRCCOPY);
    ::SetStretchBltMode(dc, oldMode);
}

class CountingButton : public TPopupButton {
public:
    void Paint() override {
        ++g_painted;
        if (g_wholeStretchPerEntry && GetCanvas()) StretchWholeFace(*GetCanvas(), BoundsRect());
        TPopupButton::Paint();
    }
};

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
    // The windows are laid out for the display's DPI, as the program's are.
    fw::RequestPerMonitorDpiAwareness();
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
    // A line as the figures have always counted it: 16 pixels at 96 DPI.
    const int line = window->Scale(16);

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
        window->VertScrollBar().SetPosition((i % 50) * line);
        ::UpdateWindow(h);
    });

    std::printf("DPI %d\n", window->Dpi());
    std::printf("entries in the window: %d (visible about %d)\n", kEntries, window->ClientHeight() / line);
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

    // A menu of twenty entries with a 4000 x 4000 face, next to the big window.
    constexpr int kFaceSide = 4000;
    constexpr int kMenuEntries = 20;
    auto* menu = new TPopupMenuBase(manager.get(), manager.get());
    for (int i = 0; i < kMenuEntries; ++i) {
        auto* b = new CountingButton();
        b->SetCaption(L"フォルダ " + std::to_wstring(i));
        menu->ButtonManager->AddEntry(b);
    }
    menu->ButtonManager->FinishLayout();
    menu->SetLeft(window->Width() + 10);
    menu->SetTop(0);
    menu->Show();
    Pump();
    HWND m = menu->Handle();
    const std::wstring facePath = WriteBitmap(L"quillbrook-bench-face.bmp", kFaceSide, 24);
    const auto loadStart = std::chrono::steady_clock::now();
    LoadButtonFace(facePath);
    const double loadMicroseconds =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - loadStart).count();
    if (!ButtonFace() || ButtonFace()->Empty()) {
        std::printf("the %d x %d face did not load\n", kFaceSide, kFaceSide);
        manager.reset();
        return 1;
    }
    auto repaintMenu = [&](int) {
        ::InvalidateRect(m, nullptr, FALSE);
        ::UpdateWindow(m);
    };
    const Sample firstFace = Measure(1, repaintMenu);  // the window's first sizes: one stretch each
    const Sample cachedFace = Measure(50, repaintMenu);
    g_wholeStretchPerEntry = true;
    const Sample wholeFace = Measure(3, repaintMenu);
    g_wholeStretchPerEntry = false;
    ::DeleteFileW(facePath.c_str());

    std::printf("face %d x %d (kept as %d x %d), menu of %d entries (%d x %d):\n", kFaceSide, kFaceSide,
                ButtonFace()->Width(), ButtonFace()->Height(), kMenuEntries, menu->ClientWidth(),
                menu->ClientHeight());
    std::printf("loading the face:           %8.1f ms\n", loadMicroseconds / 1000);
    std::printf("first repaint (scales once):%8.1f ms, %5.1f entries drawn\n", firstFace.microseconds / 1000,
                firstFace.entries);
    std::printf("repaint, kept scaled copies:%8.2f ms, %5.1f entries drawn\n", cachedFace.microseconds / 1000,
                cachedFace.entries);
    std::printf("repaint, whole stretch each:%8.1f ms, %5.1f entries drawn\n", wholeFace.microseconds / 1000,
                wholeFace.entries);
    std::printf("ratio whole stretch / kept copies: %.0fx\n",
                wholeFace.microseconds / cachedFace.microseconds);
    manager.reset();
    return 0;
}
