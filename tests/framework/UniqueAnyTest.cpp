// Owners whose "no handle" value is INVALID_HANDLE_VALUE or null, on real files, change notifications and
// named kernel objects.
#include "framework/UniqueAny.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

HANDLE OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
    return ::CreateFileW(path.c_str(), access, share, nullptr, disposition, 0, nullptr);
}

TEST(UniqueAny, FileAndChangeOwnersTakeInvalidHandleValueForNone) {
    const qbtest::TempFolder folder(L"unique-any");
    const std::wstring missing = folder.Child(L"存在しない");
    EXPECT_FALSE(fw::unique_hfile(OpenFile(missing, GENERIC_READ, 0, OPEN_EXISTING)));
    constexpr DWORD kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;
    EXPECT_FALSE(fw::unique_hchange(::FindFirstChangeNotificationW(missing.c_str(), FALSE, kNames)));
    EXPECT_TRUE(fw::unique_hchange(::FindFirstChangeNotificationW(folder.Path().c_str(), FALSE, kNames)));

    // A file opened without sharing opens again once its owner has closed it.
    const std::wstring path = folder.Child(L"メモ.txt");
    fw::unique_hfile file(OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file);
    EXPECT_FALSE(fw::unique_hfile(OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)));
    fw::unique_hfile moved = std::move(file);
    EXPECT_FALSE(file);
    moved.reset();
    EXPECT_TRUE(fw::unique_hfile(OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)));
}

// The single-instance check of the next start depends on the name going with the last handle.
TEST(UniqueAny, NamedMutexGoesWithItsLastOwner) {
    const std::wstring name = L"Local\\QuillbrookTest-" + std::to_wstring(::GetCurrentProcessId());
    {
        const fw::unique_mutex mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
        ASSERT_TRUE(mutex);
        EXPECT_TRUE(fw::unique_mutex(::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str())));
    }
    EXPECT_FALSE(fw::unique_mutex(::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str())));
}

}  // namespace
