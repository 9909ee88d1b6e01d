// Menus, settings rows, the about box and the real program at the DPI of the Wine prefix the tests run
// in (scripts/test runs this program at 96, 144 and 192 DPI and says which in QB_DPI). Lengths are
// compared with the same windows laid out at 96 DPI in the same process (a WM_DPICHANGED to 96, as
// Windows sends when a window moves to a 96-DPI monitor), and with the program's 96-DPI constants.
#include "dialogs/CopyrightForm.h"
#include "dialogs/EditStringButton.h"
#include "dialogs/SettingsMenu.h"
#include "filers/SubFolderFiler.h"
#include "filers/TopMenuFiler.h"
#include "framework/Dpi.h"
#include "support/SettingsKey.h"
#include "framework/Screen.h"
#include "operations/FolderButton.h"
#include "support/popup/MenuTest.h"
#include "popup/SeparateBar.h"
#include "popup/TreeButton.h"
#include "support/Process.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The folder windows made here are read at once: they wait for their listing however busy the machine is.
[[maybe_unused]] const bool kWaitForListings = (TSubFolderFiler::ListingBudget = 20000, true);

using namespace std::chrono_literals;
using popuptest::OnEntry;
using popuptest::ScreenRect;
using qbtest::Rgb;
using qbtest::ScreenGrab;

// The DPI the prefix was made with, else what the system says.
int PrefixDpi() {
    wchar_t value[16] = {};
    const DWORD n = ::GetEnvironmentVariableW(L"QB_DPI", value, 16);
    return n > 0 && n < 16 ? std::stoi(value) : fw::SystemDpi();
}

RECT WindowRectOf(const fw::Form& form) {
    return RECT{form.Left(), form.Top(), form.Left() + form.Width(), form.Top() + form.Height()};
}

// What Windows sends a window that has moved to a monitor of `dpi`.
void SendDpiChanged(fw::Form& form, int dpi, RECT suggested) {
    ::SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// Lengths that come from text are as near the scaled length as glyphs rounded one by one get.
double Slack(double expected) {
    return std::max(1.5, expected * 0.06);
}
#define EXPECT_SCALED(actual, at96, dpi) \
    EXPECT_NEAR((actual), (at96) * (dpi) / 96.0, Slack((at96) * (dpi) / 96.0)) << "at 96 DPI: " << (at96)

// The ink of text on a plain background: its bounding box, and how much of it is solid.
struct Ink {
    RECT box{LONG_MAX, LONG_MAX, -1, -1};
    int pixels = 0;
    int solid = 0;
    int Height() const { return pixels ? box.bottom - box.top + 1 : 0; }
    double Sharpness() const { return pixels ? static_cast<double>(solid) / pixels : 0; }
};
Ink InkIn(const RECT& r, Rgb background) {
    const ScreenGrab grab(r);
    Ink ink;
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x) {
            const Rgb c = grab.At(POINT{x, y});
            const int distance =
                std::abs(c.r - background.r) + std::abs(c.g - background.g) + std::abs(c.b - background.b);
            if (distance < 60) continue;
            ++ink.pixels;
            if (c.r + c.g + c.b < 160) ++ink.solid;
            ink.box = RECT{std::min(ink.box.left, x), std::min(ink.box.top, y), std::max(ink.box.right, x),
                           std::max(ink.box.bottom, y)};
        }
    }
    return ink;
}

// How far a submenu lies over its parent, on whichever side it opened.
int Overlap(const TPopupMenuBase& parent, const TPopupMenuBase& child) {
    return child.OpensRight ? parent.Left() + parent.Width() - child.Left()
                            : child.Left() + child.Width() - parent.Left();
}

// Room for the settings beside the top menu at every DPI (on 1280 pixels at 192 DPI they go over it).
fw::ScopedMonitorLayout WideScreen() {
    const RECT work = fw::WorkArea();
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    return fw::ScopedMonitorLayout(
        {{RECT{0, 0, 4096, height}, RECT{work.left, work.top, 4096, work.bottom}}});
}

template <class T>
T* EntryOf(TPopupButtonManager& m, const std::wstring& caption) {
    for (TPopupButtonBase* e : m) {
        if (e->CaptionText() && *e->CaptionText() == caption) return dynamic_cast<T*>(e);
    }
    return nullptr;
}

