// What the entries look like on the screen: the pixels of shown menu windows, read back from the
// display, for normal and highlighted buttons, the face bitmap, separators, icon buttons and submenu
// triangles; and how icon buttons measure themselves.
#include "support/popup/MenuTest.h"

#include "popup/IconButton.h"
#include "popup/PopupBase.h"
#include "popup/PopupButton.h"
#include "popup/SeparateBar.h"
#include "popup/StringButton.h"
#include "popup/TreeButton.h"
#include "framework/Screen.h"
#include "framework/UniqueAny.h"
#include "support/BmpFiles.h"
#include "support/Input.h"
#include "support/Process.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <type_traits>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using popuptest::AddCaptioned;
using popuptest::Area;
using popuptest::EntryCenter;
using popuptest::IsDark;
using popuptest::IsWhitish;
using popuptest::kNeutral;
using popuptest::OnEntry;
using popuptest::Repeat;
using popuptest::Rgb;
using popuptest::ScreenGrab;
using popuptest::ScreenRect;
using popuptest::SysRgb;
using qbtest::MoveMouseTo;

const Rgb kNavy{0, 0, 128};
const Rgb kRed{255, 0, 0};

Rgb Face() {
    return SysRgb(COLOR_BTNFACE);
}
Rgb Shadow() {
    return SysRgb(COLOR_BTNSHADOW);
}
Rgb Highlight() {
    return SysRgb(COLOR_BTNHIGHLIGHT);
}

// Counts of the colours that matter inside one entry's rectangle on the screen.
struct EntryPixels {
    int all = 0;
    int navy = 0;
    int face = 0;
    int red = 0;
    int white = 0;
    int dark = 0;
};

std::ostream& operator<<(std::ostream& os, const EntryPixels& p) {
    return os << "{all " << p.all << ", navy " << p.navy << ", face " << p.face << ", red " << p.red
              << ", white " << p.white << ", dark " << p.dark << "}";
}

// Reads the pixels of an entry (without its outer pixel ring), leaving out the part right of and below
// `cursor` where the mouse pointer may be drawn.
EntryPixels Sample(const TPopupButtonBase* e, const POINT* cursor = nullptr) {
    RECT r = ScreenRect(e, 1);
    if (cursor && cursor->x > r.left && cursor->x < r.right) r.right = cursor->x - 1;
    const ScreenGrab grab(r);
    EntryPixels p;
    if (!grab.Ok()) return p;
    const Rgb face = Face();
    p.all = Area(r);
    p.navy = grab.Count(r, kNavy);
    p.face = grab.Count(r, face);
    p.red = grab.Count(r, kRed);
    p.white = grab.Count(r, [](Rgb c) { return IsWhitish(c); });
    p.dark = grab.Count(r, [](Rgb c) { return IsDark(c); });
    return p;
}

bool LooksNormal(const EntryPixels& p) {
    return p.all > 0 && p.navy == 0 && p.face * 2 > p.all && p.dark > 0;
}
bool LooksHot(const EntryPixels& p) {
    return p.all > 0 && p.navy * 2 > p.all && p.white > 0 && p.face == 0 && p.red == 0;
}
bool LooksNormalOnFace(const EntryPixels& p) {
    return p.all > 0 && p.navy == 0 && p.face == 0 && p.red * 2 > p.all && p.dark > 0;
}

// A 24-bit bitmap file of one colour.
bool WriteSolidBitmap(const std::wstring& path, int width, int height, Rgb colour) {
    const std::uint32_t bgr = static_cast<std::uint32_t>(colour.b) | (colour.g << 8) | (colour.r << 16);
    const auto pixels = bmptest::Rows(width, height, 24, [bgr](int, int) { return bgr; });
    return bmptest::Write(path, bmptest::File(bmptest::InfoHeader(width, height, 24), {}, pixels));
}

