#pragma once
// Process ids, for names of files that a process leaves behind when it is
// killed: another process can tell whether their maker still runs.
namespace ostrel::platform {

long CurrentProcessId();
// False only when no process of that id runs (a process we may not signal still runs).
bool ProcessRuns(long pid);

} // namespace ostrel::platform
