#pragma once
// Writing behind the producer: bytes handed to Put are copied into one of a
// few large buffers, and a full buffer goes to the sink on a thread of its
// own while the producer fills the next. Formatting a drawing and the
// system's copying of the bytes into the file then run side by side.
//
// The thread starts with the first full buffer, so a small file is written
// on the caller's thread by Drain and costs no thread at all. Blocks reach
// the sink whole and in order. When the sink throws, nothing further is
// written and the exception is raised on the producer's thread by the next
// Put or Drain.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ostrel::cad {

class WriteBehind {
public:
    using Sink = std::function<void(const char* data, std::size_t size)>;
    static constexpr std::size_t kDefaultBlock = std::size_t{256} << 10;

    explicit WriteBehind(Sink sink, std::size_t blockBytes = kDefaultBlock, std::size_t blocks = 4);
    // Stops the thread; what was put but not drained is dropped.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    void Put(const char* data, std::size_t size);
    // Returns once everything put has been given to the sink.
    void Drain();

private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t used = 0;
    };
    void Submit();          // hands the filling block over and takes a free one
    void Run();             // the writing thread
    void RethrowLocked();

    Sink sink_;
    std::size_t blockBytes_;
    std::size_t blockCount_;
    std::size_t made_ = 0;
    Block filling_;

    std::mutex mutex_;
    std::condition_variable wake_;          // the thread: work or stop
    std::condition_variable returned_;      // the producer: a block came back
    std::deque<Block> queued_;
    std::vector<Block> free_;
    bool writing_ = false;                  // the thread holds a block
    bool stop_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

} // namespace ostrel::cad
