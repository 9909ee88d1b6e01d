#include "framework/Thread.h"

#include "framework/Exception.h"
#include "framework/TextConv.h"

namespace fw {

Thread::~Thread() {
    Terminate();
    WaitFor();
}

bool Thread::Start() {
    if (handle_) return false;
    handle_.reset(::CreateThread(nullptr, 0, &Thread::ThreadProc, this, 0, nullptr));
    return static_cast<bool>(handle_);
}

void Thread::WaitFor() noexcept {
    if (handle_) ::WaitForSingleObject(handle_.get(), INFINITE);
}

unsigned long __stdcall Thread::ThreadProc(void* param) noexcept {
    auto* self = static_cast<Thread*>(param);
    try {
        self->Execute();
    } catch (const Exception& e) {
        self->fatalError_ = e.Message();
    } catch (const std::exception& e) {
        self->fatalError_ = Utf8ToWide(e.what());
    } catch (...) {
        self->fatalError_ = L"Unknown exception";
    }
    self->finished_ = true;
    return 0;
}

}  // namespace fw
