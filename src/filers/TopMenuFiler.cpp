#include "filers/TopMenuFiler.h"

#include "popup/SeparateBar.h"
#include "popup/TreeButton.h"

TTopMenuFiler::TTopMenuFiler(fw::Component* owner, bool showTriangle, fw::Component* adopter,
                             TTopMenuCommands commands)
    : TRootMenuFiler(owner, showTriangle, adopter, kParams), commands_(std::move(commands)) {
    AddSeparator();
    auto* settings = new TTreeButton(commands_.FillSettings);
    if (ShowTriangle) settings->SetTriangleSide(1);
    settings->SetCaption(kSettings);
    ButtonManager->AddEntry(settings);
    AddSeparator();
    AddCommand(kHelp, [this] {
        if (commands_.Help) commands_.Help();
    });
    AddSeparator();
    AddCommand(kAbout, [this] {
        if (commands_.About) commands_.About(*this);
    });
    AddCommand(kExit, [this] {
        if (commands_.Exit) commands_.Exit();
    });
    ButtonManager->FinishLayout();
}

void TTopMenuFiler::AddSeparator() {
    auto* bar = new TSeparateBar;
    bar->SetBaseHeight(kSeparatorHeight);
    ButtonManager->AddEntry(bar);
}

void TTopMenuFiler::AddCommand(const wchar_t* caption, std::function<void()> action) {
    auto* button = new TPopupButton;
    button->SetCaption(caption);
    button->OnClick = [action = std::move(action)](TPopupButtonBase&) { action(); };
    ButtonManager->AddEntry(button);
}
