// Pages given back with madvise(MADV_DONTNEED): private anonymous memory
// reads as zeros afterwards and costs nothing until it is touched again.
#include "platform/release_pages.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace ostrel::platform {

std::size_t ReleasePages(char* data, std::size_t from, std::size_t to) noexcept {
    const long page = ::sysconf(_SC_PAGESIZE);
    if (!data || to <= from || page <= 0) return from;
    const auto mask = static_cast<std::uintptr_t>(page) - 1;
    const auto base = reinterpret_cast<std::uintptr_t>(data);
    const auto begin = (base + from + mask) & ~mask;
    const auto end = (base + to) & ~mask;
    if (end <= begin) return from;
    if (::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED) != 0) return from;
    return end - base;
}

} // namespace ostrel::platform
