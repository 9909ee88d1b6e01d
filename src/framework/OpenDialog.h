// The system's open-file dialog as a component: set the properties, call Execute, read FileName.
//
// Execute runs the dialog's own modal loop. The component is held for its length, so a Free() that
// arrives from the queue meanwhile only marks it; Execute then reports no choice and the component goes
// when Execute returns.
#pragma once

#include "framework/Component.h"

#include <windows.h>

#include <string>

namespace fw {

class OpenDialog : public Component {
public:
    explicit OpenDialog(Component* owner);

    // "description|pattern|description|pattern"; each pattern is handed on exactly as written.
    std::wstring Filter;
    // Appended (without the dot) to a name the user types without an extension.
    std::wstring DefaultExt;
    // The folder the dialog opens in; empty for the system's choice.
    std::wstring InitialDir;
    // In: the name the dialog starts with. Out: the full path of the chosen file.
    std::wstring FileName;
    // The dialog's caption; empty for the system's own.
    std::wstring Title;

    // Shows the dialog owned by `owner` (which it disables meanwhile). True when the user chose a file;
    // otherwise FileName is left as it was.
    bool Execute(HWND owner);
};

}  // namespace fw
