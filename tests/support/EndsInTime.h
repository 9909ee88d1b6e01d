// Whether destroying an owner (of a thread, a watcher) returns in time: the owner is reset on a helper
// thread while this one pumps its messages, so a body that waits for this thread's windows cannot hang
// the test. A helper still stuck at the deadline is left behind.
#pragma once

#include "support/TestSupport.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>

namespace qbtest {

template <class Owner>
bool EndsInTime(Owner owner, std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
    struct Ending {
        Owner owner;
        std::atomic<bool> done{false};
    };
    auto ending = std::make_shared<Ending>();
    ending->owner = std::move(owner);
    std::thread helper([ending] {
        ending->owner.reset();
        ending->done = true;
    });
    if (WaitUntil([&] { return ending->done.load(); }, deadline)) {
        helper.join();
        return true;
    }
    helper.detach();
    return false;
}

}  // namespace qbtest
