#pragma once
// Gives the memory of a stretch of a block back to the system while the
// block stays allocated: the pages wholly inside [data + from, data + to)
// read as zeros afterwards. For large buffers read once from start to end
// (an export), so that what was read stops counting against the process.
#include <cstddef>

namespace ostrel::platform {

// Returns the offset up to which pages were given back (from, when no whole
// page lies in the stretch or the system keeps them).
std::size_t ReleasePages(char* data, std::size_t from, std::size_t to) noexcept;

} // namespace ostrel::platform
