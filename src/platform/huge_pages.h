#pragma once
// A hint for large blocks that are about to be filled from start to end:
// back them with huge pages where the system offers them, so that filling a
// few hundred megabytes takes a few hundred page faults instead of a hundred
// thousand. Contents and behaviour do not change; the hint may be ignored.
#include <cstddef>

namespace ostrel::platform {

// Blocks smaller than a few huge pages are left alone.
void AdviseHugePages(const void* data, std::size_t bytes) noexcept;

} // namespace ostrel::platform
