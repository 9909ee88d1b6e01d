// Shared by the drag tests: a drop target that the test owns and the window it is registered for, what the
// target reads from the data object it receives, and a helper thread that moves the mouse and releases the
// button (or presses Escape) while this thread is inside the drag loop. Wine's DoDragDrop follows input
// sent from another thread once the left button went down on a window of the dragging thread.
#pragma once

#include "framework/ComObject.h"
#include "support/TestSupport.h"
#include "support/shell/ShellTest.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace dragtest {

using namespace std::chrono_literals;

// Under Wine: its shell's folders take no drops, so what lands on disk is checked on Windows only.
using qbtest::RunningOnWine;

// A data object's medium, given back however the reading ends.
class Medium {
public:
    Medium(IDataObject& data, CLIPFORMAT format) {
        FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        ok_ = SUCCEEDED(data.GetData(&wanted, &medium_)) && medium_.tymed == TYMED_HGLOBAL;
    }
    ~Medium() {
        if (ok_) ::ReleaseStgMedium(&medium_);
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    HGLOBAL Global() const noexcept { return ok_ ? medium_.hGlobal : nullptr; }

private:
    STGMEDIUM medium_{};
    bool ok_ = false;
};

// The files a data object names in CF_HDROP.
std::vector<std::wstring> DroppedFiles(IDataObject& data);

// The paths of the items a data object names in the shell's identifier-list format ("Shell IDList
// Array"): its folder's list joined with each item's; empty when the format is missing.
std::vector<std::wstring> ShellIdListPaths(IDataObject& data);

// A drop target of the test: it records each call, what it was offered and the data it was given, and
// takes a drop as a copy when copying is offered. `whileOver` runs inside the drag loop at each DragOver.
class RecordingTarget final : public fw::ComObject<IDropTarget> {
public:
    STDMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) noexcept override {
        ++enters;
        offered = *effect;
        if (data) {
            enterFiles = DroppedFiles(*data);
            enterIdListPaths = ShellIdListPaths(*data);
        }
        *effect = Reply(*effect);
        return S_OK;
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) noexcept override {
        ++overs;
        if (whileOver) whileOver();
        *effect = Reply(*effect);
        return S_OK;
    }
    STDMETHODIMP DragLeave() noexcept override {
        ++leaves;
        return S_OK;
    }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) noexcept override {
        ++drops;
        if (data) dropFiles = DroppedFiles(*data);
        *effect = Reply(*effect);
        return S_OK;
    }

    int enters = 0;
    int overs = 0;
    int leaves = 0;
    int drops = 0;
    DWORD offered = DROPEFFECT_NONE;
    std::vector<std::wstring> enterFiles;
    std::vector<std::wstring> enterIdListPaths;
    std::vector<std::wstring> dropFiles;
    std::function<void()> whileOver;

private:
    ~RecordingTarget() override = default;
    static DWORD Reply(DWORD allowed) noexcept { return allowed & DROPEFFECT_COPY; }
};

// A plain window of the test at a screen rectangle, shown, with `target` registered for it (none for null).
class TargetWindow {
public:
    TargetWindow(const RECT& bounds, IDropTarget* target);
    ~TargetWindow() {
        if (registered_) ::RevokeDragDrop(hwnd_);
        if (hwnd_) ::DestroyWindow(hwnd_);
    }
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    HWND Handle() const noexcept { return hwnd_; }
    bool Registered() const noexcept { return registered_; }
    POINT Center() const {
        RECT r{};
        ::GetWindowRect(hwnd_, &r);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

private:
    HWND hwnd_ = nullptr;
    bool registered_ = false;
};

// How the helper thread ends a drag.
enum class Ending { Release, Escape };

// Moves the mouse from where the left button went down to `to` and ends the drag there, from a thread of
// its own, while the calling thread pumps (and runs the drag loop inside the first move). `source` is the
// window the press went to: the drag has begun when another window of the thread holds the capture.
class DragDriver {
public:
    DragDriver(HWND source, POINT to, Ending ending) : source_(source), to_(to), ending_(ending) {}
    DragDriver(const DragDriver&) = delete;
    DragDriver& operator=(const DragDriver&) = delete;
    ~DragDriver() {
        if (thread_.joinable()) thread_.join();
    }

    // Runs the helper and pumps this thread's messages until it is done; whether the drag began.
    bool Run() {
        Start();
        return Finish();
    }
    // Starts the helper, for a test that calls DoDragDrop itself next; Finish then waits for the helper.
    void Start() {
        const DWORD dragging = ::GetCurrentThreadId();
        thread_ = std::thread([this, dragging] { Drive(dragging); });
    }
    bool Finish() {
        qbtest::WaitUntil([this] { return done_.load(); }, 30s);
        thread_.join();
        return began_;
    }
    // Whether the drag loop had ended when the helper finished.
    bool Ended() const noexcept { return ended_; }

private:
    bool Dragging(DWORD thread) const;
    bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) const;
    void Drive(DWORD dragging);

    HWND source_;
    POINT to_;
    Ending ending_;
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::atomic<bool> began_{false};
    std::atomic<bool> ended_{false};
};

}  // namespace dragtest