class EntryPaint : public popuptest::MenuTest {
protected:
    void SetUp() override {
        popuptest::MenuTest::SetUp();
        ASSERT_NE(Face(), kNavy);
        ASSERT_NE(Shadow(), Face());
        ASSERT_NE(Highlight(), Face());
        ASSERT_NE(Highlight(), Shadow());
    }
    // Repaints a window and waits until the screen shows it.
    static void Repaint(TPopupMenuBase* w) {
        w->Invalidate();
        ::UpdateWindow(w->Handle());
        qbtest::PumpFor(50ms);
    }
};

TEST_F(EntryPaint, HotButtonIsNavyWithWhiteTextAndTheOthersKeepTheButtonFace) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    std::vector<TPopupButton*> buttons;
    for (int i = 1; i <= 3; ++i) {
        buttons.push_back(AddCaptioned(m, new TPopupButton, Repeat(L"Highlight ", 3) + std::to_wstring(i)));
    }
    AddCaptioned(m, new TPopupButton, Repeat(L"A wider entry makes room ", 2));
    ShowAt(w, 480, 100);
    ASSERT_TRUE(ButtonFace() == nullptr || ButtonFace()->Empty()) << "a face bitmap is still loaded";

    for (TPopupButton* b : buttons) {
        EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksNormal(Sample(b)); }, 2s)) << Sample(b);
    }

    // The cursor at the right end of the entry; the text on the left is what is read.
    const POINT cursor0 = OnEntry(buttons[0], buttons[0]->Width() - 4, buttons[0]->Height() / 2);
    MoveMouseTo(cursor0);
    ASSERT_TRUE(buttons[0]->Hot);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksHot(Sample(buttons[0], &cursor0)); }, 2s))
        << Sample(buttons[0], &cursor0);
    EXPECT_TRUE(LooksNormal(Sample(buttons[1]))) << Sample(buttons[1]);
    EXPECT_TRUE(LooksNormal(Sample(buttons[2]))) << Sample(buttons[2]);
    qbtest::SaveScreenshot(popuptest::ClientOnScreen(w), qbtest::OutputFolder() + L"\\entry-hot.bmp");

    // The highlight moves with the mouse; the button left is drawn normal again.
    const POINT cursor1 = OnEntry(buttons[1], buttons[1]->Width() - 4, buttons[1]->Height() / 2);
    MoveMouseTo(cursor1);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksHot(Sample(buttons[1], &cursor1)); }, 2s))
        << Sample(buttons[1], &cursor1);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksNormal(Sample(buttons[0])); }, 2s)) << Sample(buttons[0]);

    // A repaint of the whole window draws the hot button hot.
    Repaint(w);
    EXPECT_TRUE(LooksHot(Sample(buttons[1], &cursor1))) << Sample(buttons[1], &cursor1);

    // Out of the window, nothing stays highlighted.
    MoveMouseTo(kNeutral);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return !buttons[1]->Hot; }, 3s));
    for (TPopupButton* b : buttons) {
        EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksNormal(Sample(b)); }, 2s)) << Sample(b);
    }
}

