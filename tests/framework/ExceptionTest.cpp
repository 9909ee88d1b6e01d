// An fw::Exception keeps the error code behind it; the stop box shows the code's description and the code.
#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/TextConv.h"
#include "support/NestedStep.h"

#include <gtest/gtest.h>

namespace {

// All the texts of the stop box, read while it is up; then it is OKed as the user would.
std::wstring ShownText(const std::exception& e) {
    std::wstring shown;
    const auto readAndClose = [&shown] {
        HWND box = qbtest::FindThreadWindow(L"#32770");
        for (HWND c = box ? ::GetWindow(box, GW_CHILD) : nullptr; c; c = ::GetWindow(c, GW_HWNDNEXT))
            shown += fw::WindowText(c) + L"\n";
        return box && ::PostMessageW(box, WM_COMMAND, IDOK, 0);
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
    // The system's description (not empty: then no blank would precede the code) and the code.
    const std::wstring expected =
        L"フォルダを開けません.\n\n" + fw::ErrorDescription(denied.Code()) + L" (0x80070005)";
    EXPECT_NE(shown.find(expected), std::wstring::npos) << shown;
    // A failure that is no system call's says only what went wrong.
    const std::wstring plain = ShownText(fw::Exception(L"壊れた画像です", S_OK));
    EXPECT_EQ(plain.find(L"0x"), std::wstring::npos) << plain;
}

}  // namespace
