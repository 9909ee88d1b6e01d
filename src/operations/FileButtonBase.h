// The caption colours of shell items. The filer hands over the shell's attributes (SFGAO_*) first, then the
// file system's (FILE_ATTRIBUTE_*); each picks the first colour that applies, so a file-attribute colour
// replaces an attribute colour. A colour is both the caption's and the highlight's.
#pragma once

#include "operations/EditCaptionButton.h"
#include "popup/IconButton.h"

#include <windows.h>

class TFileButtonBase : public TIconButton, public TEditCaptionButton {
public:
    static constexpr fw::Color kReadOnlyColor = 0x008000;  // green
    static constexpr fw::Color kLinkColor = 0x808000;      // teal
    static constexpr fw::Color kShareColor = 0x008080;     // olive
    static constexpr fw::Color kSystemColor = 0x000080;    // maroon
    static constexpr fw::Color kHiddenColor = 0x808080;    // grey

    // Stores SFGAO_* flags and colours the caption: read-only, else link, else shared.
    virtual void SetAttributes(ULONG flags);
    // Stores FILE_ATTRIBUTE_* flags and colours the caption: system, else hidden, else read-only.
    void SetFileAttributes(DWORD flags);

    ULONG Attributes = 0;
    DWORD FileAttributes = 0;

private:
    void SetCaptionColor(fw::Color color);
};