TEST_F(EntryPaint, FaceBitmapIsDrawnBehindNormalEntriesButNotHotOnesAndABadFileKeepsThePicture) {
    const std::wstring red = bmptest::TempPath(L"quillbrook-entry-face-red.bmp");
    const std::wstring missing = bmptest::TempPath(L"quillbrook-entry-face-missing.bmp");
    const std::wstring notBitmap = bmptest::TempPath(L"quillbrook-entry-face-text.bmp");
    ASSERT_TRUE(WriteSolidBitmap(red, 8, 8, kRed));
    ::DeleteFileW(missing.c_str());
    {
        HANDLE h = ::CreateFileW(notBitmap.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(h, "not a picture", 13, &written, nullptr);
        ::CloseHandle(h);
    }

    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    auto* normal = AddCaptioned(m, new TPopupButton, Repeat(L"Entry on a face ", 2));
    auto* hot = AddCaptioned(m, new TPopupButton, Repeat(L"Highlighted entry ", 2));
    auto* bar = new TSeparateBar;
    bar->SetHeight(10);
    m.AddEntry(bar);
    auto* label = AddCaptioned(m, new TLabel, L"A label");
    auto* icon = AddCaptioned(m, new TIconButton, L"Icon entry");
    ShowAt(w, 520, 140);

    // No picture yet: a file that is not there leaves it so.
    ASSERT_NE(ButtonFace(), nullptr);
    ASSERT_TRUE(ButtonFace()->Empty());
    LoadButtonFace(missing);
    EXPECT_TRUE(ButtonFace()->Empty());
    Repaint(w);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksNormal(Sample(normal)); }, 2s)) << Sample(normal);

    LoadButtonFace(red);
    ASSERT_FALSE(ButtonFace()->Empty());
    Repaint(w);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksNormalOnFace(Sample(normal)); }, 2s)) << Sample(normal);
    EXPECT_TRUE(LooksNormalOnFace(Sample(icon))) << Sample(icon);
    const EntryPixels labelPixels = Sample(label);
    EXPECT_GT(labelPixels.red * 2, labelPixels.all) << labelPixels;
    EXPECT_GT(labelPixels.dark, 0) << labelPixels;
    {
        // The separator's lines lie on the picture.
        const ScreenGrab grab(ScreenRect(bar));
        EXPECT_EQ(grab.At(OnEntry(bar, bar->Width() / 2, 2)), kRed);
        EXPECT_EQ(grab.At(OnEntry(bar, bar->Width() / 2, 5)), Shadow());
        EXPECT_EQ(grab.At(OnEntry(bar, bar->Width() / 2, 6)), Highlight());
        EXPECT_EQ(grab.At(OnEntry(bar, bar->Width() / 2, 8)), kRed);
    }

    const POINT cursor = OnEntry(hot, hot->Width() - 4, hot->Height() / 2);
    MoveMouseTo(cursor);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksHot(Sample(hot, &cursor)); }, 2s))
        << Sample(hot, &cursor);
    EXPECT_TRUE(LooksNormalOnFace(Sample(normal))) << Sample(normal);
    qbtest::SaveScreenshot(popuptest::ClientOnScreen(w), qbtest::OutputFolder() + L"\\entry-face.bmp");
    MoveMouseTo(kNeutral);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksNormalOnFace(Sample(hot)); }, 3s)) << Sample(hot);

    // A missing file or one that is no bitmap leaves the picture as it was.
    LoadButtonFace(missing);
    LoadButtonFace(notBitmap);
    LoadButtonFace(L"");
    ASSERT_NE(ButtonFace(), nullptr);
    EXPECT_FALSE(ButtonFace()->Empty());
    Repaint(w);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksNormalOnFace(Sample(normal)); }, 2s)) << Sample(normal);

    // The picture lives as long as some entry does: new entries after the last one went start without it.
    menus.reset();
    EXPECT_EQ(ButtonFace(), nullptr) << "an entry outlived its window";
    menus = std::make_unique<TPopupMenuManager>(nullptr);
    TPopupMenuBase* again = NewWindow();
    auto* fresh = AddCaptioned(*again->ButtonManager, new TPopupButton, Repeat(L"Fresh entry ", 3));
    ShowAt(again, 520, 140);
    ASSERT_NE(ButtonFace(), nullptr);
    EXPECT_TRUE(ButtonFace()->Empty());
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksNormal(Sample(fresh)); }, 2s)) << Sample(fresh);

    ::DeleteFileW(red.c_str());
    ::DeleteFileW(notBitmap.c_str());
}

// The time of a file's last change, read or set.
FILETIME WrittenAt(const std::wstring& path, const FILETIME* set = nullptr) {
    FILETIME written{};
    fw::unique_handle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    if (set) ::SetFileTime(file.get(), nullptr, nullptr, set);
    ::GetFileTime(file.get(), nullptr, nullptr, &written);
    return written;
}

