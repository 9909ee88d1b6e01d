#include "popup/PopupButtonBase.h"

#include "popup/ColorScheme.h"
#include "framework/Exception.h"
#include "framework/Screen.h"
#include "popup/PopupBase.h"
#include "popup/PopupButtonManager.h"
#include "settings/DataConserver.h"

#include <memory>

bool TriangleLatch = false;

namespace {

// Made empty by the first entry, destroyed with the last; holds no use itself.
constinit fw::SharedInstance<fw::Bitmap> g_buttonFace;

// One version of a face file: its path, the time of its last change and its size.
struct FaceFile {
    std::wstring path;
    FILETIME written{};
    ULONGLONG size = 0;

    bool operator==(const FaceFile& other) const noexcept {
        return path == other.path && ::CompareFileTime(&written, &other.written) == 0 && size == other.size;
    }
};

// The face last read and the file it came from, kept while the program runs: each hotkey loads the face
// anew (the menus of the last one may have closed, taking the face with their entries), and a picture
// tens of thousands of pixels wide costs a second to read. Empty when that file was no usable bitmap.
struct LastFace {
    FaceFile file;
    fw::Bitmap picture;
};
LastFace& LastFaceRead() {
    static LastFace last;
    return last;
}

// The version of the file at `path` now; false when there is no such file.
bool FaceFileNow(const std::wstring& path, FaceFile& file) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    file = FaceFile{path, data.ftLastWriteTime, (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow};
    return true;
}

}  // namespace

fw::Bitmap* ButtonFace() {
    return g_buttonFace.Current();
}

bool DrawButtonFace(fw::Canvas& canvas, const RECT& rect) {
    fw::Bitmap* face = g_buttonFace.Current();
    // High contrast shows the system's colours only.
    if (!face || face->Empty() || !TColorScheme::Menus().ShowsFace()) return false;
    canvas.StretchDraw(rect, *face);
    return true;
}

void LoadButtonFace(const std::wstring& path) {
    fw::Bitmap* face = g_buttonFace.Current();
    FaceFile file;
    // A missing or unreadable picture leaves the menus as they were.
    if (!face || !FaceFileNow(path, file)) return;
    LastFace& last = LastFaceRead();
    if (last.file != file) {
        last = LastFace{file, {}};
        try {
            // Entries stretch the face over a window at most, so the largest monitor's size is plenty.
            last.picture.LoadFromFile(path, fw::LargestMonitorSize());
        } catch (const fw::Exception&) {
            return;
        }
    }
    if (!last.picture.Empty()) *face = last.picture;
}

TPopupButtonBase::TPopupButtonBase() : fw::Component(nullptr), face_(g_buttonFace.Acquire()) {
    tracker_.Action = [this] {
        // The timer calls in from outside any window message: hold the window, the container and the
        // entry, as the mouse routing does, so the hover may free any of them.
        TEntryScope scope(*this);
        if (!Marked()) Hover();
    };
    tracker_.Condition = [this] { return CursorInside(); };
    tracker_.Interval = DataConserver ? DataConserver->DelayTime : 200;
}

TPopupButtonBase::~TPopupButtonBase() {
    TellWindowLeaving();
}

void TPopupButtonBase::CaptionChanged() noexcept {
    foldedStale_ = true;
    if (container_) container_->CaptionChanged();
}

void TPopupButtonBase::WillFreeLater() noexcept {
    fw::Component::WillFreeLater();
    TellWindowLeaving();
}

void TPopupButtonBase::TellWindowLeaving() noexcept {
    // The container's owner is its window while both live, and null once the window is going.
    if (!container_) return;
    if (auto* window = dynamic_cast<TPopupMenuBase*>(container_->Owner())) window->EntryLeaving(this);
}

void TPopupButtonBase::Attach(TPopupButtonManager* container) {
    container_ = container;
    canvas_ = container ? &container->GetCanvas() : nullptr;
}

TPopupButtonBase& TPopupButtonBase::SetLeft(int v) {
    left_ = v;
    return *this;
}
TPopupButtonBase& TPopupButtonBase::SetTop(int v) {
    top_ = v;
    return *this;
}
TPopupButtonBase& TPopupButtonBase::SetWidth(int v) {
    width_ = v;
    return *this;
}
TPopupButtonBase& TPopupButtonBase::SetHeight(int v) {
    height_ = v;
    return *this;
}

void TPopupButtonBase::Click() {
    if (OnClick) OnClick(*this);
}

void TPopupButtonBase::MouseDown(fw::MouseButton button, fw::ShiftState shift, int x, int y) {
    tracker_.Stop();
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TPopupButtonBase::MouseMove(fw::ShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TPopupButtonBase::MouseUp(fw::MouseButton button, fw::ShiftState shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

void TPopupButtonBase::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(*this);
    tracker_.Start();
}

void TPopupButtonBase::Hover() {
    if (OnHover) OnHover(*this);
}

void TPopupButtonBase::MouseLeave() {
    if (OnMouseLeave) OnMouseLeave(*this);
    tracker_.Stop();
}

bool TPopupButtonBase::CursorInside() const {
    if (!container_) return false;
    POINT cursor;
    if (!::GetCursorPos(&cursor)) return false;
    const POINT topLeft = container_->ClientToScreen(POINT{Left(), Top()});
    const POINT bottomRight = container_->ClientToScreen(POINT{Left() + Width(), Top() + Height()});
    return topLeft.x <= cursor.x && cursor.x < bottomRight.x && topLeft.y <= cursor.y &&
           cursor.y < bottomRight.y;
}

int TPopupButtonBase::Dpi() const noexcept {
    return container_ ? container_->Dpi() : fw::kBaseDpi;
}

fw::Color TPopupButtonBase::ContainerColor() const noexcept {
    return container_ ? container_->GetColor() : fw::clBtnFace;
}
