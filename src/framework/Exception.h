// The framework's general exception class. Program code raises it for the few failures that the user is
// told about; the application's exception display shows its message (see Application::ShowException).
#pragma once

#include <exception>
#include <string>

namespace fw {

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message) : message_(std::move(message)) {}
    const std::wstring& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return "fw::Exception"; }

private:
    std::wstring message_;
};

}  // namespace fw