TEST_F(EntryPaint, TheFaceIsReadOnceForEachVersionOfItsFileAndKeptNoLargerThanTheLargestMonitor) {
    const std::wstring path = bmptest::TempPath(L"quillbrook-entry-face-kept.bmp");
    const SIZE most = fw::LargestMonitorSize();
    ASSERT_TRUE(WriteSolidBitmap(path, most.cx + 300, 6, kRed));
    FILETIME written = WrittenAt(path);
    // As each hotkey does: the menus of the last one are gone, a new one loads the face.
    const auto openMenu = [&] {
        menus = std::make_unique<TPopupMenuManager>(nullptr);
        TPopupMenuBase* w = NewWindow();
        auto* entry = AddCaptioned(*w->ButtonManager, new TPopupButton, Repeat(L"Entry on a kept face ", 2));
        ShowAt(w, 520, 140);
        LoadButtonFace(path);
        Repaint(w);
        return entry;
    };
    TPopupButton* entry = openMenu();
    ASSERT_TRUE(ButtonFace() && !ButtonFace()->Empty());
    EXPECT_EQ(ButtonFace()->Width(), most.cx);
    const auto onRed = [&] { return LooksNormalOnFace(Sample(entry)); };
    EXPECT_TRUE(qbtest::WaitUntil(onRed, 2s)) << Sample(entry);

    // Another picture, the same time of last change and size: the file is not read again.
    ASSERT_TRUE(WriteSolidBitmap(path, most.cx + 300, 6, Rgb{0, 160, 0}));
    WrittenAt(path, &written);
    entry = openMenu();
    EXPECT_TRUE(qbtest::WaitUntil(onRed, 2s)) << Sample(entry);
    // A new time of last change: it is, and the new picture shows.
    written.dwHighDateTime += 1;
    WrittenAt(path, &written);
    entry = openMenu();
    EXPECT_TRUE(qbtest::WaitUntil([&] { return Sample(entry).red == 0 && Sample(entry).face == 0; }, 2s));
    ::DeleteFileW(path.c_str());
}

TEST_F(EntryPaint, SeparatorDrawsAShadowAndAHighlightLineAcrossItsColumn) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    AddCaptioned(m, new TPopupButton, Repeat(L"Above the line ", 3));
    auto* bar = new TSeparateBar;
    bar->SetHeight(10);
    m.AddEntry(bar);
    AddCaptioned(m, new TPopupButton, L"Below");
    ShowAt(w, 560, 180);
    ASSERT_EQ(bar->Width(), m.Width());
    ASSERT_TRUE(ButtonFace() == nullptr || ButtonFace()->Empty());

    const RECT rows = ScreenRect(bar);
    const int width = bar->Width();
    auto row = [&](const ScreenGrab& grab, int dy, Rgb colour) {
        const POINT left = OnEntry(bar, 0, dy);
        return grab.Count(RECT{left.x, left.y, left.x + width, left.y + 1}, colour);
    };
    EXPECT_TRUE(qbtest::WaitUntil([&] { return row(ScreenGrab(rows), 5, Shadow()) == width; }, 2s));
    const ScreenGrab grab(rows);
    EXPECT_EQ(row(grab, 5, Shadow()), width) << "shadow line at Top+5 across the column";
    EXPECT_EQ(row(grab, 6, Highlight()), width) << "highlight line at Top+6 across the column";
    for (int dy : {0, 3, 4, 7, 9}) EXPECT_EQ(row(grab, dy, Face()), width) << "row Top+" << dy;
}

