// The colours the menus show in: the light scheme as they have always been, a dark one when the user
// chose the dark app theme, and the system's own colours when high contrast is on (which wins).
//
// Drawing code names colours as it always has (the button face, window text, the item colours); the
// menu windows' canvases show them through this map, so a scheme change is a repaint. Two roles are
// named apart because one colour plays both: a hot row's background (navy, or the item's colour) and
// the text on it.
#pragma once

#include "framework/Graphics.h"

#include <windows.h>

enum class TSchemeKind { Light, Dark, HighContrast };

// The colours that tell a shell item's kind in the light scheme; the others show their twins.
struct TItemColors {
    static constexpr fw::Color kReadOnly = 0x008000;  // green
    static constexpr fw::Color kLink = 0x808000;      // teal
    static constexpr fw::Color kShare = 0x008080;     // olive
    static constexpr fw::Color kSystem = 0x000080;    // maroon
    static constexpr fw::Color kHidden = 0x808080;    // grey
};

class TColorScheme final : public fw::ColorMap {
public:
    // The one scheme of the menus, read from the user's settings when first asked.
    static TColorScheme& Menus();

    TSchemeKind Kind() const noexcept { return kind_; }
    // Reads the user's choice again (the app theme, high contrast); true when the scheme changed.
    bool Refresh();
    // Asks the system whether high contrast is on (tests on a system that does not keep the setting, as
    // Wine, stand in for it).
    static inline bool (*HighContrastProbe)() noexcept = nullptr;
    // Whether a message the system broadcasts may have changed the scheme.
    static bool MayChange(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    COLORREF Resolve(fw::Color color) const noexcept override;
    // A hot row's background, for a row whose hot colour is `hot` (navy, or its item's colour).
    fw::Color HotBack(fw::Color hot) const noexcept;
    // The text on that background.
    fw::Color HotText(fw::Color hot) const noexcept;
    // Whether a face picture is drawn (never in high contrast).
    bool ShowsFace() const noexcept { return kind_ != TSchemeKind::HighContrast; }
    // Gives a window (and its controls) the scheme's scroll bar and caption bar where the platform has
    // them; the system's menus of the process follow the scheme when it is read.
    void Dress(HWND window) const noexcept;
    // Gives a control the scheme's look: the dark push buttons and fields, check boxes whose text takes
    // the scheme's colours.
    void DressControl(HWND control) const noexcept;

    // The dark scheme's colours.
    static constexpr fw::Color kDarkFace = 0x00202020;
    static constexpr fw::Color kDarkText = 0x00F0F0F0;
    static constexpr fw::Color kDarkHot = 0x00AA4F26;  // navy, light enough to stand out from the face
    static constexpr fw::Color kDarkShadow = 0x00141414;
    static constexpr fw::Color kDarkLight = 0x00505050;

private:
    TColorScheme() { Refresh(); }
    TSchemeKind kind_ = TSchemeKind::Light;
    bool first_ = true;
};
