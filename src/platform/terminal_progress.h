#pragma once
// Progress of the trim pass on the terminal: one line on stderr redrawn in
// place, and nothing at all when stderr is not a terminal.
#include <cstdio>

#include "ostrel/host.h"

namespace ostrel::platform {

class TerminalProgress final : public ProgressSink {
public:
    // Draws on stderr when it is a terminal.
    TerminalProgress();
    // Draws on out when enabled, columns wide.
    TerminalProgress(std::FILE* out, bool enabled, int columns);

    void Start(long maximum) override;
    void Step() override;
    void Finish() override;

private:
    void Draw();

    std::FILE* out_;
    bool enabled_;
    int columns_;
    long maximum_ = 0;
    long done_ = 0;
    int shownPercent_ = -1;
    bool drawn_ = false;
};

} // namespace ostrel::platform
