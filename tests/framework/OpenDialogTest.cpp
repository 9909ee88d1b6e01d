#include "framework/OpenDialog.h"

#include "framework/Form.h"
#include "framework/TextConv.h"
#include "support/NestedStep.h"
#include "support/TestSupport.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Wine's dialog has no edt1: its file-name field cmb13 is a ComboBoxEx32 around a combo box around the
// edit that takes the name.
HWND FileNameEdit(HWND dialog) {
    HWND field = ::GetDlgItem(dialog, cmb13);
    if (!field) field = ::GetDlgItem(dialog, edt1);
    for (HWND inner = field; inner; inner = ::GetWindow(inner, GW_CHILD)) field = inner;
    return field;
}

// What the user does in the dialog, from inside its modal loop: type a name and press Open (or press
// Cancel when `name` is null). Gives up with Cancel so that a failing test cannot hang.
struct DialogUser {
    const wchar_t* name = nullptr;
    std::function<void(HWND dialog)> before;
    std::wstring caption;
    HWND owner = nullptr;
    std::wstring stuck;

    std::unique_ptr<qbtest::NestedStep> Start() {
        return std::make_unique<qbtest::NestedStep>(
            [this] {
                HWND dialog = qbtest::FindThreadWindow(L"#32770");
                if (!dialog) return false;
                caption = fw::WindowText(dialog);
                owner = ::GetWindow(dialog, GW_OWNER);
                if (before) before(dialog);
                if (name) ::SetWindowTextW(FileNameEdit(dialog), name);
                ::PostMessageW(::GetDlgItem(dialog, name ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
                return true;
            },
            [this] {
                // The dialog or a message box it raised is still up: note what it says, then close it.
                HWND dialog = qbtest::FindThreadWindow(L"#32770");
                if (!dialog) return;
                stuck += L"[" + fw::WindowText(dialog) + L"]";
                for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
                    stuck += L" " + fw::WindowText(c);
                // Cancel as the user would: ending the dialog from outside would report a choice.
                ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            });
    }
};

// Real files in Japanese folders under the temporary folder.
class OpenDialogFiles : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"qb-opendialog";
        pictures_ = root_ + L"\\壁紙 フォルダ";
        other_ = root_ + L"\\別の場所";
        for (const auto& dir : {root_, pictures_, other_}) ::CreateDirectoryW(dir.c_str(), nullptr);
        for (const auto& file : {pictures_ + L"\\夕焼け.bmp", other_ + L"\\海.bmp"}) {
            HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE);
            DWORD written = 0;
            ::WriteFile(h, "BM", 2, &written, nullptr);
            ::CloseHandle(h);
            files_.push_back(file);
        }
        form_ = new fw::Form(nullptr);
        form_->Show();
    }
    void TearDown() override {
        delete form_;
        for (const auto& file : files_) ::DeleteFileW(file.c_str());
        for (const auto& dir : {other_, pictures_, root_}) ::RemoveDirectoryW(dir.c_str());
    }

    std::wstring root_, pictures_, other_;
    std::vector<std::wstring> files_;
    fw::Form* form_ = nullptr;
};

TEST_F(OpenDialogFiles, ANameTypedInTheInitialFolderGetsTheDefaultExtension) {
    fw::OpenDialog dialog(nullptr);
    dialog.Filter = L"ビットマップ(*.bmp)|*bmp|すべてのファイル(*.*)|*.*";
    dialog.DefaultExt = L"bmp";
    dialog.InitialDir = pictures_;
    dialog.Title = L"壁紙を選ぶ";
    DialogUser user{L"夕焼け"};
    auto step = user.Start();
    ASSERT_TRUE(dialog.Execute(form_->Handle())) << fw::WideToUtf8(user.stuck);
    EXPECT_EQ(dialog.FileName, pictures_ + L"\\夕焼け.bmp") << fw::WideToUtf8(user.stuck);
    EXPECT_EQ(user.caption, L"壁紙を選ぶ");
    EXPECT_EQ(user.owner, form_->Handle());
    // The program's current folder is not the dialog's to change.
    wchar_t current[MAX_PATH]{};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_NE(std::wstring(current), pictures_);
}

TEST_F(OpenDialogFiles, AFullPathComesBackAsTypedAndCancelLeavesTheNameAlone) {
    fw::OpenDialog dialog(nullptr);
    dialog.Filter = L"ビットマップ(*.bmp)|*bmp";
    dialog.DefaultExt = L"bmp";
    dialog.FileName = pictures_ + L"\\夕焼け.bmp";
    const std::wstring sea = other_ + L"\\海.bmp";
    DialogUser user{sea.c_str()};
    auto step = user.Start();
    ASSERT_TRUE(dialog.Execute(form_->Handle())) << fw::WideToUtf8(user.stuck);
    EXPECT_EQ(dialog.FileName, sea);

    // The dialog starts with the name it was given; cancelling keeps it.
    std::wstring shown;
    DialogUser canceller;
    canceller.before = [&](HWND d) { shown = fw::WindowText(FileNameEdit(d)); };
    step = canceller.Start();
    EXPECT_FALSE(dialog.Execute(form_->Handle()));
    EXPECT_EQ(canceller.stuck, L"");
    EXPECT_NE(shown.find(L"海"), std::wstring::npos) << shown.size();
    EXPECT_EQ(dialog.FileName, sea);
    EXPECT_TRUE(::IsWindowEnabled(form_->Handle()));
}

int g_deletedDialogs = 0;
class CountedDialog : public fw::OpenDialog {
public:
    using fw::OpenDialog::OpenDialog;
    ~CountedDialog() override { ++g_deletedDialogs; }
};

TEST_F(OpenDialogFiles, FreedWhileItRunsItGoesWhenTheDialogCloses) {
    g_deletedDialogs = 0;
    auto* owner = new fw::Component(nullptr);
    auto* dialog = new CountedDialog(owner);
    dialog->InitialDir = pictures_;
    DialogUser user{L"夕焼け.bmp"};
    // The owner goes while the dialog is up: it takes the component along.
    user.before = [&](HWND) {
        delete owner;
        EXPECT_EQ(g_deletedDialogs, 0);
    };
    auto step = user.Start();
    EXPECT_FALSE(dialog->Execute(form_->Handle()));  // the choice has nobody to go to
    EXPECT_EQ(g_deletedDialogs, 1);
}

}  // namespace
