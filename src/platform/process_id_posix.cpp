#include "platform/process_id.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace ostrel::platform {

long CurrentProcessId() { return static_cast<long>(::getpid()); }

bool ProcessRuns(long pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH); }

} // namespace ostrel::platform
