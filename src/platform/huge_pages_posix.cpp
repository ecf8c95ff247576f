// Huge pages through madvise, where the system has transparent huge pages.
#include "platform/huge_pages.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace ostrel::platform {

void AdviseHugePages(const void* data, std::size_t bytes) noexcept {
#ifdef MADV_HUGEPAGE
    constexpr std::size_t kLeast = std::size_t{8} << 20;
    if (!data || bytes < kLeast) return;
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page <= 0) return;
    const auto mask = static_cast<std::uintptr_t>(page) - 1;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + mask) & ~mask;
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~mask;
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace ostrel::platform
