#include "support/SlowFileSystem.h"

#include "framework/UniqueAny.h"

#include <windows.h>

#include <cstdlib>
#include <string_view>

namespace qbtest {

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableW(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(value, n) : std::wstring();
}

}  // namespace

SlowFileSystem::SlowFileSystem() : root_(Variable(L"QB_SLOW_FS")) {
    while (!root_.empty() && root_.back() == L'\\') root_.pop_back();
    if (Mounted()) SetDelay(kDelay);
}

SlowFileSystem::~SlowFileSystem() {
    if (Mounted()) SetDelay(std::chrono::milliseconds(0));
}

std::string SlowFileSystem::Absent() const {
    if (Mounted()) return {};
    const char* why = std::getenv("QB_SLOW_FS_ABSENT");
    return std::string("no slow file system: ") +
           (why && *why ? why : "QB_SLOW_FS is not set (scripts/test mounts it where FUSE works)");
}

bool SlowFileSystem::SetDelay(std::chrono::milliseconds delay) const {
    fw::unique_hfile control(::CreateFileW(Path(L"control").c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                           nullptr));
    if (!control) return false;
    const std::string seconds = std::to_string(static_cast<double>(delay.count()) / 1000.0);
    DWORD written = 0;
    return ::WriteFile(control.get(), seconds.data(), static_cast<DWORD>(seconds.size()), &written,
                       nullptr) &&
           written == seconds.size();
}

int SlowFileSystem::Waiting() const {
    fw::unique_hfile control(::CreateFileW(Path(L"control").c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                           nullptr));
    if (!control) return -1;
    char text[64] = {};
    DWORD read = 0;
    if (!::ReadFile(control.get(), text, sizeof(text) - 1, &read, nullptr)) return -1;
    const std::string_view line(text, read);
    const auto at = line.find("waiting=");
    return at == std::string_view::npos ? -1 : std::atoi(text + at + 8);
}

}  // namespace qbtest
