#include "platform/interrupts.h"

#include <windows.h>

#include <cstdlib>
#include <mutex>

namespace ostrel::platform {

namespace {

std::mutex mutex;
std::function<void()> current;

BOOL WINAPI Interrupted(DWORD event) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (current) current();
    }
    std::_Exit(event == CTRL_C_EVENT ? 130 : 143);
}

} // namespace

void OnInterrupt(std::function<void()> cleanup) {
    static std::once_flag installed;
    std::call_once(installed, [] { ::SetConsoleCtrlHandler(Interrupted, TRUE); });
    std::lock_guard<std::mutex> lock(mutex);
    current = std::move(cleanup);
}

} // namespace ostrel::platform
