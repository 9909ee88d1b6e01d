#include "framework/Thread.h"

#include "framework/TextConv.h"

namespace fw {

void ThreadDeleter::End(Thread* thread) noexcept {
    if (!thread) return;
    thread->Terminate();
    thread->WaitFor();
    delete thread;
}

Thread::Thread() : stopEvent_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!stopEvent_) throw Exception(L"Cannot create an event");
}

Thread::~Thread() = default;

void Thread::Terminate() noexcept {
    terminated_ = true;
    ::SetEvent(stopEvent_.get());
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
