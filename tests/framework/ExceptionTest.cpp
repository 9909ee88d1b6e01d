// Errors carry their code: an fw::Exception keeps the error behind it, and the application's stop box
// shows the system's description of that code and the code itself under the message.
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/TextConv.h"
#include "support/NestedStep.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the stop box says (all its texts), read while it is up; then it is OKed as the user would.
std::wstring ShownText(const std::exception& e) {
    std::wstring shown;
    const auto readAndClose = [&shown] {
        HWND box = qbtest::FindThreadWindow(L"#32770");
        if (!box) return false;
        for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
            shown += fw::WindowText(c) + L"\n";
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    };
    qbtest::NestedStep user(readAndClose, [readAndClose] { readAndClose(); });
    fw::App()->ShowException(e);
    return shown;
}

TEST(Exception, KeepsTheLastErrorAndTheStopBoxDescribesIt) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    const fw::Exception denied(L"フォルダを開けません");
    EXPECT_EQ(denied.Code(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    const std::wstring shown = ShownText(denied);
    EXPECT_NE(shown.find(L"フォルダを開けません."), std::wstring::npos) << shown;
    EXPECT_NE(shown.find(L"(0x80070005)"), std::wstring::npos) << shown;
    const std::wstring description = fw::ErrorDescription(denied.Code());
    EXPECT_FALSE(description.empty());
    EXPECT_NE(shown.find(description), std::wstring::npos) << shown;

    // A failure that is no system call's says only what went wrong.
    ::SetLastError(ERROR_ACCESS_DENIED);
    const std::wstring plain = ShownText(fw::Exception(L"壊れた画像です", S_OK));
    EXPECT_NE(plain.find(L"壊れた画像です."), std::wstring::npos) << plain;
    EXPECT_EQ(plain.find(L"0x"), std::wstring::npos) << plain;
}

}  // namespace
