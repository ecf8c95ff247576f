// Pages populated with madvise(MADV_POPULATE_WRITE) (Linux 5.14 and later):
// the kernel maps zeroed pages without the contents being touched, so the
// filler's writes never race with ours.
#include "platform/prefault.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

namespace ostrel::platform {

namespace {

constexpr std::size_t kChunk = std::size_t{2} << 20;   // a huge page

} // namespace

PrefaultAhead::PrefaultAhead(void* block, std::size_t bytes, std::size_t window)
    : block_(static_cast<char*>(block)), bytes_(bytes), window_(std::max(window, kChunk)) {
#ifdef MADV_POPULATE_WRITE
    if (block_ && bytes_ >= 2 * kChunk) thread_ = std::thread([this] { Run(); });
#endif
}

PrefaultAhead::~PrefaultAhead() {
    reached_.store(kStopped, std::memory_order_release);
    reached_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void PrefaultAhead::Run() {
#ifdef MADV_POPULATE_WRITE
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page <= 0) return;
    const auto mask = static_cast<std::uintptr_t>(page) - 1;
    const auto start = reinterpret_cast<std::uintptr_t>(block_);
    const auto end = (start + bytes_) & ~mask;
    // Whole pages only: the partial first page is the filler's.
    std::uintptr_t done = (start + mask) & ~mask;
    while (done < end) {
        const std::size_t reached = reached_.load(std::memory_order_acquire);
        if (reached == kStopped) return;
        const std::size_t ahead = reached > bytes_ - std::min(bytes_, window_) ? bytes_ : reached + window_;
        const std::uintptr_t want = std::min<std::uintptr_t>(end, (start + ahead) & ~mask);
        if (done < want) {
            // Up to the next huge-page boundary, so that chunks stay aligned.
            const std::uintptr_t next = std::min<std::uintptr_t>(want, (done + kChunk) & ~(kChunk - 1));
            if (::madvise(reinterpret_cast<void*>(done), next - done, MADV_POPULATE_WRITE) != 0) return;
            done = next;
            continue;
        }
        reached_.wait(reached, std::memory_order_acquire);
    }
#endif
}

} // namespace ostrel::platform
