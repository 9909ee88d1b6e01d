#include "framework/ScaledBitmapCache.h"

#include "framework/GdiScope.h"

#include <algorithm>

namespace fw {

namespace {

// A menu cascade shows a few widths times a few entry heights; the memory bound keeps a huge destination
// (a stretched background, say) from holding on to tens of megabytes: that one is stretched directly.
constexpr std::size_t kMaxEntries = 16;
constexpr std::uint64_t kMaxPixels = 4u << 20;  // 16 MiB of 32-bit pixels in all

std::uint64_t Pixels(int width, int height) noexcept {
    return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
}

unique_hbitmap MakeCopy(HBITMAP picture, int pictureWidth, int pictureHeight, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    unique_hbitmap copy(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    unique_hdc dc(::CreateCompatibleDC(nullptr));
    if (!copy || !dc) return {};
    {
        // A copy that failed to draw would show a wrong picture for as long as it is kept.
        ScopedSelect select(dc.get(), copy.get());
        if (!select.Selected()) return {};
        if (!StretchWhole(dc.get(), RECT{0, 0, width, height}, picture, pictureWidth, pictureHeight))
            return {};
    }
    return copy;
}

}  // namespace

bool StretchWhole(HDC target, const RECT& rect, HBITMAP picture, int pictureWidth, int pictureHeight) {
    unique_hdc source(::CreateCompatibleDC(target));
    if (!source) return false;
    ScopedSelect select(source.get(), picture);
    if (!select.Selected()) return false;
    const int oldMode = ::SetStretchBltMode(target, COLORONCOLOR);
    const BOOL drawn =
        ::StretchBlt(target, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     source.get(), 0, 0, pictureWidth, pictureHeight, SRCCOPY);
    if (oldMode) ::SetStretchBltMode(target, oldMode);
    return drawn != FALSE;
}

HBITMAP ScaledBitmapCache::Get(HBITMAP picture, int pictureWidth, int pictureHeight, int width, int height) {
    if (!picture || width <= 0 || height <= 0 || Pixels(width, height) > kMaxPixels) return nullptr;
    ++clock_;
    for (Entry& e : entries_) {
        if (e.width == width && e.height == height) {
            e.lastUse = clock_;
            return e.bitmap.get();
        }
    }
    unique_hbitmap copy = MakeCopy(picture, pictureWidth, pictureHeight, width, height);
    if (!copy) return nullptr;
    MakeRoomFor(Pixels(width, height));
    entries_.push_back(Entry{width, height, std::move(copy), clock_});
    return entries_.back().bitmap.get();
}

void ScaledBitmapCache::MakeRoomFor(std::uint64_t pixels) {
    auto total = [this] {
        std::uint64_t sum = 0;
        for (const Entry& e : entries_) sum += Pixels(e.width, e.height);
        return sum;
    };
    while (!entries_.empty() && (entries_.size() >= kMaxEntries || total() + pixels > kMaxPixels)) {
        auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                       [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        entries_.erase(oldest);
    }
}

}  // namespace fw
