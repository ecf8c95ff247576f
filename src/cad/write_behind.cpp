#include "cad/write_behind.h"

#include <algorithm>
#include <cstring>

namespace ostrel::cad {

WriteBehind::WriteBehind(Sink sink, std::size_t blockBytes, std::size_t blocks)
    : sink_(std::move(sink)), blockBytes_(std::max<std::size_t>(blockBytes, 4096)),
      blockCount_(std::max<std::size_t>(blocks, 2)) {}

WriteBehind::~WriteBehind() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        queued_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void WriteBehind::RethrowLocked() {
    if (error_) std::rethrow_exception(error_);
}

void WriteBehind::Put(const char* data, std::size_t size) {
    while (size > 0) {
        if (!filling_.bytes) {
            if (made_ < blockCount_) {
                filling_.bytes = std::make_unique_for_overwrite<char[]>(blockBytes_);
                ++made_;
            } else {
                std::unique_lock lock(mutex_);
                returned_.wait(lock, [&] { return !free_.empty() || error_; });
                RethrowLocked();
                filling_ = std::move(free_.back());
                free_.pop_back();
            }
            filling_.used = 0;
        }
        const std::size_t n = std::min(size, blockBytes_ - filling_.used);
        std::memcpy(filling_.bytes.get() + filling_.used, data, n);
        filling_.used += n;
        data += n;
        size -= n;
        if (filling_.used == blockBytes_) Submit();
    }
}

void WriteBehind::Submit() {
    {
        std::lock_guard lock(mutex_);
        RethrowLocked();
        queued_.push_back(std::move(filling_));
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    filling_ = Block{};
    wake_.notify_one();
}

void WriteBehind::Drain() {
    if (thread_.joinable()) {
        std::unique_lock lock(mutex_);
        returned_.wait(lock, [&] { return (queued_.empty() && !writing_) || error_; });
        RethrowLocked();
    }
    // The rest goes from this thread: the writer is idle.
    if (filling_.bytes && filling_.used > 0) {
        sink_(filling_.bytes.get(), filling_.used);
        filling_.used = 0;
    }
}

void WriteBehind::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || !queued_.empty(); });
        if (stop_) return;
        Block block = std::move(queued_.front());
        queued_.pop_front();
        writing_ = true;
        lock.unlock();
        std::exception_ptr failure;
        try {
            sink_(block.bytes.get(), block.used);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        writing_ = false;
        block.used = 0;
        free_.push_back(std::move(block));
        if (failure) {
            error_ = failure;
            queued_.clear();
            returned_.notify_all();
            return;
        }
        returned_.notify_all();
    }
}

} // namespace ostrel::cad
