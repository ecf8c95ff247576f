// A one-line progress bar.
#include "platform/terminal_progress.h"

#include <algorithm>
#include <string>

#include "platform/terminal.h"

namespace ostrel::platform {

TerminalProgress::TerminalProgress() : TerminalProgress(stderr, StderrIsTerminal(), TerminalColumns()) {}

TerminalProgress::TerminalProgress(std::FILE* out, bool enabled, int columns)
    : out_(out), enabled_(enabled), columns_(std::max(columns, 20)) {}

void TerminalProgress::Start(long maximum) {
    maximum_ = std::max(maximum, 0L);
    done_ = 0;
    shownPercent_ = -1;
    Draw();
}

void TerminalProgress::Step() {
    if (done_ < maximum_) ++done_;
    Draw();
}

void TerminalProgress::Finish() {
    if (!enabled_ || !drawn_) return;
    // Clears the bar's line.
    std::string blank(1, '\r');
    blank.append(static_cast<std::size_t>(columns_ - 1), ' ');
    blank.push_back('\r');
    std::fputs(blank.c_str(), out_);
    std::fflush(out_);
    drawn_ = false;
}

void TerminalProgress::Draw() {
    if (!enabled_) return;
    const int percent = maximum_ > 0 ? static_cast<int>(done_ * 100 / maximum_) : 0;
    // Redrawn only when the figure changes, not for every step.
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    const int width = std::min(columns_ - 20, 50);
    const int filled = width * percent / 100;
    std::string line = "\rsheet [";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(width - filled), '.');
    line += "] " + std::to_string(percent) + "%";
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
    drawn_ = true;
}

} // namespace ostrel::platform
