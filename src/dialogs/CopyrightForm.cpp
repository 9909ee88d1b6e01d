#include "dialogs/CopyrightForm.h"

#include "framework/Exception.h"
#include "framework/GdiScope.h"
#include "framework/Lifetime.h"
#include "popup/GraphicsFunc.h"

#include <iterator>

namespace {

// Pixels at 96 DPI, scaled to the form's DPI.
constexpr int kClientWidth = 277;
constexpr int kClientHeight = 133;
constexpr fw::Color kAqua = 0x00FFFF00;
constexpr fw::Color kBtnText = fw::SystemColor(COLOR_BTNTEXT);
// The glass: what lies behind, darkened and tinted blue.
constexpr int kRedPercent = 30;
constexpr int kGreenPercent = 30;
constexpr int kBluePercent = 70;

// The framework's usual form style without caption and frame: a fixed-size popup.
constexpr DWORD kStyle =
    (fw::FormParams{}.style & ~(WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) |
    WS_POPUP;

// The whole screen's device context, for one read.
class ScreenDc {
public:
    ScreenDc() noexcept : dc_(::GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ::ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const noexcept { return dc_; }

private:
    HDC dc_;
};

struct Bounds {
    int left, top, width, height;
};

struct LabelText {
    Bounds bounds;
    const wchar_t* caption;
    int fontHeight;
    int fontWidth;
};

constexpr LabelText kLabels[] = {
    {{16, 0, 251, 41}, L"Quillbrook", 30, 20},
    {{48, 40, 187, 17}, L"Ver.0.1.1", 20, 10},
    {{24, 64, 233, 17}, L"(C) 2026 Quillbrook Project", 14, 7},
    {{64, 80, 161, 17}, L"フリーソフトウェア", 14, 7},
};
constexpr Bounds kLeftBevel{0, 0, 2, 133};
constexpr Bounds kRightBevel{275, 0, 2, 133};
constexpr Bounds kButton{112, 112, 75, 20};

// OK, the box's one control. Enter and Escape press it as Space does (the button class alone knows only
// Space); a key still held from before the box (the Enter that opened it, repeating) presses nothing.
class TOkButton : public fw::Button {
public:
    using fw::Button::Button;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        constexpr LPARAM kWasDown = 1 << 30;
        if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
            if (!(lParam & kWasDown)) Click();
            return 0;
        }
        return fw::Button::WndProc(msg, wParam, lParam);
    }
};

TSuperLabel* MakeLabel(TCopyrightForm* form, const fw::Font& font, const LabelText& text) {
    auto* label = new TSuperLabel(form);
    label->SetParent(form);
    label->SetCaption(text.caption);
    label->SetFontHeight(text.fontHeight);
    label->SetFontWidth(text.fontWidth);
    label->SetFont(font);
    return label;
}

}  // namespace

void TBevel::Paint(const RECT&) {
    HDC dc = GetCanvas().Handle();
    if (!dc) return;
    const int w = Width();
    const int h = Height();
    fw::unique_hbrush highlight(::CreateSolidBrush(fw::ColorToRGB(fw::clBtnHighlight)));
    fw::unique_hbrush shadow(::CreateSolidBrush(fw::ColorToRGB(fw::clBtnShadow)));
    const RECT left{0, 0, 1, h};
    const RECT top{0, 0, w - 1, 1};
    const RECT right{w - 1, 0, w, h};
    const RECT bottom{0, h - 1, w, h};
    ::FillRect(dc, &left, highlight.get());
    ::FillRect(dc, &top, highlight.get());
    ::FillRect(dc, &right, shadow.get());
    ::FillRect(dc, &bottom, shadow.get());
}

TCopyrightForm::TCopyrightForm(fw::Component* owner)
    : fw::Form(owner, fw::FormParams{L"TCopyrightForm", kStyle, 0}) {
    SetCaption(L"バージョン情報");

    fw::Font font;
    font.SetName(L"ＭＳ Ｐゴシック");
    font.SetHeight(12);
    fw::Font labelFont = font;
    labelFont.SetColor(kAqua);

    SuperLabel1 = MakeLabel(this, labelFont, kLabels[0]);
    SuperLabel1->SetFontWeight(600);
    SuperLabel2 = MakeLabel(this, labelFont, kLabels[1]);
    SuperLabel3 = MakeLabel(this, labelFont, kLabels[2]);
    SuperLabel4 = MakeLabel(this, labelFont, kLabels[3]);

    Bevel1 = new TBevel(this);
    Bevel1->SetParent(this);
    Bevel2 = new TBevel(this);
    Bevel2->SetParent(this);

    Button1 = new TOkButton(this, *this);
    Button1->SetText(L"OK");
    Button1->ModalResult = IDOK;
    fw::Font buttonFont = font;
    buttonFont.SetColor(kBtnText);
    Button1->SetFont(buttonFont);
    // In the modal loop the button's result ends the loop as well; the close alone is for a box shown
    // without one.
    Button1->OnClick = [this](fw::Button&) { Close(); };

    LayOut();
    CenterOnScreen();
}

