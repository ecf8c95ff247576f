#pragma once
// The command-line tool's progress over exports: one line on stderr, redrawn
// in place, counting the files done and the bytes of the exports read. Shown
// only on a terminal, and only once a run has taken more than a moment.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>

#include "ostrel/host.h"

namespace ostrel::cli {

class ProgressBar {
public:
    ProgressBar(std::FILE* out, bool enabled, int columns, int files, std::int64_t totalBytes);
    void Read(std::int64_t bytes);       // more bytes of some export were read
    void FileDone(std::int64_t unread);  // a file ended; unread: its bytes not reported as read
    // The save, a phase of its own: bytes written of about `expected`
    // (the line says "writing NN%", kept below 100 until the file is done).
    void Written(std::int64_t bytes, std::int64_t expected);
    void Clear();                        // removes the line (before other output)

private:
    void Draw(bool force);

    std::FILE* out_;
    const bool enabled_;
    const int columns_, files_;
    const std::int64_t total_;
    std::atomic<std::int64_t> read_{0};
    std::atomic<int> done_{0};
    std::atomic<std::int64_t> written_{-1}, expected_{0};
    std::mutex mutex_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point last_{};
    bool drawn_ = false;
};

// One conversion's progress sink: the export's bytes go to the shared bar;
// the sheet pass's steps go to `sheet` when there is one.
class ExportProgress final : public ProgressSink {
public:
    // expectedBytes: about how large the drawing will be (0: the save is not shown).
    ExportProgress(ProgressBar& bar, std::shared_ptr<ProgressSink> sheet, std::int64_t expectedBytes = 0)
        : bar_(bar), sheet_(std::move(sheet)), expected_(expectedBytes) {}
    void Start(long maximum) override {
        bar_.Clear();   // the sheet pass draws its own line
        if (sheet_) sheet_->Start(maximum);
    }
    void Step() override {
        if (sheet_) sheet_->Step();
    }
    void Finish() override {
        if (sheet_) sheet_->Finish();
    }
    void ExportRead(std::int64_t bytesRead, std::int64_t) override {
        if (bytesRead > reported_) bar_.Read(bytesRead - reported_);
        reported_ = bytesRead;
    }
    void DrawingWritten(std::int64_t bytes) override {
        if (expected_ > 0) bar_.Written(bytes, expected_);
    }
    std::int64_t reported() const { return reported_; }

private:
    ProgressBar& bar_;
    std::shared_ptr<ProgressSink> sheet_;
    std::int64_t expected_;
    std::int64_t reported_ = 0;
};

} // namespace ostrel::cli
