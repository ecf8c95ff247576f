#include "platform/interrupts.h"

#include <csignal>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace ostrel::platform {

namespace {

std::mutex mutex;
std::function<void()> current;

void Watch(sigset_t signals) {
    int received = 0;
    while (sigwait(&signals, &received) != 0) {
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (current) current();
    }
    std::_Exit(128 + received);
}

} // namespace

void OnInterrupt(std::function<void()> cleanup) {
    static std::once_flag installed;
    std::call_once(installed, [] {
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);
        std::thread(Watch, signals).detach();
    });
    std::lock_guard<std::mutex> lock(mutex);
    current = std::move(cleanup);
}

} // namespace ostrel::platform
