// What the benchmarks share: pumping the queue between steps, the memory the process holds, elapsed
// time, and big bitmap files written on the spot.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

// Handles everything in this thread's queue, then returns.
void Pump();
// The private bytes of this process (the page-file share where Wine reports no private usage).
SIZE_T PrivateBytes();

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}
inline double MillisecondsSince(Clock::time_point start) {
    return SecondsSince(start) * 1e3;
}
inline double MicrosecondsSince(Clock::time_point start) {
    return SecondsSince(start) * 1e6;
}

// A folder of `files` empty files ("文書 00000.txt" ...) on the C: drive, made the first time and kept
// for later runs (making a hundred thousand files takes a while). Its path.
std::wstring MakeBenchFolder(int files);

// A side x side picture in the temp folder under `name`: 8 bits per pixel (a grey ramp) or 24 (a
// pattern). Written a band of rows at a time, so a picture of gigabytes needs no buffer of its size.
// Its path, or empty when it cannot be written.
std::wstring WriteBitmap(const std::wstring& name, int side, int bitsPerPixel);

}  // namespace bench
