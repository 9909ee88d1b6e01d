// The drop box: files dropped through WM_DROPFILES (the handle built as the shell builds it and posted to
// the button's window), read completely and in order, and the handle freed whatever the box does with it.
#include "operations/DropBox.h"

#include "framework/Exception.h"
#include "framework/Form.h"
#include "support/DropFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DropBoxOnForm : public testing::Test {
protected:
    void SetUp() override {
        form_ = new fw::Form(nullptr, fw::FormParams{L"TDropBoxTestForm"});
        box_ = new TDropBox(form_, *form_);
    }
    void TearDown() override { delete form_; }

    // Posts a drop as the shell does and waits until the box has dealt with it (the handle is freed).
    void Drop(HDROP drop) {
        ASSERT_NE(drop, nullptr);
        ASSERT_TRUE(::PostMessageW(box_->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
        EXPECT_TRUE(qbtest::WaitUntil([&] { return qbtest::DropReleased(drop); }))
            << "the drop was not freed";
    }
    bool AcceptsFiles() const {
        return (::GetWindowLongPtrW(box_->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
    }

    fw::Form* form_ = nullptr;
    TDropBox* box_ = nullptr;
};

TEST_F(DropBoxOnForm, ADropIsReadWholeAndInOrderAndANewOneReplacesIt) {
    EXPECT_EQ(box_->Width(), 75);
    EXPECT_EQ(box_->Height(), 25);
    EXPECT_EQ(box_->FileCount(), 0);
    EXPECT_FALSE(box_->FileName(0).has_value());

    // Longer than MAX_PATH: a fixed buffer would cut it.
    const std::wstring deep = L"C:\\" + std::wstring(280, L'深') + L"\\壁紙.bmp";
    const std::vector<std::wstring> paths{L"C:\\壁紙\\夕焼け.bmp", deep, L"D:\\写真 2024\\海.bmp"};
    int drops = 0;
    box_->OnDropFiles = [&](TDropBox& sender) {
        EXPECT_EQ(&sender, box_);
        ++drops;
    };
    Drop(qbtest::MakeDrop(paths));
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(box_->FileNames, paths);
    EXPECT_EQ(box_->FileCount(), 3);
    EXPECT_EQ(box_->FileName(1), deep);
    EXPECT_EQ(box_->FileName(2), paths[2]);
    EXPECT_FALSE(box_->FileName(3).has_value());
    EXPECT_FALSE(box_->FileName(-1).has_value());

    Drop(qbtest::MakeDrop({L"E:\\一つだけ.bmp"}));
    EXPECT_EQ(drops, 2);
    EXPECT_EQ(box_->FileNames, std::vector<std::wstring>{L"E:\\一つだけ.bmp"});
}

TEST_F(DropBoxOnForm, WithoutAHandlerADropIsFreedAndThePreviousOneStays) {
    box_->OnDropFiles = [](TDropBox&) {};
    Drop(qbtest::MakeDrop({L"C:\\前の.bmp"}));
    box_->OnDropFiles = nullptr;
    Drop(qbtest::MakeDrop({L"C:\\次の.bmp", L"C:\\その次.bmp"}));
    EXPECT_EQ(box_->FileNames, std::vector<std::wstring>{L"C:\\前の.bmp"});

    // A handler that fails does not keep the handle either.
    qbtest::ReportedExceptions().clear();
    box_->OnDropFiles = [](TDropBox&) { throw fw::Exception(L"受け取れません"); };
    Drop(qbtest::MakeDrop({L"C:\\三つ目.bmp"}));
    EXPECT_EQ(qbtest::ReportedExceptions(), std::vector<std::wstring>{L"受け取れません"});
    qbtest::ReportedExceptions().clear();
}

TEST_F(DropBoxOnForm, DropAcceptTellsThePlatformOnlyWhenItChanges) {
    EXPECT_FALSE(box_->DropAccept());
    EXPECT_FALSE(AcceptsFiles());
    box_->SetDropAccept(true);
    EXPECT_TRUE(box_->DropAccept());
    EXPECT_TRUE(AcceptsFiles());

    // The style taken away behind the box's back: setting the same value again does not call the
    // platform, so it stays away.
    const LONG_PTR style = ::GetWindowLongPtrW(box_->Handle(), GWL_EXSTYLE);
    ::SetWindowLongPtrW(box_->Handle(), GWL_EXSTYLE, style & ~WS_EX_ACCEPTFILES);
    box_->SetDropAccept(true);
    EXPECT_FALSE(AcceptsFiles());

    box_->SetDropAccept(false);
    EXPECT_FALSE(box_->DropAccept());
    ::SetWindowLongPtrW(box_->Handle(), GWL_EXSTYLE, style);
    box_->SetDropAccept(false);
    EXPECT_TRUE(AcceptsFiles());
    box_->SetDropAccept(true);
    box_->SetDropAccept(false);
    EXPECT_FALSE(AcceptsFiles());
}

}  // namespace