void ReleaseContext(HANDLE context) noexcept {
    ::ReleaseActCtx(context);
}
using unique_actctx = fw::unique_any<HANDLE, &ReleaseContext, -1>;

// The first five settings rows' fields, pixels at 96 DPI.
constexpr int kFieldWidths[] = {36, 36, 36, 150, 280};

class AtDpi : public popuptest::MenuTest {
protected:
    int Scale(int px96) const { return fw::ScaleForDpi(px96, dpi); }
    const int dpi = PrefixDpi();
};

TEST(DpiSetup, WineReportsThePrefixDpiAndTheProgramAsksForPerMonitorV2) {
    const int dpi = PrefixDpi();
    HDC screen = ::GetDC(nullptr);
    const int logPixels = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    fw::Form form(nullptr);
    std::printf("dpi %d: LOGPIXELSY %d, window %d, small icon %d, awareness %d\n", dpi, logPixels, form.Dpi(),
                ::GetSystemMetrics(SM_CXSMICON), fw::ThreadDpiAwareness());
    EXPECT_EQ(logPixels, dpi);
    EXPECT_EQ(form.Dpi(), dpi);
    EXPECT_EQ(fw::SmallIconSize(dpi), ::GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(fw::SmallIconSize(96), 16);
    EXPECT_EQ(fw::ThreadDpiAwareness(), 2) << "not per-monitor aware: Windows would stretch the menus";

    // The program's manifest, as the loader reads it.
    ACTCTXW request{sizeof(request)};
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = qbtest::ProgramPath().c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    const unique_actctx context(::CreateActCtxW(&request));
    ASSERT_TRUE(context);
    const auto setting = [&](const wchar_t* space, const wchar_t* name) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        ::QueryActCtxSettingsW(0, context.get(), space, name, value, 64, &written);
        return std::wstring(value);
    };
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
}

TEST_F(AtDpi, MenuEntriesSeparatorsIconsAndTextScaleAndStaySharp) {
    auto* menu = new TTopMenuFiler(menus.get(), true, menus.get(), {});
    auto* twin = new TTopMenuFiler(menus.get(), true, menus.get(), {});
    SendDpiChanged(*twin, 96, WindowRectOf(*twin));
    ASSERT_EQ(menu->Dpi(), dpi);
    TPopupButtonManager& m = *menu->ButtonManager;
    TPopupButtonManager& t = *twin->ButtonManager;
    ASSERT_EQ(m.EntryCount(), t.EntryCount());
    // A caption's height is its font's cell height; an icon entry's is at least the icon's.
    for (int i = 0; i < m.EntryCount(); ++i) {
        if (dynamic_cast<TSeparateBar*>(m.Entries(i))) {
            EXPECT_EQ(m.Entries(i)->Height(), Scale(TTopMenuFiler::kSeparatorHeight));
            EXPECT_EQ(t.Entries(i)->Height(), TTopMenuFiler::kSeparatorHeight);
        } else {
            EXPECT_SCALED(m.Entries(i)->Height(), t.Entries(i)->Height(), dpi) << "entry " << i;
        }
    }
    auto* folder = dynamic_cast<TIconButton*>(m.Entries(0));
    ASSERT_NE(folder, nullptr) << "the desktop shows no folders";
    EXPECT_EQ(folder->IconSize(), Scale(16));
    EXPECT_EQ(dynamic_cast<TIconButton*>(t.Entries(0))->IconSize(), 16);
    EXPECT_SCALED(m.ColumnWidth(0), t.ColumnWidth(0), dpi);
    EXPECT_EQ(menu->ClientWidth(), m.ColumnWidth(0));

    // On the screen the glyphs are as tall as the font; a bitmap stretched by the system would be at
    // most as solid as the 96-DPI glyphs it came from, glyphs drawn at the size have thicker strokes.
    ShowAt(menu, 20, 40);
    ShowAt(twin, menu->Left() + menu->Width() + 20, 40);
    const Rgb face = qbtest::SysRgb(COLOR_BTNFACE);
    const Ink ink = InkIn(ScreenRect(EntryOf<TPopupButtonBase>(m, TTopMenuFiler::kAbout)), face);
    const Ink ink96 = InkIn(ScreenRect(EntryOf<TPopupButtonBase>(t, TTopMenuFiler::kAbout)), face);
    std::printf("dpi %d: glyph height %d (96: %d), solid ink %.2f (96: %.2f)\n", dpi, ink.Height(),
                ink96.Height(), ink.Sharpness(), ink96.Sharpness());
    EXPECT_SCALED(ink.Height(), ink96.Height(), dpi);
    if (dpi > 96) {
        EXPECT_GT(ink.Sharpness(), ink96.Sharpness() * 1.2) << "blurred, as a stretched bitmap is";
    }
    // The icon fills the scaled box.
    const POINT at = OnEntry(folder, 0, 0);
    const Ink icon = InkIn(RECT{at.x, at.y, at.x + Scale(16), at.y + Scale(16)}, face);
    EXPECT_GT(icon.box.right - icon.box.left + 1, Scale(16) * 3 / 4) << "the icon is drawn at 96-DPI size";
    // The highlight is as many screen pixels tall as the entry (a column right of the caption's text).
    TPopupButtonBase* help = EntryOf<TPopupButtonBase>(m, TTopMenuFiler::kHelp);
    qbtest::MoveMouseTo(popuptest::EntryCenter(help));
    qbtest::PumpFor(100ms);
    const POINT top = OnEntry(help, help->Width() - 3, -4);
    const RECT column{top.x, top.y, top.x + 1, top.y + help->Height() + 8};
    EXPECT_EQ(ScreenGrab(column).Count(column, qbtest::ToRgb(fw::ColorToRGB(fw::clNavy))), help->Height());
    qbtest::SaveScreenshot(RECT{menu->Left(), menu->Top(), twin->Left() + twin->Width(),
                                std::max(menu->Top() + menu->Height(), twin->Top() + twin->Height())},
                           qbtest::OutputFolder() + L"\\top-menu-dpi" + std::to_wstring(dpi) + L".bmp");
}