void TCopyrightForm::LayOut() {
    SetClientSize(Scale(kClientWidth), Scale(kClientHeight));
    const auto place = [this](auto* control, const Bounds& b) {
        control->SetBounds(Scale(b.left), Scale(b.top), Scale(b.width), Scale(b.height));
    };
    TSuperLabel* labels[] = {SuperLabel1, SuperLabel2, SuperLabel3, SuperLabel4};
    for (size_t i = 0; i < std::size(labels); ++i) place(labels[i], kLabels[i].bounds);
    place(Bevel1, kLeftBevel);
    place(Bevel2, kRightBevel);
    place(Button1, kButton);
}

void TCopyrightForm::AlignToWidth() {
    for (TSuperLabel* label : {SuperLabel1, SuperLabel2, SuperLabel3, SuperLabel4}) {
        label->SetLeft((Width() - label->Width()) / 2);
    }
    Button1->SetBounds(0, ClientHeight() - Button1->Height(), ClientWidth(), Button1->Height());
}

void TCopyrightForm::DpiChanged(int oldDpi, int newDpi) {
    fw::Form::DpiChanged(oldDpi, newDpi);
    LayOut();
    AlignToWidth();
    // A box on the screen keeps its glass, stretched to the new size: capturing again would capture
    // the box itself. A hidden one captures afresh when it shows.
    if (Visible()) StretchBackground();
}

void TCopyrightForm::StretchBackground() {
    if (!background_) return;
    const int w = ClientWidth();
    const int h = ClientHeight();
    BITMAP old{};
    if (w <= 0 || h <= 0 || !::GetObjectW(background_.get(), sizeof(old), &old)) return;
    ScreenDc screen;
    if (!screen.Get()) return;
    fw::unique_hdc source(::CreateCompatibleDC(screen.Get()));
    fw::unique_hdc target(::CreateCompatibleDC(screen.Get()));
    fw::unique_hbitmap stretched(::CreateCompatibleBitmap(screen.Get(), w, h));
    if (!source || !target || !stretched) return;
    {
        fw::ScopedSelect from(source.get(), background_.get());
        fw::ScopedSelect to(target.get(), stretched.get());
        if (!from.Selected() || !to.Selected()) return;
        ::SetStretchBltMode(target.get(), HALFTONE);
        ::SetBrushOrgEx(target.get(), 0, 0, nullptr);
        if (!::StretchBlt(target.get(), 0, 0, w, h, source.get(), 0, 0, old.bmWidth, old.bmHeight, SRCCOPY))
            return;
    }
    background_ = std::move(stretched);
}

void TCopyrightForm::CenterOnScreen() {
    const int w = Width();
    const int h = Height();
    SetBounds((::GetSystemMetrics(SM_CXSCREEN) - w) / 2, (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h);
}

void TCopyrightForm::Showing() {
    AlignToWidth();
    fw::Form::Showing();
    // Last, once nothing moves the form any more.
    CaptureBackground();
}

// On a compositing desktop the pixels under a window are not on its surface, so they are copied from
// the screen while the form is still hidden, and tinted once.
void TCopyrightForm::CaptureBackground() {
    background_.reset();
    const int w = ClientWidth();
    const int h = ClientHeight();
    if (w <= 0 || h <= 0) return;
    POINT origin{0, 0};
    ::ClientToScreen(Handle(), &origin);
    ScreenDc screen;
    if (!screen.Get()) return;
    fw::unique_hdc memory(::CreateCompatibleDC(screen.Get()));
    fw::unique_hbitmap capture(::CreateCompatibleBitmap(screen.Get(), w, h));
    if (!memory || !capture) return;
    {
        fw::ScopedSelect selected(memory.get(), capture.get());
        if (!selected.Selected()) return;
        if (!::BitBlt(memory.get(), 0, 0, w, h, screen.Get(), origin.x, origin.y, SRCCOPY)) return;
        try {
            GraphicsFunc::ChangeBrightness(memory.get(), RECT{0, 0, w, h}, kRedPercent, kGreenPercent,
                                           kBluePercent);
        } catch (const fw::Exception&) {
            // Untinted glass would look like no window at all: the plain background is better.
            return;
        }
    }
    background_ = std::move(capture);
}

void TCopyrightForm::PaintBackground(HDC dc, const RECT& area) {
    if (!background_) {
        fw::Form::PaintBackground(dc, area);
        return;
    }
    fw::unique_hdc memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    fw::ScopedSelect selected(memory.get(), background_.get());
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory.get(), area.left,
             area.top, SRCCOPY);
}

LRESULT TCopyrightForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The focus the box gets (it is activated when it shows) goes on to OK, so that the keys work at once.
    if (msg == WM_SETFOCUS && Button1 && Button1->Handle()) {
        Button1->SetFocus();
        return 0;
    }
    return fw::Form::WndProc(msg, wParam, lParam);
}

void TCopyrightForm::DoClose(fw::CloseAction& action) {
    // Outside a modal loop the box frees itself; inside one the action only ends the loop, and whoever
    // showed the box frees it.
    action = fw::CloseAction::Free;
    fw::Form::DoClose(action);
}

int ShowAboutBox(fw::Component* owner) {
    auto* form = new TCopyrightForm(owner);
    int result = IDCANCEL;
    {
        // Held across the loop and the Free: an owner freed meanwhile only marks the form, and the
        // form goes when this scope closes, never under a pointer still in use here.
        fw::HandlerScope scope(form);
        result = form->ShowModal();
        form->Free();
    }
    return result;
}
