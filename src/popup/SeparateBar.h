// A separator line. It does not measure itself: its creator sets the height, the column its width.
#pragma once

#include "popup/PopupButtonBase.h"

class TSeparateBar : public virtual TPopupButtonBase {
public:
    void Paint() override;
};