TEST_F(AtDpi, TheTriangleTheOverlapAndTheSettingsFieldsScale) {
    const auto wide = WideScreen();
    TTopMenuCommands commands;
    commands.FillSettings = FillSettingsMenu;
    auto* menu = new TTopMenuFiler(menus.get(), true, menus.get(), commands);
    auto* settings = EntryOf<TTreeButton>(*menu->ButtonManager, TTopMenuFiler::kSettings);
    ASSERT_NE(settings, nullptr);
    settings->SetHoverDelay(10000);
    ShowAt(menu, 30, 30);
    // Into the triangle area, where it is wider than at 96 DPI: the settings open at once.
    qbtest::MoveMouseTo(popuptest::EntryCenter(settings));
    qbtest::MoveMouseTo(OnEntry(settings, settings->Width() - Scale(TPopupButton::kTriangleArea) + 2, 5));
    ASSERT_TRUE(qbtest::WaitUntil([&] { return menu->ChildMenu && menu->ChildMenu->Visible(); }, 2s));
    TPopupMenuBase* rows = menu->ChildMenu;
    EXPECT_EQ(Overlap(*menu, *rows), Scale(5));

    int field = 0;
    TEditFileNameButton* file = nullptr;
    for (TPopupButtonBase* e : *rows->ButtonManager) {
        auto* row = dynamic_cast<TEditStringButton*>(e);
        if (!row || field == 5) continue;
        EXPECT_EQ(row->EditBox->Width(), Scale(kFieldWidths[field++]));
        EXPECT_SCALED(row->EditBox->Height(), 21, dpi);
        EXPECT_GE(row->Height(), row->EditBox->Height());
        file = dynamic_cast<TEditFileNameButton*>(row);
    }
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->BrowseButton->Width(), Scale(36));
    EXPECT_EQ(file->BrowseButton->Height(), Scale(18));
    EXPECT_EQ(file->BrowseButton->Left(), file->EditBox->Left() + file->EditBox->Width() + Scale(2));
}

