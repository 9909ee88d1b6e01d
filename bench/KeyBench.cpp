// What one key costs in a menu window of 1,000, 10,000 and 100,000 entries: Down, End and Home, Page Down
// and Page Up, a first letter that jumps to another part of the list, the same letter again (the next entry
// starting with it), each with the repaint it causes; and the questions a screen reader asks after a move
// (which entry has the focus, its name and state). The entries are named in order, as a folder sorted by
// name is. A key's cost should not depend on the window's size: the ratios to the window of 1,000 entries
// are printed, measured in one run (target: at most 2x at 100,000). The three windows are measured in
// turns, a few rounds each, and the median round counts, so that a busy machine weighs on all alike.
// Usage: key_bench [turns [rounds per turn]]
#include "BenchSupport.h"
#include "framework/Application.h"
#include "popup/PopupBase.h"
#include "popup/PopupButton.h"

#include <oleacc.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

// The questions a screen reader asks when it hears that the focus moved.
void AskAsReader(IAccessible& object) {
    VARIANT focus;
    ::VariantInit(&focus);
    if (FAILED(object.get_accFocus(&focus)) || focus.vt != VT_I4) return;
    BSTR name = nullptr;
    if (SUCCEEDED(object.get_accName(focus, &name))) ::SysFreeString(name);
    VARIANT state;
    ::VariantInit(&state);
    object.get_accState(focus, &state);
}

// One window of `entries` entries named "a 文書 100000.txt" and on, in 26 runs by their first letter.
struct Menu {
    explicit Menu(int entries) : count(entries) {
        manager = std::make_unique<TPopupMenuManager>(nullptr);
        window = new TPopupMenuBase(manager.get(), manager.get());
        for (int i = 0; i < entries; ++i) {
            auto* b = new TPopupButton();
            const wchar_t letter = static_cast<wchar_t>(L'a' + static_cast<long long>(i) * 26 / entries);
            b->SetCaption(std::wstring(1, letter) + L" 文書 " + std::to_wstring(100000 + i) + L".txt");
            window->ButtonManager->AddEntry(b);
        }
        window->ButtonManager->FinishLayout();
        window->SetLeft(0);
        window->SetTop(0);
        FitHeightToWorkArea(window);
        window->Show();
        middle = window->ButtonManager->Entries(entries / 2);  // among the names starting with n
        Focus();
    }
    ~Menu() {
        manager.reset();
        Pump();
    }
    void Focus() {
        window->TakeFocus(false);
        Pump();
        ::UpdateWindow(window->Handle());
    }
    void Key(WPARAM vk) {
        ::SendMessageW(window->Handle(), WM_KEYDOWN, vk, 0);
        ::UpdateWindow(window->Handle());
    }
    void Letter(wchar_t c) {
        ::SendMessageW(window->Handle(), WM_CHAR, c, 0);
        ::UpdateWindow(window->Handle());
    }
    void Highlight(TPopupButtonBase* entry) {
        window->ButtonManager->SetHighlight(entry);
        ::UpdateWindow(window->Handle());
    }

    int count;
    std::unique_ptr<TPopupMenuManager> manager;
    TPopupMenuBase* window = nullptr;
    TPopupButtonBase* middle = nullptr;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int turns = argc > 1 ? std::max(1, static_cast<int>(std::wcstol(argv[1], nullptr, 10))) : 5;
    const int rounds = argc > 2 ? std::max(1, static_cast<int>(std::wcstol(argv[2], nullptr, 10))) : 9;
    fw::Application app(::GetModuleHandleW(nullptr));
    app.Initialize();
    std::vector<std::unique_ptr<Menu>> menus;
    for (int entries : {1000, 10000, 100000}) menus.push_back(std::make_unique<Menu>(entries));

    // The first letter typed after a fill (the program may prepare something for type-ahead then).
    std::vector<double> firstLetter;
    for (auto& m : menus) {
        m->Focus();
        m->Highlight(m->middle);
        const auto start = Clock::now();
        m->Letter(L'x');
        firstLetter.push_back(MicrosecondsSince(start));
    }

    struct Row {
        const char* name;
        std::function<void(Menu&, int round)> setup;  // untimed
        std::function<void(Menu&, int round)> step;   // timed
    };
    const auto none = [](Menu&, int) {};
    const std::vector<Row> rows{
        {"Down", none, [](Menu& m, int) { m.Key(VK_DOWN); }},
        {"End / Home", none, [](Menu& m, int i) { m.Key(i % 2 ? VK_HOME : VK_END); }},
        {"Page Down / Page Up", none, [](Menu& m, int i) { m.Key(i % 2 ? VK_PRIOR : VK_NEXT); }},
        // From the middle, a fresh letter: the highlight goes to the first name starting with x.
        {"a first letter (jumps)", [](Menu& m, int) { m.Highlight(m.middle); },
         [](Menu& m, int) { m.Letter(L'x'); }},
        // Typed again within the pause, the letter steps to the next name starting with it.
        {"the same letter again",
         [](Menu& m, int) {
             m.Highlight(m.middle);
             m.Letter(L'n');
         },
         [](Menu& m, int) { m.Letter(L'n'); }},
        {"a screen reader's questions", [](Menu& m, int) { m.Key(VK_DOWN); },
         [](Menu& m, int) {
             if (IAccessible* reader = m.window->Accessible()) AskAsReader(*reader);
         }},
    };

    std::printf(
        "microseconds per key (median; repaint included), and the ratio to the window of %d entries\n",
        menus[0]->count);
    std::printf("%-30s", "entries");
    for (auto& m : menus) std::printf("%12d          ", m->count);
    std::printf("\n");
    bool flat = true;
    for (const Row& row : rows) {
        std::vector<std::vector<double>> samples(menus.size());
        for (auto& m : menus) m->Highlight(m->middle);
        for (int turn = 0; turn < turns; ++turn) {
            for (size_t k = 0; k < menus.size(); ++k) {
                Menu& m = *menus[k];
                m.Focus();
                for (int r = 0; r < rounds; ++r) {
                    const int round = turn * rounds + r;
                    row.setup(m, round);
                    const auto start = Clock::now();
                    row.step(m, round);
                    samples[k].push_back(MicrosecondsSince(start));
                }
            }
        }
        std::printf("%-30s", row.name);
        double base = 0;
        for (auto& s : samples) {
            std::nth_element(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(s.size() / 2), s.end());
            const double median = s[s.size() / 2];
            if (base == 0) base = median;
            std::printf("%12.1f (%6.2fx)", median, median / base);
            if (median > 2 * base) flat = false;
        }
        std::printf("\n");
    }
    std::printf("%-30s", "the first letter after a fill");
    for (double us : firstLetter) std::printf("%12.1f          ", us);
    std::printf("\n%s\n", flat ? "flat: every key within 2x of its cost at 1,000 entries"
                               : "NOT flat: some key costs more than 2x its cost at 1,000 entries");
    menus.clear();
    return flat ? 0 : 1;
}
