// The caption colours of shell items. The filer hands over the shell's attributes (SFGAO_*) first, then the
// file system's (FILE_ATTRIBUTE_*); each picks the first colour that applies, so a file-attribute colour
// replaces an attribute colour. A colour is both the caption's and the highlight's.
#pragma once

#include "operations/EditCaptionButton.h"
#include "popup/ColorScheme.h"
#include "popup/IconButton.h"

#include <windows.h>

class TFileButtonBase : public TIconButton, public TEditCaptionButton {
public:
    static constexpr fw::Color kReadOnlyColor = TItemColors::kReadOnly;
    static constexpr fw::Color kLinkColor = TItemColors::kLink;
    static constexpr fw::Color kShareColor = TItemColors::kShare;
    static constexpr fw::Color kSystemColor = TItemColors::kSystem;
    static constexpr fw::Color kHiddenColor = TItemColors::kHidden;

    // Stores SFGAO_* flags and colours the caption: read-only, else link, else shared.
    virtual void SetAttributes(ULONG flags);
    // Stores FILE_ATTRIBUTE_* flags and colours the caption: system, else hidden, else read-only.
    void SetFileAttributes(DWORD flags);

    ULONG Attributes = 0;
    DWORD FileAttributes = 0;

private:
    void SetCaptionColor(fw::Color color);
};
