// A separator line. Its creator sets the height, either as is (SetHeight) or in pixels at 96 DPI
// (SetBaseHeight), which the bar scales to its window's DPI whenever it is measured; the column sets its
// width.
#pragma once

#include "popup/PopupButtonBase.h"

class TSeparateBar : public virtual TPopupButtonBase {
public:
    void Paint() override;
    void Measure() override;
    void SetBaseHeight(int px96);

private:
    int baseHeight_ = 0;  // 0: the height is whatever SetHeight gave
};