TEST_F(EntryPaint, IconButtonWithoutImagesMeasuresItsTextPlusTheIconSpaceAndDrawsNoIcon) {
    const std::wstring caption = L"Icon entry";
    const fw::Font small;
    const SIZE text = popuptest::MeasureText(small, caption);
    fw::Font large;
    large.SetHeight(28);
    const SIZE largeText = popuptest::MeasureText(large, caption);
    ASSERT_GT(largeText.cy, TIconButton::kIconHeight);

    // Each button alone in a window, so that the width is its own.
    auto measure = [&](unsigned char side, const fw::Font* font) {
        TPopupMenuBase* w = NewWindow();
        auto* b = new TIconButton;
        b->SetTriangleSide(side);
        if (font) b->GetFont().Assign(*font);
        AddCaptioned(*w->ButtonManager, b, caption);
        return SIZE{b->Width(), b->Height()};
    };
    const SIZE plain = measure(2, nullptr);
    EXPECT_EQ(plain.cx, text.cx + 16 + 3);
    EXPECT_EQ(plain.cy, std::max<LONG>(16, text.cy));
    const SIZE right = measure(1, nullptr);
    EXPECT_EQ(right.cx, text.cx + 16 + 3 + 14);
    EXPECT_EQ(right.cy, plain.cy);
    const SIZE left = measure(0, nullptr);
    EXPECT_EQ(left.cx, text.cx + 16 + 3 + 14);
    const SIZE tall = measure(2, &large);
    EXPECT_EQ(tall.cx, largeText.cx + 16 + 3);
    EXPECT_EQ(tall.cy, largeText.cy);

    // On the screen: the icon place is plain background (navy when hot), the text follows it.
    TPopupMenuBase* w = NewWindow();
    auto* icon = AddCaptioned(*w->ButtonManager, new TIconButton, caption);
    auto* other = AddCaptioned(*w->ButtonManager, new TIconButton, Repeat(L"Second icon entry ", 2));
    ShowAt(w, 600, 220);
    ASSERT_TRUE(ButtonFace() == nullptr || ButtonFace()->Empty());
    const POINT iconTopLeft = OnEntry(icon, 1, 1);
    const RECT iconPlace{iconTopLeft.x, iconTopLeft.y, iconTopLeft.x + 15,
                         iconTopLeft.y + icon->Height() - 1};
    const POINT textTopLeft = OnEntry(icon, 16 + 3, 0);
    const RECT textPlace{textTopLeft.x, textTopLeft.y, textTopLeft.x + text.cx,
                         textTopLeft.y + icon->Height()};
    EXPECT_TRUE(qbtest::WaitUntil(
        [&] { return ScreenGrab(iconPlace).Count(iconPlace, Face()) == Area(iconPlace); }, 2s));
    EXPECT_GT(ScreenGrab(textPlace).Count(textPlace, [](Rgb c) { return IsDark(c); }), 0);

    const POINT cursor = OnEntry(icon, icon->Width() - 3, icon->Height() / 2);
    MoveMouseTo(cursor);
    EXPECT_TRUE(qbtest::WaitUntil(
        [&] { return ScreenGrab(iconPlace).Count(iconPlace, kNavy) == Area(iconPlace); }, 2s));
    EXPECT_GT(ScreenGrab(textPlace).Count(textPlace, [](Rgb c) { return IsWhitish(c); }), 0);
    EXPECT_TRUE(LooksNormal(Sample(other))) << Sample(other);
}

