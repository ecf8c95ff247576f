#pragma once
// Files that survive a power cut: written bytes forced to the disk before
// a rename puts them in place, and the rename itself made lasting.
#include <cstdio>
#include <string>

namespace ostrel::platform {

// Forces what was written to the open file onto the disk (fsync;
// FlushFileBuffers). False, with errno set where the system sets it, when
// that fails.
bool FlushToDisk(std::FILE* file);
bool FlushToDisk(int descriptor);

// Renames `from` over `to` and makes the rename reach the disk (POSIX: the
// folder is flushed after it; Windows: a write-through move). An empty
// result on success, else the system's words.
std::string ReplaceDurably(const std::string& from, const std::string& to);

} // namespace ostrel::platform
