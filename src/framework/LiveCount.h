// Counts the live objects of a class, program-wide: a leak shows as a count that keeps growing while the
// user repeats the same steps.
#pragma once

#include <atomic>

namespace fw {

template <class T>
class LiveCount {
public:
    static int Live() noexcept { return count_.load(std::memory_order_relaxed); }

protected:
    LiveCount() noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    LiveCount(const LiveCount&) noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
    LiveCount& operator=(const LiveCount&) noexcept = default;
    ~LiveCount() { count_.fetch_sub(1, std::memory_order_relaxed); }

private:
    static inline std::atomic<int> count_{0};
};

}  // namespace fw