TEST_F(EntryPaint, RightTriangleIsDrawnInHighlightAndShadowAtTheRightEdge) {
    TPopupMenuBase* w = NewWindow();
    TPopupButtonManager& m = *w->ButtonManager;
    AddCaptioned(m, new TPopupButton, Repeat(L"A wide entry for a wide column ", 2));
    auto* icon = new TIconButton;
    icon->SetTriangleSide(1);
    AddCaptioned(m, icon, L"Icon");
    auto* tree = new TTreeButton([](TPopupButtonManager&) {});
    tree->SetTriangleSide(1);
    AddCaptioned(m, tree, L"Tree");
    auto* none = AddCaptioned(m, new TPopupButton, L"None");
    ShowAt(w, 440, 300);
    ASSERT_TRUE(ButtonFace() == nullptr || ButtonFace()->Empty());

    // The 8 by 8 box at the right edge, centred on the entry's height.
    auto box = [](const TPopupButtonBase* e) {
        const int s = TPopupButton::kTriangleSize;
        const POINT tl = OnEntry(e, e->Width() - s, (e->Height() - s) / 2);
        return RECT{tl.x, tl.y, tl.x + s, tl.y + s};
    };
    for (TPopupButtonBase* e : {static_cast<TPopupButtonBase*>(icon), static_cast<TPopupButtonBase*>(tree)}) {
        SCOPED_TRACE(e == icon ? "icon button" : "tree button");
        const RECT r = box(e);
        EXPECT_TRUE(qbtest::WaitUntil([&] { return ScreenGrab(r).Count(r, Highlight()) > 0; }, 2s));
        const ScreenGrab grab(r);
        EXPECT_EQ(grab.At(POINT{r.left, r.top}), Highlight());  // the upright edge
        EXPECT_EQ(grab.At(POINT{r.left, r.top + 4}), Highlight());
        EXPECT_GE(grab.Count(r, Highlight()), 8);
        EXPECT_GE(grab.Count(r, Shadow()), 4);
    }
    const RECT plain = box(none);
    const ScreenGrab grab(plain);
    EXPECT_EQ(grab.Count(plain, Face()), Area(plain)) << "a button without a triangle draws none";
}

}  // namespace

namespace {

// The shapes that the shell item and settings entries take: an entry whose caption can be edited in
// place is a popup button, and a shell item's entry is at once an icon button and such an entry. They
// share one TPopupButtonBase, one TStringButton and one TPopupButton.
class EditableCaption : public virtual TPopupButton {
public:
    virtual void ApplyEdit() { ++applied; }
    int applied = 0;
};

class IconWithEditableCaption : public TIconButton, public EditableCaption {};

static_assert(std::is_convertible_v<IconWithEditableCaption*, TPopupButtonBase*>,
              "one entry base, reachable without ambiguity");
static_assert(std::is_convertible_v<IconWithEditableCaption*, TStringButton*>, "one caption");

TEST_F(EntryPaint, AnIconButtonThatIsAlsoAnEditableCaptionMeasuresPaintsAndClicksAsOneEntry) {
    TPopupMenuBase* w = NewWindow();
    const std::wstring caption = L"名前を変えられる項目";
    auto* both = new IconWithEditableCaption;
    int clicks = 0;
    both->OnClick = [&](TPopupButtonBase& sender) {
        ++clicks;
        dynamic_cast<EditableCaption&>(sender).ApplyEdit();
    };
    AddCaptioned(*w->ButtonManager, both, caption);
    auto* other = AddCaptioned(*w->ButtonManager, new TPopupButton, Repeat(L"Neighbour ", 3));
    ShowAt(w, 620, 260);

    // The icon button's measure and paint are the entry's own.
    const SIZE text = popuptest::MeasureText(fw::Font(), caption);
    EXPECT_EQ(both->Height(), std::max<LONG>(16, text.cy));
    EXPECT_GE(both->Width(), text.cx + 16 + 3);
    EXPECT_TRUE(LooksNormal(Sample(both))) << Sample(both);

    const POINT cursor = OnEntry(both, both->Width() - 3, both->Height() / 2);
    MoveMouseTo(cursor);
    EXPECT_TRUE(both->Hot);
    EXPECT_TRUE(qbtest::WaitUntil([&] { return LooksHot(Sample(both, &cursor)); }, 2s))
        << Sample(both, &cursor);
    EXPECT_TRUE(LooksNormal(Sample(other))) << Sample(other);

    qbtest::PressLeft();
    qbtest::ReleaseLeft();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(both->applied, 1);
}

}  // namespace
