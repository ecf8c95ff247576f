#pragma once
// Interrupts of a command-line run (SIGINT and SIGTERM; Ctrl-C, Ctrl-Break
// and closing the console on Windows): the cleanup given last runs on a
// thread of its own, then the process ends with 130 (SIGINT, Ctrl-C) or 143.
#include <functional>

namespace ostrel::platform {

// Installs the watcher on first use (call it before starting threads: on
// POSIX the signals are blocked in the caller and in the threads it starts,
// and taken by the watcher). An empty cleanup leaves only the exit.
void OnInterrupt(std::function<void()> cleanup);

} // namespace ostrel::platform
