// The reference the shell takes on our process while it works for us on threads of its own. Some shell
// commands (Properties, Send To a compressed folder) return at once and go on in a window on a new thread
// of this process; they hold this reference (SHGetInstanceExplorer) for as long as that work runs. Ending
// the program under them would cut a zip file short, so the end waits, pumping messages, until the shell
// has let go (at most a minute: a reference that is never given back must not keep an invisible program
// alive forever).
#pragma once

#include <memory>

class TProcessReference {
public:
    TProcessReference();
    ~TProcessReference();
    TProcessReference(const TProcessReference&) = delete;
    TProcessReference& operator=(const TProcessReference&) = delete;

    // Whether someone other than the program holds the reference now.
    bool HeldByShell() const noexcept;

private:
    struct State;
    std::shared_ptr<State> state_;
};
