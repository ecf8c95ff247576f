#pragma once
// Pages of a section made ready on a second thread while the caller cuts
// the next ones: each submitted page goes through `work` there (compression
// and its checksum) and comes back to `done` on the caller's thread, in the
// order submitted, so the file is the same as when both run on one thread.
//
// At most `depth` pages are on their way at a time: Submit waits for the
// oldest when the queue is full. The thread starts with the first page. An
// exception thrown by `work` is raised on the caller's thread by the next
// Submit or Drain; one thrown by `done` leaves the pipeline to be destroyed.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ostrel::cad::dwg {

struct PipelinePage {
    std::size_t offset = 0;              // where the page starts in its section
    std::vector<std::uint8_t> plain;     // its bytes as the section has them
    std::vector<std::uint8_t> packed;    // what `work` made of them
    std::uint32_t sum = 0;               // a checksum `work` gives
};

class PagePipeline {
public:
    using Step = std::function<void(PipelinePage&)>;

    PagePipeline(Step work, Step done, std::size_t depth = 4);
    // Stops the thread; pages not drained are dropped.
    ~PagePipeline();
    PagePipeline(const PagePipeline&) = delete;
    PagePipeline& operator=(const PagePipeline&) = delete;

    // Takes the page's bytes from `plain`, which comes back empty (holding
    // the storage of a page done before, for the next page's bytes).
    void Submit(std::size_t offset, std::vector<std::uint8_t>& plain);
    // Returns once every page submitted has been through `done`.
    void Drain();

private:
    struct Slot {
        PipelinePage page;
        bool ready = false;
    };
    void HandOverOldest();
    void Run();

    Step work_, done_;
    std::size_t depth_;
    std::deque<std::unique_ptr<Slot>> queued_;   // submitted, not yet through `done`
    std::size_t unworked_ = 0;                    // the last of them, not yet through `work`
    std::vector<std::unique_ptr<Slot>> spare_;
    std::mutex mutex_;
    std::condition_variable wake_;                // the thread: work or stop
    std::condition_variable worked_;              // the caller: a page is ready
    bool stop_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

} // namespace ostrel::cad::dwg
