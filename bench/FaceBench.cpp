// What a huge face bitmap costs the resident program: each hotkey builds a new top menu and loads the face
// named by the settings (the menus of the last hotkey were closed, taking their entries with them), then a
// submenu opens beside it. A 16000 x 16000 picture of 8 bits per pixel, the largest kind the program
// accepts. Prints the time of the first and of the later menus, the submenu, and the memory the process
// holds afterwards, measured in one run; the ratios say what keeping the decoded face saves.
#include "BenchSupport.h"
#include "framework/Application.h"
#include "framework/Dpi.h"
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

constexpr int kSide = 16000;
constexpr int kMenus = 5;
constexpr int kEntries = 20;

TPopupMenuBase* NewMenu(TPopupMenuManager* manager, fw::Component* owner, const std::wstring& caption,
                        int left) {
    auto* menu = new TPopupMenuBase(owner, manager);
    for (int i = 0; i < kEntries; ++i) {
        auto* b = new TPopupButton();
        b->SetCaption(caption + std::to_wstring(i));
        menu->ButtonManager->AddEntry(b);
    }
    menu->ButtonManager->FinishLayout();
    menu->SetLeft(left);
    menu->SetTop(0);
    return menu;
}

void ShowPainted(TPopupMenuBase* menu) {
    menu->Show();
    ::UpdateWindow(menu->Handle());
}

}  // namespace

int wmain() {
    fw::RequestPerMonitorDpiAwareness();
    fw::Application app(::GetModuleHandleW(nullptr));
    app.Initialize();
    const std::wstring path = WriteBitmap(L"quillbrook-bench-huge-face.bmp", kSide, 8);
    if (path.empty()) {
        std::printf("the face could not be written\n");
        return 1;
    }
    const SIZE_T before = PrivateBytes();
    std::vector<double> opens;
    std::vector<double> submenus;
    SIZE_T held = 0;
    for (int i = 0; i < kMenus; ++i) {
        auto manager = std::make_unique<TPopupMenuManager>(nullptr);
        // As the hotkey does: a new top menu, the face loaded, the menu shown.
        const auto start = std::chrono::steady_clock::now();
        TPopupMenuBase* top = NewMenu(manager.get(), manager.get(), L"フォルダ ", 0);
        LoadButtonFace(path);
        ShowPainted(top);
        opens.push_back(MillisecondsSince(start));
        // A submenu of other widths beside it.
        const auto subStart = std::chrono::steady_clock::now();
        ShowPainted(NewMenu(manager.get(), top, L"もう少し長い名前のファイル ", top->Width() - 5));
        submenus.push_back(MillisecondsSince(subStart));
        Pump();
        if (!ButtonFace() || ButtonFace()->Empty()) {
            std::printf("the face did not load\n");
            return 1;
        }
        held = PrivateBytes();
        // Escape: the menus close, and their entries with them.
        manager.reset();
        Pump();
    }
    ::DeleteFileW(path.c_str());

    double later = 0;
    for (int i = 1; i < kMenus; ++i) later += opens[i];
    later /= kMenus - 1;
    double laterSub = 0;
    for (int i = 1; i < kMenus; ++i) laterSub += submenus[i];
    laterSub /= kMenus - 1;
    const double pictureMiB = static_cast<double>(kSide) * kSide / (1 << 20);
    const double heldMiB = static_cast<double>(held > before ? held - before : 0) / (1 << 20);
    std::printf("face %d x %d, 8 bits per pixel (%.0f MiB of pixels), menus of %d entries\n", kSide, kSide,
                pictureMiB, kEntries);
    std::printf("first top menu with the face: %8.1f ms\n", opens[0]);
    std::printf("later top menus, each:        %8.1f ms\n", later);
    std::printf("first submenu:                %8.1f ms\n", submenus[0]);
    std::printf("later submenus, each:         %8.1f ms\n", laterSub);
    std::printf("memory held with a menu open: %8.1f MiB more than before the first\n", heldMiB);
    std::printf("ratio first / later top menu: %.1fx\n", opens[0] / later);
    std::printf("ratio picture / memory held:  %.1fx\n", pictureMiB / (heldMiB > 0.1 ? heldMiB : 0.1));
    return 0;
}
