// The shell calls any program makes to list a folder, without a window: the yardstick the folder
// benchmarks measure the menus against.
#pragma once

#include <string>

namespace bench {

// Seconds to enumerate `path` and sort its items in the folder's own order; with `details`, also each
// item's name, attributes and file data; then the small icons of the first `icons` items (as SHGetFileInfo
// gives them for the item's absolute list).
double BareListing(const std::wstring& path, bool details, int icons);

}  // namespace bench
