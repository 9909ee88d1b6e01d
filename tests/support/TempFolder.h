// A fresh folder under %TEMP% for one test, removed with everything in it when the test is done.
#pragma once

#include <string>

namespace qbtest {

class TempFolder {
public:
    // `tag` keeps folders of different tests apart; the process id keeps parallel runs apart.
    explicit TempFolder(const std::wstring& tag);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const noexcept { return path_; }
    // The full path of `name` inside the folder.
    std::wstring Child(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    void Remove() const noexcept;
    std::wstring path_;
};

}  // namespace qbtest
