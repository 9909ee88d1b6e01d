// A worker thread. Derived classes put the body in Execute(); it runs once Start() is called. The body
// must watch Terminated() to stop early. Exceptions thrown by the body stay on that thread: they end
// it and are kept as FatalError() for the owner to inspect.
#pragma once

#include "framework/UniqueAny.h"

#include <atomic>
#include <string>

namespace fw {

class Thread {
public:
    Thread() = default;
    virtual ~Thread();  // asks the thread to stop and waits for it
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    bool Start();
    void Terminate() noexcept { terminated_ = true; }
    bool Terminated() const noexcept { return terminated_; }
    void WaitFor() noexcept;
    HANDLE Handle() const noexcept { return handle_.get(); }
    bool Finished() const noexcept { return finished_; }
    const std::wstring& FatalError() const noexcept { return fatalError_; }

protected:
    virtual void Execute() = 0;

private:
    static unsigned long __stdcall ThreadProc(void* param) noexcept;
    unique_handle handle_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::wstring fatalError_;
};

}  // namespace fw
