#include "operations/FileButtonBase.h"

#include <shlobj.h>

void TFileButtonBase::SetCaptionColor(fw::Color color) {
    GetFont().SetColor(color);
    HotColor = color;
}

void TFileButtonBase::SetAttributes(ULONG flags) {
    Attributes = flags;
    if (flags & SFGAO_READONLY) {
        SetCaptionColor(kReadOnlyColor);
    } else if (flags & SFGAO_LINK) {
        SetCaptionColor(kLinkColor);
    } else if (flags & SFGAO_SHARE) {
        SetCaptionColor(kShareColor);
    }
}

void TFileButtonBase::SetFileAttributes(DWORD flags) {
    FileAttributes = flags;
    if (flags & FILE_ATTRIBUTE_SYSTEM) {
        SetCaptionColor(kSystemColor);
    } else if (flags & FILE_ATTRIBUTE_HIDDEN) {
        SetCaptionColor(kHiddenColor);
    } else if (flags & FILE_ATTRIBUTE_READONLY) {
        SetCaptionColor(kReadOnlyColor);
    }
}
