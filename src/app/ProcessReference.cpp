#include "app/ProcessReference.h"

#include "framework/ComObject.h"

#include <shlobj.h>

#include <atomic>

#include <chrono>

struct TProcessReference::State {
    // Shared with the token: a holder that lets go after the program stopped waiting still has it.
    std::shared_ptr<std::atomic<bool>> gone = std::make_shared<std::atomic<bool>>(false);
    fw::ComPtr<IUnknown> token;
};

namespace {

using namespace std::chrono_literals;
constexpr auto kLongestWait = 60s;

// The object the shell holds: it only tells when the last holder has let go.
class ProcessToken final : public fw::ComObject<IUnknown> {
public:
    explicit ProcessToken(std::shared_ptr<std::atomic<bool>> gone) : gone_(std::move(gone)) {}

private:
    ~ProcessToken() override { *gone_ = true; }
    std::shared_ptr<std::atomic<bool>> gone_;
};

}  // namespace

TProcessReference::TProcessReference() : state_(std::make_shared<State>()) {
    fw::ComPtr<ProcessToken> token = fw::MakeComObject<ProcessToken>(state_->gone);
    state_->token = fw::ComPtr<IUnknown>(token.get());
    ::SHSetInstanceExplorer(state_->token.get());
}

TProcessReference::~TProcessReference() {
    ::SHSetInstanceExplorer(nullptr);
    state_->token.reset();
    const auto deadline = std::chrono::steady_clock::now() + kLongestWait;
    while (!*state_->gone && std::chrono::steady_clock::now() < deadline) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

bool TProcessReference::HeldByShell() const noexcept {
    // Ours is one reference; anything above it is the shell's.
    if (!state_->token) return false;
    state_->token->AddRef();
    return state_->token->Release() > 1;
}
