#include "cad/dwg/dwg_page_pipeline.h"

#include <algorithm>
#include <utility>

namespace ostrel::cad::dwg {

PagePipeline::PagePipeline(Step work, Step done, std::size_t depth)
    : work_(std::move(work)), done_(std::move(done)), depth_(std::max<std::size_t>(depth, 1)) {}

PagePipeline::~PagePipeline() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void PagePipeline::Submit(std::size_t offset, std::vector<std::uint8_t>& plain) {
    std::unique_ptr<Slot> slot;
    if (spare_.empty()) {
        slot = std::make_unique<Slot>();
    } else {
        slot = std::move(spare_.back());
        spare_.pop_back();
    }
    slot->page.offset = offset;
    slot->page.plain.swap(plain);
    plain.clear();
    slot->ready = false;
    {
        std::lock_guard lock(mutex_);
        if (error_) std::rethrow_exception(error_);
        queued_.push_back(std::move(slot));
        ++unworked_;
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
    }
    wake_.notify_one();
    while (queued_.size() > depth_) HandOverOldest();
}

void PagePipeline::Drain() {
    while (!queued_.empty()) HandOverOldest();
}

void PagePipeline::HandOverOldest() {
    std::unique_ptr<Slot> slot;
    {
        std::unique_lock lock(mutex_);
        worked_.wait(lock, [&] { return queued_.front()->ready || error_; });
        if (error_) std::rethrow_exception(error_);
        slot = std::move(queued_.front());
        queued_.pop_front();
    }
    done_(slot->page);
    spare_.push_back(std::move(slot));
}

void PagePipeline::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stop_ || unworked_ != 0; });
        if (stop_) return;
        Slot* slot = queued_[queued_.size() - unworked_].get();
        lock.unlock();
        std::exception_ptr failure;
        try {
            work_(slot->page);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        --unworked_;
        slot->ready = true;
        if (failure) error_ = failure;
        worked_.notify_one();
        if (failure) return;
    }
}

} // namespace ostrel::cad::dwg
