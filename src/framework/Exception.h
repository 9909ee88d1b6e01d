// The framework's general exception class. Program code raises it for the few failures that the user is
// told about; the application's exception display shows its message and, when it carries one, its error
// code with the system's description of it (see Application::ShowException).
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace fw {

class Exception : public std::exception {
public:
    // The code is the calling thread's last error, for the usual case of a system call that has just
    // failed (throw before calling anything else); a failure that is no system call's passes its own
    // code, or S_OK for none.
    explicit Exception(std::wstring message) : Exception(std::move(message), LastErrorCode()) {}
    Exception(std::wstring message, HRESULT code) : message_(std::move(message)), code_(code) {}

    const std::wstring& Message() const noexcept { return message_; }
    // The error code behind the failure; S_OK when there is none.
    HRESULT Code() const noexcept { return code_; }
    const char* what() const noexcept override { return "fw::Exception"; }

    // The last error of the calling thread as an HRESULT (S_OK when there is none).
    static HRESULT LastErrorCode() noexcept { return HRESULT_FROM_WIN32(::GetLastError()); }

private:
    std::wstring message_;
    HRESULT code_;
};

// The system's description of an error code, without its line break; empty when the system has none.
std::wstring ErrorDescription(HRESULT code);

}  // namespace fw
