// The progress line over exports.
#include "tools/convert/progress_bar.h"

#include <algorithm>
#include <string>

namespace ostrel::cli {

namespace {
// Nothing is drawn before a run has taken this long, nor redrawn more often.
constexpr auto kFirstDraw = std::chrono::milliseconds(500);
constexpr auto kRedraw = std::chrono::milliseconds(100);
} // namespace

ProgressBar::ProgressBar(std::FILE* out, bool enabled, int columns, int files, std::int64_t totalBytes)
    : out_(out), enabled_(enabled), columns_(std::max(columns, 40)), files_(files), total_(totalBytes) {}

void ProgressBar::Read(std::int64_t bytes) {
    read_ += bytes;
    Draw(false);
}

void ProgressBar::FileDone(std::int64_t unread) {
    read_ += unread;
    ++done_;
    Draw(false);
}

void ProgressBar::Written(std::int64_t bytes, std::int64_t expected) {
    expected_ = std::max<std::int64_t>(expected, 1);
    written_ = bytes;
    Draw(false);
}

void ProgressBar::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!drawn_) return;
    std::string blank(1, '\r');
    blank.append(static_cast<std::size_t>(columns_ - 1), ' ');
    blank.push_back('\r');
    std::fputs(blank.c_str(), out_);
    std::fflush(out_);
    drawn_ = false;
}

void ProgressBar::Draw(bool force) {
    if (!enabled_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (!force && (now - start_ < kFirstDraw || now - last_ < kRedraw)) return;
    last_ = now;
    const std::int64_t read = std::min<std::int64_t>(read_.load(), total_), written = written_.load();
    const bool writing = written >= 0;
    const int percent = writing   ? static_cast<int>(std::min<std::int64_t>(written * 100 / expected_.load(), 99))
                        : total_ > 0 ? static_cast<int>(read * 100 / total_)
                                     : 100;
    const int width = std::min(columns_ - 36, 40);
    const int filled = width * percent / 100;
    std::string line = writing ? std::string("\rwriting ")
                               : "\rexports " + std::to_string(done_.load()) + "/" + std::to_string(files_) + " ";
    line += "[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(width - filled), '.');
    line += "] " + std::to_string(percent) + "%";
    line += writing ? " (" + std::to_string(written >> 20) + " MB)   "
                    : " of " + std::to_string((total_ + 1023) / 1024) + " KB";
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
    drawn_ = true;
}

} // namespace ostrel::cli
