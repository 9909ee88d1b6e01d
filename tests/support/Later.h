// Work that arrives from the message queue: Later(action) posts a message whose handling runs `action`,
// the way a refill request, a release or a deactivation reaches the program while a handler of it runs
// a nested message loop (a context menu, a modal dialog, a drag).
#pragma once

#include <functional>

namespace qbtest {

void Later(std::function<void()> action);

}  // namespace qbtest
