// The settings submenu: one row per setting, each showing the settings record's value and handing every
// change straight to the record (which keeps what it cannot use). The record stores it at the program's end.
#pragma once

#include "popup/PopupButtonManager.h"

// Adds the rows to an empty container and lays them out.
void FillSettingsMenu(TPopupButtonManager& container);
