#pragma once
// Faulting in the pages of a large block ahead of the thread that fills it,
// on a thread of its own. On virtual machines the first touch of a page is
// dear (the host backs it then); with the faults taken on another core, the
// filler finds its pages ready. Only a window ahead of the filler is
// faulted in, so capacity reserved and never used costs no memory.
//
// Where the system cannot populate pages without writing them, nothing
// happens: the filler takes its own faults, as without this class.
#include <atomic>
#include <cstddef>
#include <thread>

namespace ostrel::platform {

class PrefaultAhead {
public:
    static constexpr std::size_t kDefaultWindow = std::size_t{8} << 20;

    PrefaultAhead(void* block, std::size_t bytes, std::size_t window = kDefaultWindow);
    ~PrefaultAhead();   // stops the thread
    PrefaultAhead(const PrefaultAhead&) = delete;
    PrefaultAhead& operator=(const PrefaultAhead&) = delete;

    // The filler's progress: bytes from the start of the block filled so far.
    // Cheap enough to call for every item put in the block.
    void Reached(std::size_t filled) noexcept {
        if ((filled ^ announced_) >= kStep && filled != kStopped) {
            announced_ = filled;
            reached_.store(filled, std::memory_order_release);
            reached_.notify_one();
        }
    }

    // The block the pages are faulted for (to notice when the filler moves).
    const void* block() const { return block_; }

private:
    static constexpr std::size_t kStep = std::size_t{1} << 20;
    static constexpr std::size_t kStopped = ~std::size_t{0};
    void Run();

    char* block_;
    std::size_t bytes_;
    std::size_t window_;
    std::size_t announced_ = 0;
    std::atomic<std::size_t> reached_{0};
    std::thread thread_;
};

} // namespace ostrel::platform
