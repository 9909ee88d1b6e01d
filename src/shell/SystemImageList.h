// The system image lists: the shell's icons in several sizes, each icon at the same index (the one
// SHGetFileInfo gives) in every list.
#pragma once

#include <windows.h>
#include <commctrl.h>

// The system list whose images are `size` pixels square, else the smallest with larger ones (shrunk,
// they look cleaner than a small icon stretched), else the largest; null when the system offers none.
// Borrowed: the lists live as long as the process.
HIMAGELIST SystemImageListFor(int size) noexcept;
