#pragma once
// While a conversion runs: an interrupt (Ctrl-C, SIGTERM) removes the
// temporary files of the saves under way and runs the given cleanup (the
// progress line cleared) before the program ends with 130 or 143.
#include <functional>

#include "cad/atomic_file.h"
#include "platform/interrupts.h"

namespace ostrel::cli {

class InterruptCleanup {
public:
    explicit InterruptCleanup(std::function<void()> cleanup) {
        platform::OnInterrupt([cleanup = std::move(cleanup)] {
            cad::RemoveUnfinishedSaves();
            cleanup();
        });
    }
    ~InterruptCleanup() { platform::OnInterrupt(cad::RemoveUnfinishedSaves); }
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;
};

} // namespace ostrel::cli