TEST(AboutBoxAtDpi, ItsClientAreaBoundsAndCaptionsScaleAndFollowADpiChange) {
    const int dpi = PrefixDpi();
    const auto scale = [](int px, int at) { return fw::ScaleForDpi(px, at); };
    auto* box = new TCopyrightForm(nullptr);
    auto* twin = new TCopyrightForm(nullptr);
    SendDpiChanged(*twin, 96, WindowRectOf(*twin));
    EXPECT_EQ(box->ClientWidth(), scale(277, dpi));
    EXPECT_EQ(box->ClientHeight(), scale(133, dpi));
    EXPECT_EQ(twin->ClientWidth(), 277);
    EXPECT_EQ(box->SuperLabel1->Height(), scale(41, dpi));
    EXPECT_EQ(box->Bevel2->Left(), scale(275, dpi));
    EXPECT_EQ(box->Button1->Height(), scale(20, dpi));

    // The name's glyphs are as tall as its 30-pixel font scaled.
    const auto nameInk = [](TCopyrightForm* form) {
        form->Show();
        ::UpdateWindow(form->Handle());
        qbtest::PumpFor(100ms);
        const POINT tl = form->SuperLabel1->ClientToScreen(POINT{0, 0});
        const int height =
            InkIn(RECT{tl.x, tl.y, tl.x + form->SuperLabel1->Width(), tl.y + form->SuperLabel1->Height()},
                  qbtest::PixelAt(tl))
                .Height();
        form->Hide();
        return height;
    };
    const int height = nameInk(box);
    EXPECT_SCALED(height, nameInk(twin), dpi);
    box->Show();
    qbtest::PumpFor(100ms);
    qbtest::SaveScreenshot(qbtest::ClientOnScreen(box->Handle()),
                           qbtest::OutputFolder() + L"\\about-box-dpi" + std::to_wstring(dpi) + L".bmp");

    // Moved to a monitor of another DPI while on the screen.
    SendDpiChanged(*box, dpi + 48, WindowRectOf(*box));
    EXPECT_EQ(box->ClientWidth(), scale(277, dpi + 48));
    EXPECT_EQ(box->ClientHeight(), scale(133, dpi + 48));
    EXPECT_EQ(box->Bevel2->Left(), scale(275, dpi + 48));
    EXPECT_EQ(box->Button1->Top() + box->Button1->Height(), box->ClientHeight());
    box->Free();
    twin->Free();
}

TEST_F(AtDpi, MenusMovedToAnotherDpiLayThemselvesOutAgain) {
    const auto wide = WideScreen();
    // Upwards: Wine keeps the frames of the prefix's DPI, whose least width a window at a lower DPI may
    // not reach (on Windows the frame follows the window's DPI).
    const int to = dpi + 48;
    const auto scaleTo = [to](int px) { return fw::ScaleForDpi(px, to); };
    const auto grown = [&](int height) { return height * to / double(dpi); };
    TTopMenuCommands commands;
    commands.FillSettings = FillSettingsMenu;
    auto* menu = new TTopMenuFiler(menus.get(), true, menus.get(), commands);
    ShowAt(menu, 40, 40);
    EntryOf<TTreeButton>(*menu->ButtonManager, TTopMenuFiler::kSettings)->OpenFromTriangle();
    TPopupMenuBase* rows = menu->ChildMenu;
    ASSERT_NE(rows, nullptr);
    std::vector<int> heights;
    for (TPopupButtonBase* e : *menu->ButtonManager) heights.push_back(e->Height());

    SendDpiChanged(*menu, to, RECT{50, 60, 50 + menu->Width(), 60 + menu->Height()});
    EXPECT_EQ(menu->Dpi(), to);
    EXPECT_EQ(menu->Left(), 50);
    EXPECT_EQ(menu->Top(), 60);
    for (int i = 0; i < menu->ButtonManager->EntryCount(); ++i) {
        TPopupButtonBase* e = menu->ButtonManager->Entries(i);
        if (dynamic_cast<TSeparateBar*>(e)) {
            EXPECT_EQ(e->Height(), scaleTo(10));
        } else {
            EXPECT_NEAR(e->Height(), grown(heights[i]), Slack(grown(heights[i])));
        }
    }
    EXPECT_EQ(menu->ClientWidth(), menu->ButtonManager->ColumnWidth(0));
    EXPECT_EQ(menu->ClientHeight(), menu->ButtonManager->Height());
    ASSERT_EQ(menu->ChildMenu, rows) << "the settings left the cascade";
    EXPECT_EQ(Overlap(*menu, *rows), scaleTo(5));
    // The icons come from the system list nearest their new size, drawn at that size.
    auto* folder = dynamic_cast<TIconButton*>(menu->ButtonManager->Entries(0));
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->IconSize(), scaleTo(16));
    ::UpdateWindow(menu->Handle());
    const POINT at = OnEntry(folder, 0, 0);
    const Ink icon =
        InkIn(RECT{at.x, at.y, at.x + scaleTo(16) + 4, at.y + scaleTo(16)}, qbtest::SysRgb(COLOR_BTNFACE));
    EXPECT_LE(icon.box.right - at.x + 1, scaleTo(16));
    EXPECT_GT(icon.box.right - icon.box.left + 1, scaleTo(16) * 3 / 4);

    // The settings fields follow their window.
    SendDpiChanged(*rows, to, WindowRectOf(*rows));
    auto* file = dynamic_cast<TEditFileNameButton*>(rows->ButtonManager->Entries(6));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->EditBox->Width(), scaleTo(280));
    EXPECT_NEAR(file->EditBox->Height(), scaleTo(21), 1);
    EXPECT_EQ(file->BrowseButton->Width(), scaleTo(36));

    // A tall window is cut to the monitor again, its scroll bar over the new height of its content, and
    // the wheel moves three lines of 16 pixels at 96 DPI.
    TPopupMenuBase* tall = NewWindow();
    for (int i = 0; i < 400; ++i)
        popuptest::AddCaptioned(*tall->ButtonManager, new TPopupButton, L"行 " + std::to_wstring(i));
    ShowAt(tall, 600, 0);
    FitHeightToWorkArea(tall);
    const int before = tall->ButtonManager->Height();
    SendDpiChanged(*tall, to, WindowRectOf(*tall));
    EXPECT_NEAR(tall->ButtonManager->Height(), grown(before), Slack(grown(before)));
    EXPECT_EQ(tall->VertScrollBar().Range(), tall->ButtonManager->Height());
    EXPECT_LE(tall->Top() + tall->Height(), fw::MonitorOf(WindowRectOf(*tall)).work.bottom);
    ::SendMessageW(tall->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(610, 100));
    EXPECT_EQ(tall->VertScrollBar().Position(), scaleTo(3 * 16));
}

