// The slow file system that scripts/test mounts for the tests (tests/support/slowfs.py), as the program
// sees it: a folder "menu" holding "quick", "slow" (each listing waits the delay) and "slow-attributes"
// (each file's attributes wait it), each with a few .txt files, and the delay the tests set.
#pragma once

#include <chrono>
#include <string>

namespace qbtest {

class SlowFileSystem {
public:
    static constexpr auto kDelay = std::chrono::seconds(3);

    // Sets the delay to kDelay where the file system is mounted.
    SlowFileSystem();
    // Releases whatever still waits in it, so nothing of a test outlasts it.
    ~SlowFileSystem();
    SlowFileSystem(const SlowFileSystem&) = delete;
    SlowFileSystem& operator=(const SlowFileSystem&) = delete;

    bool Mounted() const noexcept { return !root_.empty(); }
    // Why it is not, for a test that skips.
    std::string Absent() const;
    // The full path of a folder of it, for example Path(L"menu\\slow").
    std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }

    // The delay of every slow call, those already waiting included (zero releases them); true when taken.
    bool SetDelay(std::chrono::milliseconds delay) const;
    // How many calls wait in it now, or -1 when that cannot be read.
    int Waiting() const;

private:
    std::wstring root_;
};

}  // namespace qbtest
