#include "BenchSupport.h"

#include "framework/UniqueAny.h"

#include <psapi.h>

#include <cstdint>
#include <cwchar>
#include <vector>

namespace bench {

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof(counters));
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

std::wstring MakeBenchFolder(int files) {
    const std::wstring folder = L"C:\\quillbrook-bench\\" + std::to_wstring(files) + L" files";
    ::CreateDirectoryW(L"C:\\quillbrook-bench", nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"\\文書 %05d.txt", i);
        const std::wstring path = folder + name;
        if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
    return folder;
}

std::wstring WriteBitmap(const std::wstring& name, int side, int bitsPerPixel) {
    wchar_t folder[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder, n) + name;
    const bool grey = bitsPerPixel == 8;
    const auto width = static_cast<std::uint32_t>(side);
    const std::uint32_t stride = (width * (grey ? 1 : 3) + 3) & ~3u;
    const std::uint32_t offset = 14 + 40 + (grey ? 256 * 4 : 0);
    std::vector<BYTE> head(offset, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) head[at + i] = static_cast<BYTE>(v >> (8 * i));
    };
    head[0] = 'B';
    head[1] = 'M';
    put32(2, offset + stride * width);
    put32(10, offset);
    put32(14, 40);
    put32(18, width);
    put32(22, width);
    head[26] = 1;
    head[28] = static_cast<BYTE>(grey ? 8 : 24);
    if (grey) {
        for (std::uint32_t i = 0; i < 256; ++i) put32(54 + 4 * i, i * 0x010101);
    }
    fw::unique_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return {};
    }
    DWORD written = 0;
    if (!::WriteFile(file.get(), head.data(), offset, &written, nullptr)) return {};
    constexpr std::uint32_t kBand = 500;
    std::vector<BYTE> rows(static_cast<std::size_t>(stride) * kBand);
    for (std::uint32_t top = 0; top < width; top += kBand) {
        const std::uint32_t count = std::min(kBand, width - top);
        for (std::uint32_t y = 0; y < count; ++y) {
            BYTE* row = rows.data() + static_cast<std::size_t>(stride) * y;
            for (std::uint32_t x = 0; x < stride; ++x)
                row[x] = static_cast<BYTE>(grey ? x * 255 / width : x ^ (top + y));
        }
        if (!::WriteFile(file.get(), rows.data(), stride * count, &written, nullptr)) return {};
    }
    return path;
}

}  // namespace bench