TEST_F(AtDpi, TheProgramsCascadeIsLaidOutForTheDpi) {
    const qbtest::TempFolder folder(L"DPI " + std::to_wstring(dpi));
    ::CreateDirectoryW(folder.Child(L"フォルダ").c_str(), nullptr);
    for (const wchar_t* name : {L"文書 1.txt", L"文書 2.txt", L"表.csv", L"フォルダ\\中身.txt"}) {
        ::CloseHandle(
            ::CreateFileW(folder.Child(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
    const qbtest::ScratchSettings settings;
    // The same folder's window made here, hidden: the program must lay it out exactly so.
    TSubFolderFiler* twin = TSubFolderFiler::OpenFolderByPath(menus.get(), folder.Path(), false);
    ASSERT_NE(twin, nullptr);
    const int width = twin->ClientWidth();
    const int height = twin->ClientHeight();
    TPopupButtonBase* sub = EntryOf<TPopupButtonBase>(*twin->ButtonManager, L"フォルダ");
    ASSERT_NE(sub, nullptr);
    const POINT subAt{sub->Left() + sub->Width() / 2, sub->Top() + sub->Height() / 2};
    SendDpiChanged(*twin, 96, WindowRectOf(*twin));
    EXPECT_SCALED(height, twin->ClientHeight(), dpi);

    qbtest::ProgramProcess program(L"-d \"" + folder.Path() + L"\" 40 60");
    HWND window = program.WaitForVisibleWindow(L"TSubFolderFiler");
    ASSERT_NE(window, nullptr);
    const RECT client = qbtest::ClientOnScreen(window);
    EXPECT_EQ(client.right - client.left, width);
    EXPECT_EQ(client.bottom - client.top, height);

    qbtest::MoveMouseTo(POINT{client.left + subAt.x, client.top + subAt.y});
    std::vector<HWND> windows;
    ASSERT_TRUE(qbtest::WaitUntil(
        [&] { return (windows = program.VisibleWindows(L"TSubFolderFiler")).size() == 2; }, 5s));
    RECT parent{};
    RECT child{};
    ::GetWindowRect(window, &parent);
    ::GetWindowRect(windows[0] == window ? windows[1] : windows[0], &child);
    EXPECT_EQ(child.left, parent.right - Scale(5));
    qbtest::PumpFor(200ms);
    EXPECT_TRUE(
        qbtest::SaveScreenshot(RECT{parent.left, std::min(parent.top, child.top), child.right,
                                    std::max(parent.bottom, child.bottom)},
                               qbtest::OutputFolder() + L"\\cascade-dpi" + std::to_wstring(dpi) + L".bmp"));
    EXPECT_TRUE(program.Close().has_value());
}

}  // namespace
